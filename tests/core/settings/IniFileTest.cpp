// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include "platform/FaultHook.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

namespace fs = std::filesystem;

using Test::ByName;
using Test::PrintTo;

// The fixture touches its files with plain system calls, so armed faults never disturb it.
class IniFileTest : public ::testing::Test
{
protected:
    void Put(const std::string& bytes) { Tree.AddFile("TXDef.CFG", bytes); }
    std::string Bytes() const { return Tree.ReadFile("TXDef.CFG"); }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(FDir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempTree Tree;
    const std::string FDir = Tree.Root();
    const std::string FPath = Tree.Path("TXDef.CFG");
};

ino_t InodeOf(const std::string& path)
{
    struct stat st = {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// ---- Reading -------------------------------------------------------------------------------

const std::string SampleFile = "; written by hand\r\n"
                               "Orphan=before any section\r\n"
                               "[Misc Options]\r\n"
                               "Compile Date=July 23, 1997\r\n"
                               "COMPILE DATE=a second time\r\n"
                               "  Revision Code  =  2  \r\n"
                               "\tPath\t=\ta=b=c\r\n"
                               "Quoted=\"  spaced  \"\r\n"
                               "HalfQuoted=\"open\r\n"
                               "Empty=\r\n"
                               "NoEquals line\r\n"
                               ";Commented=1\r\n"
                               "[File Options Extra]\r\n"
                               "Prefix=wrong section\r\n"
                               "[ File Options ]\r\n"
                               "MaxFileSize=100\r\n"
                               "Prefix=in File Options\r\n"
                               "[misc options]\r\n"
                               "Late=in a second Misc Options\r\n";

struct ReadCase
{
    const char* Name;
    const char* Section;
    const char* Key;
    const char* Expected;
};

class IniReadTest : public IniFileTest, public ::testing::WithParamInterface<ReadCase>
{};

TEST_P(IniReadTest, ReadString)
{
    Put(SampleFile);
    IniFile ini(FPath);
    EXPECT_EQ(ini.ReadString(GetParam().Section, GetParam().Key, "<default>"), GetParam().Expected);
}

// clang-format off
const ReadCase ReadCases[] = {
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

INSTANTIATE_TEST_SUITE_P(Sample, IniReadTest, ::testing::ValuesIn(ReadCases), ByName());

TEST_F(IniFileTest, MissingOrUnreadableFileGivesDefaults)
{
    IniFile missing(FDir + "/absent.cfg");
    EXPECT_EQ(missing.ReadString("Misc Options", "Compile Date", "dflt"), "dflt");
    EXPECT_EQ(missing.ReadInteger("Misc Options", "Revision Code", 7), 7);
    EXPECT_TRUE(missing.ReadBool("Misc Options", "ShowHint", true));
    EXPECT_TRUE(missing.ReadSection("Misc Options").empty());
    EXPECT_FALSE(missing.SectionExists("Misc Options"));
    EXPECT_FALSE(fs::exists(FDir + "/absent.cfg")) << "a read must not create the file";

    fs::create_directory(FDir + "/folder.cfg");
    IniFile folder(FDir + "/folder.cfg");
    EXPECT_EQ(folder.ReadString("A", "b", "dflt"), "dflt");

    Put("[A]\r\nb=real\r\n");
    ScopedFault fault({FaultOp::Read, EIO, "TXDef.CFG", 0, -1});
    EXPECT_EQ(IniFile(FPath).ReadString("A", "b", "dflt"), "dflt");
}

struct LineEndCase
{
    const char* Name;
    const char* Bytes;
};

class IniLineEndTest : public IniFileTest, public ::testing::WithParamInterface<LineEndCase>
{};

TEST_P(IniLineEndTest, ReadsAlike)
{
    Put(GetParam().Bytes);
    IniFile ini(FPath);
    EXPECT_EQ(ini.ReadString("One", "a", "-"), "1");
    EXPECT_EQ(ini.ReadString("Two", "d", "-"), "last");
    EXPECT_EQ(ini.ReadSectionValues("One"), (std::vector<std::string>{"a=1", "b=2"}));
    EXPECT_EQ(ini.ReadSection("Two"), (std::vector<std::string>{"c", "d"}));
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    IniLineEndTest,
    ::testing::Values(LineEndCase{"CrLf", "[One]\r\na=1\r\nb=2\r\n\r\n[Two]\r\nc=3\r\nd=last\r\n"},
                      LineEndCase{"Lf", "[One]\na=1\nb=2\n\n[Two]\nc=3\nd=last\n"},
                      LineEndCase{"Cr", "[One]\ra=1\rb=2\r\r[Two]\rc=3\rd=last\r"},
                      LineEndCase{"Mixed", "[One]\na=1\r\nb=2\r\r\n[Two]\nc=3\rd=last"},
                      LineEndCase{"ByteOrderMark",
                                  "\xEF\xBB\xBF[One]\r\na=1\r\nb=2\r\n[Two]\r\nc=3\r\nd=last"}),
    ByName());

// Every row is read as an integer and as a boolean; Def marks text that must give the default.
constexpr int Def = 77;

struct NumberCase
{
    const char* Name;
    const char* Text;
    int Expected;
};

class IniNumberTest : public IniFileTest, public ::testing::WithParamInterface<NumberCase>
{};

TEST_P(IniNumberTest, ReadIntegerAndBool)
{
    Put(std::string("[N]\r\nv=") + GetParam().Text + "\r\n");
    IniFile ini(FPath);
    const int expected = GetParam().Expected;
    EXPECT_EQ(ini.ReadInteger("N", "v", Def), expected);
    EXPECT_EQ(ini.ReadBool("N", "v", false), expected != Def && expected != 0);
    EXPECT_EQ(ini.ReadBool("N", "v", true), expected != 0);
}

// clang-format off
const NumberCase NumberCases[] = {
    {"Decimal", "32000", 32000},                  {"Negative", "-5", -5},
    {"PlusSign", "+7", 7},                        {"BlanksTrimmed", "  42  ", 42},
    {"LeadingZeros", "0010", 10},                 {"HexLower", "0x1F", 31},
    {"HexUpperPrefix", "0X10", 16},               {"HexMixedDigits", "0xaB", 171},
    {"HexFullPatternIsMinusOne", "0xFFFFFFFF", -1}, {"HexZero", "0x0", 0},
    {"HexBeyond32Bits", "0x100000000", Def},      {"PrefixAlone", "0x", Def},
    {"PrefixWithBadDigits", "0xZZ", Def},         {"HexWithSign", "0x-1", Def},
    {"Zero", "0", 0},                             {"Largest", "2147483647", 2147483647},
    {"Smallest", "-2147483648", -2147483647 - 1}, {"Overflow", "2147483648", Def},
    {"TrailingLetters", "12abc", Def},            {"InnerBlank", "1 2", Def},
    {"DoubleSign", "+-3", Def},                   {"SignAlone", "-", Def},
    {"Empty", "", Def},                           {"Decimals", "1.5", Def},
    {"Word", "true", Def},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Texts, IniNumberTest, ::testing::ValuesIn(NumberCases), ByName());

TEST_F(IniFileTest, LongValuesAreCutTo1023Characters)
{
    const std::string ascii(2000, 'a');
    std::string accented;
    for (int i = 0; i < 2000; ++i) {
        accented += "\xC3\xA9"; // é
    }
    const std::string euroAtEdge = std::string(1022, 'a') + "\xE2\x82\xAC" + "zzz"; // € is character 1023
    const std::string euroBeyond = std::string(1023, 'a') + "\xE2\x82\xAC";
    const std::string quoted = "\"" + std::string(1023, 'q') + "\"";
    Put("[L]\r\nascii=" + ascii + "\r\naccented=" + accented + "\r\nedge=" + euroAtEdge + "\r\nbeyond="
        + euroBeyond + "\r\nquoted=" + quoted + "\r\nshort=" + std::string(1023, 's') + "\r\n");
    IniFile ini(FPath);

    EXPECT_EQ(ini.ReadString("L", "ascii", ""), std::string(1023, 'a'));
    EXPECT_EQ(ini.ReadString("L", "accented", ""), accented.substr(0, 2 * 1023));
    EXPECT_EQ(ini.ReadString("L", "edge", ""), std::string(1022, 'a') + "\xE2\x82\xAC");
    EXPECT_EQ(ini.ReadString("L", "beyond", ""), std::string(1023, 'a'));
    EXPECT_EQ(ini.ReadString("L", "quoted", ""), std::string(1023, 'q'));
    EXPECT_EQ(ini.ReadString("L", "short", ""), std::string(1023, 's'));
    EXPECT_EQ(ini.ReadString("L", "missing", ascii), std::string(1023, 'a'))
        << "the default goes through the same buffer";
}

TEST_F(IniFileTest, SectionListsInFileOrderEachKeyOnce)
{
    Put("[L]\r\n2=b\r\n0=a\r\n; 9=comment\r\njunk line\r\n1=\"q\"\r\n2=dup\r\nK=upper\r\nk=lower\r\nE=\r\n"
        "[M]\r\nm=1\r\n[Empty]\r\n\r\n[l]\r\nlate=1\r\n");
    IniFile ini(FPath);

    EXPECT_EQ(ini.ReadSection("l"), (std::vector<std::string>{"2", "0", "1", "K", "E"}));
    EXPECT_EQ(ini.ReadSectionValues("L"), (std::vector<std::string>{"2=b", "0=a", "1=q", "K=upper", "E="}));
    EXPECT_TRUE(ini.ReadSection("Empty").empty());
    EXPECT_TRUE(ini.ReadSectionValues("Nowhere").empty());
    EXPECT_TRUE(ini.SectionExists("EMPTY"));
    EXPECT_TRUE(ini.SectionExists("m"));
    EXPECT_FALSE(ini.SectionExists("Nowhere"));
    EXPECT_FALSE(ini.SectionExists("E"));
}

TEST_F(IniFileTest, NothingIsCachedBetweenCalls)
{
    Put("[A]\r\nk=one\r\n");
    IniFile ini(FPath);
    EXPECT_EQ(ini.ReadString("A", "k", ""), "one");

    Put("[A]\r\nk=two\r\nnew=3\r\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "two");
    EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"k", "new"}));

    // A write starts from what is on disk now, keeping the other program's change.
    Put("[A]\r\nk=three\r\n[Other]\r\nx=1\r\n");
    ini.WriteString("A", "w", "4");
    EXPECT_EQ(Bytes(), "[A]\r\nk=three\r\nw=4\r\n[Other]\r\nx=1\r\n");
}

// ---- Writing -------------------------------------------------------------------------------

// Each row writes k=v into section A.
struct WriteCase
{
    const char* Name;
    std::string Before;
    std::string After;
};

class IniWriteTest : public IniFileTest, public ::testing::WithParamInterface<WriteCase>
{};

TEST_P(IniWriteTest, ChangesOnlyWhatItMust)
{
    Put(GetParam().Before);
    IniFile(FPath).WriteString("A", "k", "v");
    EXPECT_EQ(Bytes(), GetParam().After);
    EXPECT_EQ(Names(), std::vector<std::string>{"TXDef.CFG"}) << "no temp file may stay behind";
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    IniWriteTest,
    ::testing::Values(
        WriteCase{"ReplaceInPlaceKeepsOtherBytesAndLineEnds",
                  "; settings\n[A]\nx=old\n  k = 1 \n\n[B]\nk=5\n",
                  "; settings\n[A]\nx=old\nk=v\n\n[B]\nk=5\n"},
        WriteCase{"ReplaceKeepsKeySpelling", "[a]\r\nK=1\r\n", "[a]\r\nK=v\r\n"},
        WriteCase{"ReplaceFirstOfDuplicates",
                  "[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n",
                  "[A]\r\nk=v\r\nk=2\r\n[a]\r\nk=3\r\n"},
        WriteCase{"ReplaceLastLineWithoutLineEnd", "[A]\r\nk=1", "[A]\r\nk=v"},
        WriteCase{"NewKeyAfterLastKeyBeforeCommentAndBlank",
                  "[A]\r\nx=1\r\nnote without equals\r\ny=2\r\n; about B\r\n\r\n[B]\r\nb=2\r\n",
                  "[A]\r\nx=1\r\nnote without equals\r\ny=2\r\nk=v\r\n; about B\r\n\r\n[B]\r\nb=2\r\n"},
        WriteCase{"NewKeyInFirstOfDuplicateSections",
                  "[A]\r\nx=1\r\n[B]\r\n[A]\r\nk=2\r\n",
                  "[A]\r\nx=1\r\nk=v\r\n[B]\r\n[A]\r\nk=2\r\n"},
        WriteCase{"CommentedKeyIsNotReplaced", "[A]\r\n;k=1\r\n", "[A]\r\nk=v\r\n;k=1\r\n"},
        WriteCase{"NewKeyInSectionWithoutKeys", "[A]\r\n\r\n[B]\r\n", "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        WriteCase{"NewKeyAtEndWithoutLineEnd", "[A]\r\nx=1", "[A]\r\nx=1\r\nk=v\r\n"},
        WriteCase{"NewSectionAfterBlankLine", "[B]\r\nx=1\r\n", "[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n"},
        WriteCase{"NewSectionAfterLastLineWithoutLineEnd", "[B]\r\nx=1", "[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n"},
        WriteCase{"NewSectionNoSecondBlankLine", "[B]\r\nx=1\r\n\r\n", "[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n"},
        WriteCase{"NewSectionNotMistakenForPrefix", "[AB]\r\nk=1\r\n", "[AB]\r\nk=1\r\n\r\n[A]\r\nk=v\r\n"},
        WriteCase{"EmptyFile", "", "[A]\r\nk=v\r\n"},
        WriteCase{"ByteOrderMarkKept", "\xEF\xBB\xBF", "\xEF\xBB\xBF[A]\r\nk=v\r\n"}),
    ByName());

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
    EXPECT_EQ(ini.ReadInteger("report options", "logsize", 0), -32000);
    EXPECT_EQ(ini.ReadSectionValues("Batch File List"), (std::vector<std::string>{"0=" + path, "1=" + utf8}));
}

TEST_F(IniFileTest, UnchangedValueDoesNotRewriteTheFile)
{
    Put("[A]\r\nk=same\r\n");
    const ino_t before = InodeOf(FPath);
    IniFile ini(FPath);
    ScopedFault fault({FaultOp::Rename, EIO, "TXDef.CFG", 0, -1});
    EXPECT_NO_THROW(ini.WriteString("a", "K", "same"));
    EXPECT_EQ(InodeOf(FPath), before);
}

struct EraseCase
{
    const char* Name;
    std::string Before;
    const char* Section;
    std::string After;
};

class IniEraseTest : public IniFileTest, public ::testing::WithParamInterface<EraseCase>
{};

TEST_P(IniEraseTest, RemovesExactlyThatSection)
{
    Put(GetParam().Before);
    IniFile ini(FPath);
    ini.EraseSection(GetParam().Section);
    EXPECT_EQ(Bytes(), GetParam().After);
    EXPECT_FALSE(ini.SectionExists(GetParam().Section));
}

const std::string ThreeSections = "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n; b's note\r\n\r\n[C]\r\nc=3\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files,
    IniEraseTest,
    ::testing::Values(
        EraseCase{"Middle", ThreeSections, "b", "[A]\r\na=1\r\n\r\n[C]\r\nc=3\r\n"},
        EraseCase{"First", ThreeSections, "A", "[B]\r\nb=2\r\n; b's note\r\n\r\n[C]\r\nc=3\r\n"},
        EraseCase{"LastTakesSeparatingBlankLines",
                  ThreeSections + "\r\n",
                  "C",
                  "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n; b's note\r\n"},
        EraseCase{"EveryDuplicate",
                  "[A]\r\na=1\r\n[B]\r\nb=2\r\n[ a ]\r\na=2\r\n[C]\r\n",
                  "A",
                  "[B]\r\nb=2\r\n[C]\r\n"},
        EraseCase{"NotAPrefixMatch", "[AB]\r\nx=1\r\n[A]\r\ny=2\r\n", "A", "[AB]\r\nx=1\r\n"},
        EraseCase{"OnlySection", "[A]\r\na=1\r\n", "A", ""},
        EraseCase{"MissingSectionChangesNothing", ThreeSections, "D", ThreeSections},
        EraseCase{"LfFileKeepsItsLineEnds", "[A]\na=1\n[B]\nb=2\n", "A", "[B]\nb=2\n"}),
    ByName());

TEST_F(IniFileTest, ListSectionRewrittenAsAWhole)
{
    IniFile(FPath).EraseSection("Exclude File List");
    EXPECT_FALSE(fs::exists(FPath)) << "erasing from a missing file creates nothing";
    Put("[Exclude File List]\r\n0=*.TMP\r\n1=*.BAK\r\n2=_BLANK_\r\n\r\n[Include Filter List]\r\n1=*.*\r\n");
    IniFile ini(FPath);
    ini.EraseSection("Exclude File List");
    ini.WriteString("Exclude File List", "0", "_BLANK_");
    EXPECT_EQ(ini.ReadSectionValues("exclude file list"), std::vector<std::string>{"0=_BLANK_"});
    EXPECT_EQ(ini.ReadString("Include Filter List", "1", ""), "*.*");
    EXPECT_EQ(Bytes(), "[Include Filter List]\r\n1=*.*\r\n\r\n[Exclude File List]\r\n0=_BLANK_\r\n");
}

// ---- Write failures ------------------------------------------------------------------------

struct WriteFault
{
    const char* Name;
    FaultPlan Fault;
};

class IniWriteFaultTest : public IniFileTest, public ::testing::WithParamInterface<WriteFault>
{};

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

TEST_P(IniWriteFaultTest, RaisesAndKeepsTheOldBytes)
{
    const std::string old =
        "[Misc Options]\nCompile Date=July 23, 1997\r\n" + std::string(3000, ';') + "\r\n[B]\r\nb=1";
    Put(old);
    IniFile ini(FPath);
    {
        ScopedFault fault(GetParam().Fault);
        ExpectWriteError([&] { ini.WriteString("Misc Options", "Compile Date", "changed"); },
                         FPath,
                         GetParam().Fault.Error);
        ExpectWriteError([&] { ini.WriteInteger("New Section", "n", 1); }, FPath, GetParam().Fault.Error);
        ExpectWriteError([&] { ini.EraseSection("B"); }, FPath, GetParam().Fault.Error);
        EXPECT_EQ(Bytes(), old);
        EXPECT_EQ(Names(), std::vector<std::string>{"TXDef.CFG"});
    }
    // The object is not left broken: once the disk recovers, the same write lands.
    ini.WriteString("Misc Options", "Compile Date", "changed");
    EXPECT_EQ(ini.ReadString("Misc Options", "Compile Date", ""), "changed");
}

INSTANTIATE_TEST_SUITE_P(
    Faults,
    IniWriteFaultTest,
    ::testing::Values(WriteFault{"TempCannotBeCreated", {FaultOp::Open, EACCES, "TXDef.CFG", 0, -1}},
                      WriteFault{"DiskFullAfterShortWrite", {FaultOp::Write, ENOSPC, "TXDef.CFG", 100, -1}},
                      WriteFault{"SyncFails", {FaultOp::Sync, EIO, "TXDef.CFG", 0, -1}},
                      WriteFault{"RenameFails", {FaultOp::Rename, EROFS, "TXDef.CFG", 0, -1}},
                      WriteFault{"FileCannotBeRead", {FaultOp::Read, EIO, "TXDef.CFG", 0, -1}}),
    ByName());

TEST_F(IniFileTest, PermissionBitsRefuseWritesAndReads)
{
    const std::string old = "[A]\r\nk=old\r\n";
    Put(old);
    IniFile ini(FPath);

    ASSERT_EQ(chmod(FPath.c_str(), 0444), 0);
    {
        const std::string gone = FDir + "/gone/TXDef.CFG";
        ExpectWriteError([&] { IniFile(gone).WriteString("A", "k", "v"); }, gone, ENOENT);
        EXPECT_FALSE(fs::exists(FDir + "/gone"));
        ScopedNoDacOverride noOverride;
        if (!noOverride.Active()) {
            GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE here, so permission bits would not bite";
        }
        EXPECT_EQ(ini.ReadString("A", "k", ""), "old") << "a read-only file still reads";
        ExpectWriteError([&] { ini.WriteString("A", "k", "new"); }, FPath, EACCES);
    }
    EXPECT_EQ(Bytes(), old);
    EXPECT_EQ(fs::status(FPath).permissions(), fs::perms(0444))
        << "the refused write must not replace the file";

    ASSERT_EQ(chmod(FPath.c_str(), 0644), 0);
    ASSERT_EQ(chmod(FDir.c_str(), 0555), 0);
    {
        ScopedNoDacOverride noOverride;
        ASSERT_TRUE(noOverride.Active());
        ExpectWriteError([&] { ini.WriteString("A", "k", "new"); }, FPath, EACCES);
    }
    ASSERT_EQ(chmod(FDir.c_str(), 0700), 0);
    EXPECT_EQ(Bytes(), old);
    EXPECT_EQ(Names(), std::vector<std::string>{"TXDef.CFG"});

    ASSERT_EQ(chmod(FPath.c_str(), 0000), 0);
    {
        ScopedNoDacOverride noOverride;
        ASSERT_TRUE(noOverride.Active());
        EXPECT_EQ(ini.ReadString("A", "k", "dflt"), "dflt") << "an unreadable file reads as missing";
        EXPECT_FALSE(ini.SectionExists("A"));
        // Rewriting what cannot be read would throw its content away.
        ExpectWriteError([&] { ini.WriteString("A", "other", "v"); }, FPath, EACCES);
    }
    ASSERT_EQ(chmod(FPath.c_str(), 0644), 0);
    EXPECT_EQ(Bytes(), old);
}

} // namespace
} // namespace Tandemix
