// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include "platform/FaultHook.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The fixture touches its files with plain system calls, so armed faults never disturb it.
class IniFileTest : public Test::TreeFixture
{
protected:
    void Put(const std::string& bytes) { Tree.AddFile("TXDef.CFG", bytes); }
    IniFile Load(const std::string& bytes) { return IniFile(Tree.AddFile("TXDef.CFG", bytes)); }
    std::string Bytes() const { return Tree.ReadFile("TXDef.CFG"); }

    Lines Names() const { return Tandemix::Test::SortedNamesIn(Tree.Root()); }

    const std::string FPath = Tree.Path("TXDef.CFG");
};

// ---- Reading -------------------------------------------------------------------------------

TEST_F(IniFileTest, ReadStringFindsTheFirstKeyOfTheFirstSection)
{
    IniFile ini = Load(
        "; written by hand\r\nOrphan=before any section\r\n[Misc Options]\r\nCompile Date=July 23, 1997\r\n"
        "COMPILE DATE=a second time\r\n  Revision Code  =  2  \r\n\tPath\t=\ta=b=c\r\n"
        "Quoted=\"  spaced  \"\r\nHalfQuoted=\"open\r\nEmpty=\r\nNoEquals line\r\n;Commented=1\r\n"
        "[File Options Extra]\r\nPrefix=wrong section\r\n[ File Options ]\r\nMaxFileSize=100\r\n"
        "Prefix=in File Options\r\n[misc options]\r\nLate=in a second Misc Options\r\n");
    // clang-format off
    const struct { const char *Name, *Section, *Key, *Expected; } rows[] = {
        {"PlainAndFirstOfDuplicateKeys",    "Misc Options",   "Compile Date",    "July 23, 1997"},
        {"SectionAndKeyIgnoreCase",         "MISC options",   "compile DATE",    "July 23, 1997"},
        {"BlanksAroundKeyAndValueTrimmed",  "Misc Options",   "Revision Code",   "2"},
        {"TabsTrimmedAndFurtherEqualsKept", "Misc Options",   "Path",            "a=b=c"},
        {"QueriedNamesTrimmed",             " Misc Options ", " Revision Code ", "2"},
        {"QuotesRemovedInnerBlanksKept",    "Misc Options",   "Quoted",          "  spaced  "},
        {"LoneQuoteKept",                   "Misc Options",   "HalfQuoted",      "\"open"},
        {"EmptyValueIsNotTheDefault",       "Misc Options",   "Empty",           ""},
        {"LineWithoutEqualsIsNoKey",        "Misc Options",   "NoEquals line",   "<default>"},
        {"CommentIsNoKey",                  "Misc Options",   "Commented",       "<default>"},
        {"CommentIsNoKeyEvenWithSemicolon", "Misc Options",   ";Commented",      "<default>"},
        {"BlanksInsideBracketsTrimmed",     "File Options",   "MaxFileSize",     "100"},
        {"SectionNameMatchedWhole",         "File Options",   "Prefix",          "in File Options"},
        {"KeyOfAnotherSection",             "Misc Options",   "MaxFileSize",     "<default>"},
        {"FirstOfDuplicateSections",        "Misc Options",   "Late",            "<default>"},
        {"KeyBeforeAnySection",             "",               "Orphan",          "<default>"},
        {"MissingSection",                  "Nowhere",        "Compile Date",    "<default>"},
        {"MissingKey",                      "Misc Options",   "Nothing",         "<default>"},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(ini.ReadString(row.Section, row.Key, "<default>"), row.Expected) << row.Name;
    }
}

TEST_F(IniFileTest, MissingOrUnreadableFileGivesDefaults)
{
    IniFile missing(Tree.Path("absent.cfg"));
    EXPECT_EQ(std::tuple(missing.ReadString("Misc Options", "Compile Date", "dflt"),
                         missing.ReadInteger("Misc Options", "Revision Code", 7),
                         missing.ReadBool("Misc Options", "ShowHint", true),
                         missing.ReadSection("Misc Options").size(),
                         missing.SectionExists("Misc Options")),
              std::tuple("dflt", 7, true, 0u, false));
    EXPECT_FALSE(Tree.Exists("absent.cfg")) << "a read must not create the file";

    Put("[A]\r\nb=real\r\n");
    ScopedFault fault({FaultOp::Read, EIO, "TXDef.CFG", 0, -1});
    EXPECT_EQ(IniFile(FPath).ReadString("A", "b", "dflt"), "dflt");
}

TEST_F(IniFileTest, EveryLineEndAndAByteOrderMarkReadAlike)
{
    for (const char* bytes : {"[One]\r\na=1\r\nb=2\r\n\r\n[Two]\r\nc=3\r\nd=last\r\n",
                              "[One]\na=1\nb=2\n\n[Two]\nc=3\nd=last\n",
                              "[One]\ra=1\rb=2\r\r[Two]\rc=3\rd=last\r",
                              "[One]\na=1\r\nb=2\r\r\n[Two]\nc=3\rd=last",
                              "\xEF\xBB\xBF[One]\r\na=1\r\nb=2\r\n[Two]\r\nc=3\r\nd=last"}) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        IniFile ini = Load(bytes);
        EXPECT_EQ(std::tuple(ini.ReadString("One", "a", "-"), ini.ReadString("Two", "d", "-")),
                  std::tuple("1", "last"));
        EXPECT_EQ(ini.ReadSectionValues("One"), (Lines{"a=1", "b=2"}));
        EXPECT_EQ(ini.ReadSection("Two"), (Lines{"c", "d"}));
    }
}

TEST_F(IniFileTest, IntegersAreDecimalOrHexAndAnythingElseGivesTheDefault)
{
    constexpr int Def = 77; // text that must give the default
    // clang-format off
    const struct { const char* Text; int Expected; } rows[] = {
        {"32000", 32000}, {"-5", -5}, {"+7", 7}, {"  42  ", 42}, {"0010", 10}, {"0x1F", 31}, {"0X10", 16},
        {"0xaB", 171}, {"0xFFFFFFFF", -1}, {"0x0", 0}, {"0x100000000", Def}, {"0x", Def}, {"0xZZ", Def},
        {"0x-1", Def}, {"0", 0}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", Def}, {"12abc", Def}, {"1 2", Def}, {"+-3", Def}, {"-", Def}, {"", Def},
        {"1.5", Def}, {"true", Def},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Text);
        IniFile ini = Load(std::string("[N]\r\nv=") + row.Text + "\r\n");
        EXPECT_EQ(ini.ReadInteger("N", "v", Def), row.Expected);
        EXPECT_EQ(ini.ReadBool("N", "v", false), row.Expected != Def && row.Expected != 0);
        EXPECT_EQ(ini.ReadBool("N", "v", true), row.Expected != 0);
    }
}

TEST_F(IniFileTest, LongValuesAreCutTo1023Characters)
{
    const std::string ascii(2000, 'a');
    std::string accented;
    for (int i = 0; i < 2000; ++i) {
        accented += "\xC3\xA9"; // é
    }
    const std::string edge = std::string(1022, 'a') + "\xE0\xA0\x80" + "zzz"; // U+0800 is character 1023
    const std::string euroBeyond = std::string(1023, 'a') + "\xE2\x82\xAC";
    const std::string quoted = "\"" + std::string(1023, 'q') + "\"";
    // Stray continuation bytes after a byte that starts no character: each counts as one, so
    // no run of them gets past the limit.
    const std::string stray = "\xFF" + std::string(1500, '\xB0');
    IniFile ini = Load("[L]\r\nascii=" + ascii + "\r\naccented=" + accented + "\r\nedge=" + edge
                       + "\r\nbeyond=" + euroBeyond + "\r\nquoted=" + quoted + "\r\nstray=" + stray + "\r\n");

    EXPECT_EQ(ini.ReadString("L", "ascii", ""), std::string(1023, 'a'));
    EXPECT_EQ(ini.ReadString("L", "accented", ""), accented.substr(0, 2 * 1023));
    EXPECT_EQ(ini.ReadString("L", "edge", ""), std::string(1022, 'a') + "\xE0\xA0\x80");
    EXPECT_EQ(ini.ReadString("L", "beyond", ""), std::string(1023, 'a'));
    EXPECT_EQ(ini.ReadString("L", "quoted", ""), std::string(1023, 'q'));
    EXPECT_EQ(ini.ReadString("L", "stray", ""), stray.substr(0, 1023));
    EXPECT_EQ(ini.ReadString("L", "missing", ascii), std::string(1023, 'a'))
        << "the default goes through the same buffer";
}

TEST_F(IniFileTest, SectionListsInFileOrderEachKeyOnce)
{
    IniFile ini = Load(
        "[L]\r\n2=b\r\n0=a\r\n; 9=comment\r\njunk line\r\n1=\"q\"\r\n2=dup\r\nK=upper\r\nk=lower\r\nE=\r\n"
        "[M]\r\nm=1\r\n[Empty]\r\n\r\n[l]\r\nlate=1\r\n");

    EXPECT_EQ(ini.ReadSection("l"), (Lines{"2", "0", "1", "K", "E"}));
    EXPECT_EQ(ini.ReadSectionValues("L"), (Lines{"2=b", "0=a", "1=q", "K=upper", "E="}));
    EXPECT_TRUE(ini.ReadSection("Empty").empty() && ini.ReadSectionValues("Nowhere").empty());
    EXPECT_TRUE(ini.SectionExists("EMPTY") && ini.SectionExists("m") && !ini.SectionExists("Nowhere")
                && !ini.SectionExists("E"));
}

TEST_F(IniFileTest, NothingIsCachedBetweenCalls)
{
    IniFile ini = Load("[A]\r\nk=one\r\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "one");

    Put("[A]\r\nk=two\r\nnew=3\r\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "two");
    EXPECT_EQ(ini.ReadSection("A"), (Lines{"k", "new"}));

    // A write starts from what is on disk now, keeping the other program's change.
    Put("[A]\r\nk=three\r\n[Other]\r\nx=1\r\n");
    ini.WriteString("A", "w", "4");
    EXPECT_EQ(Bytes(), "[A]\r\nk=three\r\nw=4\r\n[Other]\r\nx=1\r\n");

    // A snapshot is one reading for a whole load; the next snapshot sees what changed since. A
    // snapshot's write starts from the file as it is, like any write, and its reads follow.
    IniFile snapshot = IniFile::Snapshot(FPath);
    Put("[A]\r\nk=later\r\n");
    EXPECT_EQ(snapshot.ReadString("A", "k", ""), "three");
    EXPECT_EQ(snapshot.ReadSection("Other"), (Lines{"x"}));
    EXPECT_EQ(IniFile::Snapshot(FPath).ReadString("A", "k", ""), "later");
    snapshot.WriteInteger("A", "n", 5);
    EXPECT_EQ(snapshot.ReadString("A", "k", "") + snapshot.ReadString("A", "n", ""), "later5");
    EXPECT_EQ(Bytes(), "[A]\r\nk=later\r\nn=5\r\n");
}

// ---- Writing -------------------------------------------------------------------------------

TEST_F(IniFileTest, WriteChangesOnlyWhatItMust)
{
    // Each row writes k=v into section A.
    // clang-format off
    const struct { const char* Name; std::string Before, After; } rows[] = {
        {"ReplaceInPlaceKeepsOtherBytesAndLineEnds", "; settings\n[A]\nx=old\n  k = 1 \n\n[B]\nk=5\n",
         "; settings\n[A]\nx=old\nk=v\n\n[B]\nk=5\n"},
        {"ReplaceKeepsKeySpelling", "[a]\r\nK=1\r\n", "[a]\r\nK=v\r\n"},
        {"ReplaceFirstOfDuplicates", "[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n", "[A]\r\nk=v\r\nk=2\r\n[a]\r\nk=3\r\n"},
        {"ReplaceLastLineWithoutLineEnd", "[A]\r\nk=1", "[A]\r\nk=v"},
        {"NewKeyAfterLastKeyBeforeCommentAndBlank",
         "[A]\r\nx=1\r\nnote without equals\r\ny=2\r\n; about B\r\n\r\n[B]\r\nb=2\r\n",
         "[A]\r\nx=1\r\nnote without equals\r\ny=2\r\nk=v\r\n; about B\r\n\r\n[B]\r\nb=2\r\n"},
        {"NewKeyInFirstOfDuplicateSections", "[A]\r\nx=1\r\n[B]\r\n[A]\r\nk=2\r\n",
         "[A]\r\nx=1\r\nk=v\r\n[B]\r\n[A]\r\nk=2\r\n"},
        {"CommentedKeyIsNotReplaced", "[A]\r\n;k=1\r\n", "[A]\r\nk=v\r\n;k=1\r\n"},
        {"NewKeyInSectionWithoutKeys", "[A]\r\n\r\n[B]\r\n", "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        {"NewKeyAtEndWithoutLineEnd", "[A]\r\nx=1", "[A]\r\nx=1\r\nk=v\r\n"},
        {"NewSectionAfterBlankLine", "[B]\r\nx=1\r\n", "[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n"},
        {"NewSectionAfterLastLineWithoutLineEnd", "[B]\r\nx=1", "[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n"},
        {"NewSectionNoSecondBlankLine", "[B]\r\nx=1\r\n\r\n", "[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n"},
        {"NewSectionNotMistakenForPrefix", "[AB]\r\nk=1\r\n", "[AB]\r\nk=1\r\n\r\n[A]\r\nk=v\r\n"},
        {"EmptyFile", "", "[A]\r\nk=v\r\n"},
        {"ByteOrderMarkKept", "\xEF\xBB\xBF", "\xEF\xBB\xBF[A]\r\nk=v\r\n"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Load(row.Before).WriteString("A", "k", "v");
        EXPECT_EQ(Bytes(), row.After);
        EXPECT_EQ(Names(), Lines{"TXDef.CFG"}) << "no temp file may stay behind";
    }
    // An unchanged value does not rewrite the file: a rewrite would meet the armed fault.
    Put("[A]\r\nk=same\r\n");
    ScopedFault fault({FaultOp::Rename, EIO, "TXDef.CFG", 0, -1});
    EXPECT_NO_THROW(IniFile(FPath).WriteString("a", "K", "same"));
}

TEST_F(IniFileTest, MissingFileIsCreatedAndValuesReadBackAsWritten)
{
    IniFile ini(FPath);
    ini.WriteInteger(" Report Options ", "\tLogSize ", -32000); // names are written trimmed
    ini.WriteBool("Report Options", "UseLogFile", true);
    ini.WriteBool("Report Options", "Overwrite", false);
    ini.WriteString("Report Options", "Note", "v\r\nInjected=1"); // a value ends at a line break
    ini.WriteString("Report Options", "Empty", "");
    EXPECT_EQ(Bytes(),
              "[Report Options]\r\nLogSize=-32000\r\nUseLogFile=1\r\nOverwrite=0\r\nNote=v\r\nEmpty=\r\n");
    const std::string path = "/home/user/Sync Lists/weekly = full.snc";
    const std::string utf8 = "\xC3\x9C"
                             "bersicht \xE2\x82\xAC";
    ini.WriteString("Batch File List", "0", path);
    ini.WriteString("Batch File List", "1", utf8);
    EXPECT_EQ(ini.ReadSectionValues("Batch File List"), (Lines{"0=" + path, "1=" + utf8}));
}

TEST_F(IniFileTest, EraseSectionRemovesExactlyThatSection)
{
    const std::string three = "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n; b's note\r\n\r\n[C]\r\nc=3\r\n";
    // clang-format off
    const struct { const char* Name; std::string Before; const char* Section; std::string After; } rows[] = {
        {"Middle", three, "b", "[A]\r\na=1\r\n\r\n[C]\r\nc=3\r\n"},
        {"First", three, "A", "[B]\r\nb=2\r\n; b's note\r\n\r\n[C]\r\nc=3\r\n"},
        {"LastTakesSeparatingBlankLines", three + "\r\n", "C", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n; b's note\r\n"},
        {"EveryDuplicate", "[A]\r\na=1\r\n[B]\r\nb=2\r\n[ a ]\r\na=2\r\n[C]\r\n", "A", "[B]\r\nb=2\r\n[C]\r\n"},
        {"NotAPrefixMatch", "[AB]\r\nx=1\r\n[A]\r\ny=2\r\n", "A", "[AB]\r\nx=1\r\n"},
        {"OnlySection", "[A]\r\na=1\r\n", "A", ""},
        {"MissingSectionChangesNothing", three, "D", three},
        {"LfFileKeepsItsLineEnds", "[A]\na=1\n[B]\nb=2\n", "A", "[B]\nb=2\n"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Load(row.Before).EraseSection(row.Section);
        EXPECT_EQ(Bytes(), row.After);
    }
    fs::remove(FPath);
    IniFile(FPath).EraseSection("A");
    EXPECT_FALSE(fs::exists(FPath)) << "erasing from a missing file creates nothing";
}

// ---- Write failures ------------------------------------------------------------------------

void ExpectWriteError(const std::function<void()>& write, const std::string& path, int error)
{
    try {
        write();
        ADD_FAILURE() << "no IniWriteError";
    } catch (const IniWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + path).c_str());
        EXPECT_EQ(e.Error(), error);
    }
}

TEST_F(IniFileTest, AFailedStepRaisesAndKeepsTheOldBytes)
{
    const std::string old =
        "[Misc Options]\nCompile Date=July 23, 1997\r\n" + std::string(3000, ';') + "\r\n[B]\r\nb=1";
    // Every step of the replacement is the atomic write's, tried in full there; here one of them,
    // and the reading that must come first.
    for (const FaultPlan& plan : {FaultPlan{FaultOp::Write, ENOSPC, "TXDef.CFG", 100, -1},
                                  FaultPlan{FaultOp::Read, EIO, "TXDef.CFG", 0, -1}}) {
        SCOPED_TRACE(static_cast<int>(plan.Op));
        IniFile ini = Load(old);
        {
            ScopedFault fault(plan);
            ExpectWriteError([&] { ini.WriteString("B", "b", "changed"); }, FPath, plan.Error);
            ExpectWriteError([&] { ini.EraseSection("B"); }, FPath, plan.Error);
            EXPECT_EQ(std::tuple(Bytes(), Names()), std::tuple(old, Lines{"TXDef.CFG"}));
        }
        // The object is not left broken: once the disk recovers, the same write lands.
        ini.WriteString("B", "b", "changed");
        EXPECT_EQ(ini.ReadString("B", "b", ""), "changed");
    }
}

// Where a file is read-only the write is refused, as a write in place would be; the folder's
// permission and an unreadable file end in the steps tried above.
TEST_F(IniFileTest, AReadOnlyFileReadsButIsNeverReplaced)
{
    const std::string old = "[A]\r\nk=old\r\n";
    IniFile ini = Load(old);
    ASSERT_EQ(chmod(FPath.c_str(), 0444), 0);
    {
        ScopedNoDacOverride noOverride;
        if (!noOverride.Active()) {
            GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE here, so permission bits would not bite";
        }
        EXPECT_EQ(ini.ReadString("A", "k", ""), "old");
        ExpectWriteError([&] { ini.WriteString("A", "k", "new"); }, FPath, EACCES);
    }
    EXPECT_EQ(std::tuple(Bytes(), fs::status(FPath).permissions()), std::tuple(old, fs::perms(0444)));
    EXPECT_EQ(Names(), Lines{"TXDef.CFG"});
}

} // namespace
} // namespace Tandemix
