// SPDX-License-Identifier: GPL-3.0-or-later
// The two zip libraries driven through the zip component, with every archive they write read
// back by independent unpackers (python3's zipfile, 7z for encrypted archives) and every
// hostile archive made by python3 outside our code.
#include "compression/ZipArch32.h"
#include "core/compression/ZipReadBack.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Tandemix {
namespace {

using namespace Test;

// Entry names with method and size, one a line, as python's zipfile reads them.
const char* const ListScript = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        print(i.filename, i.compress_type, i.file_size, 'E' if i.flag_bits & 1 else '-')
)";

// Every entry with its content, "name:content" joined by '|'.
const char* const ContentsScript = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    sys.stdout.write('|'.join(i.filename + ':' + z.read(i).decode() for i in z.infolist()))
)";

// A hostile archive: entry name, content, and a mode when it should claim to be a link.
const char* const HostileScript = R"(import sys, zipfile
name, kind = sys.argv[2], sys.argv[3]
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('innocent.txt', 'fine')
    info = zipfile.ZipInfo(name)
    if kind == 'link':
        info.create_system = 3
        info.external_attr = (0o120777 << 16)
    z.writestr(info, '/etc/passwd' if kind == 'link' else 'evil')
)";

// An archive whose one entry claims a huge size in both headers.
const char* const BombScript = R"(import sys, zipfile, struct
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('bomb.bin', b'\0' * 100000)
data = bytearray(open(sys.argv[1], 'rb').read())
huge = 0xFFFFFFF0
local = data.find(b'PK\x03\x04')
struct.pack_into('<I', data, local + 22, huge)
central = data.find(b'PK\x01\x02')
struct.pack_into('<I', data, central + 24, huge)
open(sys.argv[1], 'wb').write(data)
)";

class ZipLibrariesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Zip.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
        Zip.UsePaths = false;
        Zip.ZipFileName = Archive;
    }

    int AddFiles(const std::vector<std::string>& names, TZlAddMode mode = TZlAddMode::zamAdd)
    {
        for (const std::string& name : names) {
            Zip.FilesToProcess.push_back(Src + name);
        }
        return Zip.Add(mode);
    }

    int ExtractAll()
    {
        Zip.ExtractDirectory = Out;
        return Zip.Extract(TZlAddMode::zamAdd);
    }

    std::string Listed() { return Python(ListScript, {Archive}); }
    std::string Contents() { return Python(ContentsScript, {Archive}); }

    bool NothingOut() const { return std::filesystem::is_empty(Out); }

    TempTree Tree;
    TZipArchiver Zip;
    std::string Src = Tree.AddFolder("src") + "/";
    std::string Out = Tree.AddFolder("out") + "/";
    std::string Archive = Tree.Path("arc.zip");
};

TEST_F(ZipLibrariesTest, AddStoresFlatNamesLevelsStoredExtensionsAndSkipsHiddenFiles)
{
    Tree.AddFile("src/a.txt", std::string(5000, 'a'));
    Tree.AddFile("src/inner.ZIP", std::string(5000, 'z'));
    Tree.AddFile("src/.hidden", "h");
    Zip.Compression = 9;
    EXPECT_EQ(AddFiles({"a.txt", "inner.ZIP", ".hidden"}), 0);
    EXPECT_EQ(Listed(), "a.txt 8 5000 -\ninner.ZIP 0 5000 -\n");
    EXPECT_EQ(Contents(), "a.txt:" + std::string(5000, 'a') + "|inner.ZIP:" + std::string(5000, 'z'));

    Zip.IncludeHiddenFiles = true;
    Zip.Compression = 0;
    EXPECT_EQ(AddFiles({".hidden"}), 0);
    EXPECT_EQ(Listed(), "a.txt 8 5000 -\ninner.ZIP 0 5000 -\n.hidden 0 1 -\n");
}

TEST_F(ZipLibrariesTest, AStopWritesNothingAndMasksSelectWhatIsAdded)
{
    Tree.AddFile("src/a.txt", "a");
    Tree.AddFile("src/b.txt", "b");
    Tree.AddFile("src/c.log", "c");
    Zip.OnAdding = [](TZipArchiver& z, const TZlFileStats&) {
        z.Abort = true;
    };
    EXPECT_EQ(AddFiles({"a.txt", "b.txt"}), ZipAbi::Aborted);
    EXPECT_FALSE(Tree.Exists("arc.zip"));

    Zip.OnAdding = nullptr;
    Zip.FilesToProcess = {Src + "*", ">*.txt", "<b*"};
    EXPECT_EQ(Zip.Add(TZlAddMode::zamAdd), 0);
    EXPECT_EQ(Listed(), "a.txt 8 1 -\n");
}

TEST_F(ZipLibrariesTest, FreshenAndUpdateReplaceOnlyOlderEntries)
{
    std::time_t old = LocalTime(2020, 1, 1);
    Tree.AddFile("src/a.txt", "old a", old);
    Tree.AddFile("src/b.txt", "old b", old);
    ASSERT_EQ(AddFiles({"a.txt", "b.txt"}), 0);
    Tree.AddFile("src/a.txt", "new a", old + 3600);
    Tree.AddFile("src/b.txt", "same b", old); // changed, but not newer: kept
    Tree.AddFile("src/c.txt", "new c", old);

    EXPECT_EQ(AddFiles({"a.txt", "b.txt", "c.txt"}, TZlAddMode::zamFreshen), 0);
    EXPECT_EQ(Contents(), "a.txt:new a|b.txt:old b");
    EXPECT_EQ(AddFiles({"b.txt", "c.txt"}, TZlAddMode::zamUpdate), 0);
    EXPECT_EQ(Contents(), "a.txt:new a|b.txt:old b|c.txt:new c");
}

TEST_F(ZipLibrariesTest, ListAndCountReportEveryEntryWithItsDetails)
{
    std::time_t when = LocalTime(2021, 6, 15, 10, 30, 20);
    Tree.AddFile("src/a.txt", std::string(3000, 'a'), when, 0444);
    Tree.AddFile("src/b.txt", "b", when);
    ASSERT_EQ(AddFiles({"a.txt", "b.txt"}), 0);

    EXPECT_EQ(Zip.CountFiles(), 2u);
    std::vector<TZlFileStats> seen;
    Zip.OnListing = [&](TZipArchiver&, const TZlFileStats& stats) {
        seen.push_back(stats);
    };
    EXPECT_EQ(Zip.List(), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(std::tuple(seen[0].FileName, seen[0].Size, seen[1].FileName),
              std::tuple("a.txt", 3000, "b.txt"));
    EXPECT_LT(seen[0].CompressedSize, 3000);
    EXPECT_EQ(std::tuple(seen[0].Attributes.ReadOnly, seen[1].Attributes.ReadOnly), std::tuple(true, false));
    EXPECT_EQ(seen[0].DosDateTime, Packed(2021, 6, 15, 10, 30, 20));

    Zip.FilesToProcess = {"b*"};
    seen.clear();
    Zip.List();
    EXPECT_THAT(seen, testing::ElementsAre(testing::Field(&TZlFileStats::FileName, "b.txt")));

    Zip.ZipFileName = Tree.Path("none.zip");
    EXPECT_EQ(Zip.CountFiles(), 0u);
}

TEST_F(ZipLibrariesTest, ExtractHonoursOverwriteModesAndKeepsTimesAndModes)
{
    std::time_t when = LocalTime(2019, 3, 4, 5, 6, 8);
    Tree.AddFile("src/a.txt", "archived", when, 0640);
    ASSERT_EQ(AddFiles({"a.txt"}), 0);
    Tree.AddFile("out/a.txt", "already there");

    for (TZlOverwrite mode : {TZlOverwrite::zowNever, TZlOverwrite::zowAsk}) { // Ask: nobody answers
        Zip.Overwrite = mode;
        EXPECT_EQ(ExtractAll(), 0);
        EXPECT_EQ(Tree.ReadFile("out/a.txt"), "already there");
    }
    Zip.Overwrite = TZlOverwrite::zowAlways;
    EXPECT_EQ(ExtractAll(), 0);
    EXPECT_EQ(Tree.ReadFile("out/a.txt"), "archived");
    EXPECT_EQ(LStat(Tree.Path("out/a.txt")).st_mtime, when);
    EXPECT_EQ(ModeOf(Tree.Path("out/a.txt")), 0640u);
}

TEST_F(ZipLibrariesTest, EncryptedArchiveOpensWithThePasswordOnly)
{
    Tree.AddFile("src/a.txt", "secret content");
    Zip.Password = "Pa55 word";
    ASSERT_EQ(AddFiles({"a.txt"}), 0);
    EXPECT_EQ(Listed(), "a.txt 99 14 E\n"); // 99: the AES method's marker
    EXPECT_EQ(Tree.ReadFile("arc.zip").find("Pa55 word"), std::string::npos);

    EXPECT_EQ(RunProgram({"7z", "t", "-pPa55 word", Archive}), 0);
    EXPECT_NE(RunProgram({"7z", "t", "-pwrong", Archive}), 0);

    Zip.Password = "wrong";
    Zip.Overwrite = TZlOverwrite::zowAlways;
    EXPECT_EQ(ExtractAll(), ZipAbi::BadPassword);
    EXPECT_FALSE(Tree.Exists("out/a.txt"));
    EXPECT_EQ(SharedText().find("wrong"), std::string::npos);

    // No password: the caller is asked, and its answer opens the entry.
    Zip.Password.clear();
    Zip.OnPwdQuery = [](TZipArchiver&, TZlPwdQuery& query) {
        query.Password = "Pa55 word";
    };
    EXPECT_EQ(ExtractAll(), 0);
    EXPECT_EQ(Tree.ReadFile("out/a.txt"), "secret content");
}

// A name stands for its own entry: a deletion never takes a case twin or a look-alike along.
// Every entry that goes is announced, and the last one gone leaves an empty archive behind.
TEST_F(ZipLibrariesTest, ANameTakesItsOwnEntryAndAMaskEveryEntryItFits)
{
    using Names = std::vector<std::string>;
    // The archive's entries, the names deleted, the entries left, and those announced.
    const std::tuple<const char*, Names, Names, std::string, std::string> rows[] = {
        {"ExactNameLeavesItsCaseTwin", {"a.txt", "A.TXT"}, {"a.txt"}, "A.TXT", "a.txt"},
        {"LiteralWildcardNameIsThatEntryOnly", {"a*b", "aXb"}, {"a*b"}, "aXb", "a*b"},
        {"CaseOnlyNameTakesItsOneEntry", {"Report.TXT", "other"}, {"report.txt"}, "other", "Report.TXT"},
        {"CaseOnlyNameFittingSeveralTakesNone", {"X.txt", "x.TXT"}, {"x.txt"}, "X.txt x.TXT", ""},
        {"MaskTakesEveryEntryItFits", {"a.log", "B.LOG", "c.txt"}, {"*.log"}, "c.txt", "a.log B.LOG"},
        {"EveryEntryGone", {"a.txt", "b.txt"}, {"a.txt", "b.txt"}, "", "a.txt b.txt"},
    };
    for (const auto& [name, entries, deleted, left, announcedNames] : rows) {
        SCOPED_TRACE(name);
        MakeArchive(Archive, entries);
        std::string announced;
        Zip.OnDeleting = [&](TZipArchiver&, const std::string& entry) {
            announced += (announced.empty() ? "" : " ") + entry;
        };
        Zip.FilesToProcess = deleted;
        Zip.Delete();
        EXPECT_EQ(EntriesOf(Archive), left);
        EXPECT_EQ(announced, announcedNames);
        EXPECT_TRUE(Tree.Exists("arc.zip"));
    }
}

TEST_F(ZipLibrariesTest, HostileArchiveIsRefusedWholeBeforeAnythingIsWritten)
{
    Zip.Overwrite = TZlOverwrite::zowAlways;
    // clang-format off
    const std::pair<const char*, const char*> rows[] = {
        {"../evil", "file"}, {"x/../../evil", "file"}, {"/tmp/evil", "file"}, {"a\\..\\evil", "file"},
        {"C:/evil", "file"}, {"passwd", "link"}};
    // clang-format on
    for (const auto& [entry, kind] : rows) {
        SCOPED_TRACE(entry);
        SharedText().clear();
        Python(HostileScript, {Archive, entry, kind});
        EXPECT_EQ(ExtractAll(), ZipAbi::HostileArchive);
        EXPECT_TRUE(NothingOut());
        EXPECT_FALSE(Tree.Exists("evil"));
        EXPECT_NE(SharedText().find("refused"), std::string::npos) << SharedText();
    }
}

TEST_F(ZipLibrariesTest, DamagedArchiveIsReportedAndNothingIsWrittenOrChanged)
{
    Tree.AddFile("src/a.txt", std::string(20000, 'a'));
    Tree.AddFile("src/b.txt", "b");
    ASSERT_EQ(AddFiles({"a.txt"}), 0);
    std::string whole = Tree.ReadFile("arc.zip");
    std::string damaged = whole.substr(0, whole.size() - 30);
    std::ofstream(Archive, std::ios::binary | std::ios::trunc) << damaged;

    EXPECT_EQ(ExtractAll(), ZipAbi::ArchiveDamaged);
    EXPECT_TRUE(NothingOut());
    EXPECT_NE(SharedText().find("damaged"), std::string::npos);
    EXPECT_EQ(AddFiles({"b.txt"}), ZipAbi::ArchiveDamaged);
    EXPECT_EQ(Tree.ReadFile("arc.zip"), damaged);
}

TEST_F(ZipLibrariesTest, EntryClaimingMoreThanTheDiskHoldsIsRefused)
{
    Python(BombScript, {Archive});
    Zip.Overwrite = TZlOverwrite::zowAlways;
    int status =
        RunOnSmallDisk(Out, "2m", [&] { return ExtractAll() == ZipAbi::TooBig && NothingOut() ? 0 : 1; });
    if (status == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(status, 0);
}

TEST_F(ZipLibrariesTest, FullDiskLeavesTheOldArchiveIntact)
{
    std::string small = Tree.AddFolder("small");
    int status = RunOnSmallDisk(small, "1m", [&] {
        Tree.AddFile("small/first.txt", "first");
        Zip.ZipFileName = small + "/arc.zip";
        Zip.FilesToProcess = {small + "/first.txt"};
        if (Zip.Add(TZlAddMode::zamAdd) != 0) {
            return 70;
        }
        std::string before = Tree.ReadFile("small/arc.zip");
        // Random bytes do not compress: the new archive cannot fit beside the old one.
        std::string noise(1100 * 1024, '\0');
        std::generate(noise.begin(), noise.end(), std::minstd_rand(12345));
        Tree.AddFile("src/big.bin", noise);
        Zip.FilesToProcess = {Src + "big.bin"};
        int result = Zip.Add(TZlAddMode::zamAdd);
        if (result != ZipAbi::WriteFailed) {
            return 100 + result;
        }
        if (Tree.ReadFile("small/arc.zip") != before) {
            return 2;
        }
        // Nothing is left beside it either: the half-written new archive is gone.
        return SortedNamesIn(small) == std::vector<std::string>{"arc.zip", "first.txt"} ? 0 : 3;
    });
    if (status == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(status, 0);
}

TEST_F(ZipLibrariesTest, KilledWhileWritingLeavesTheOldArchiveIntact)
{
    Tree.AddFile("src/first.txt", "first");
    ASSERT_EQ(AddFiles({"first.txt"}), 0);
    std::string before = Tree.ReadFile("arc.zip");
    Tree.AddFile("src/big.bin", 8 * 1024 * 1024);
    ::fflush(nullptr);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed in the middle of writing the new archive, as a crash or a power cut would.
        Zip.OnStatus = [](TZipArchiver&, const TZlFileStats& stats) {
            if (stats.PercentDone() > 0) {
                ::kill(::getpid(), SIGKILL);
            }
        };
        AddFiles({"big.bin"});
        ::_exit(3); // not killed: the test cannot show anything
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child was not killed while writing";
    EXPECT_EQ(Tree.ReadFile("arc.zip"), before);
    EXPECT_EQ(Listed(), "first.txt 8 5 -\n");
}

} // namespace
} // namespace Tandemix
