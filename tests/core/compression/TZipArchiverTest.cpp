// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/ZipArch32.h"
#include "standin/ZipStandIn.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Tandemix {
namespace {

using Args = std::vector<std::string>;

// The stand-in's record, reached through the handle the component itself loaded (dlopen of the
// same path gives the same library).
StandInState& Record(const char* libraryName)
{
    std::string path = std::string(TANDEMIX_STANDIN_DIR) + libraryName;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << ::dlerror();
    auto record = reinterpret_cast<void* (*)()>(::dlsym(handle, "StandInRecord"));
    return *static_cast<StandInState*>(record());
}

class TZipArchiverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Zip.LibraryFolders = {TANDEMIX_STANDIN_DIR};
        for (const char* name : {ZipAbi::ZipLibraryName, ZipAbi::UnzipLibraryName}) {
            Record(name) = StandInState{};
        }
    }

    Args LastCall(const char* libraryName)
    {
        StandInState& record = Record(libraryName);
        EXPECT_FALSE(record.Calls.empty());
        return record.Calls.empty() ? Args{} : record.Calls.back();
    }

    std::pair<std::string, int> Reply(const char* libraryName)
    {
        return {Record(libraryName).ReplyText, Record(libraryName).ReplyAction};
    }

    TZipArchiver Zip;
};

// ---- Argument lists ----------------------------------------------------------------------

const char* const ZipLib = ZipAbi::ZipLibraryName;
const char* const UnzLib = ZipAbi::UnzipLibraryName;

// One of the component's operations by name.
int Perform(TZipArchiver& z, std::string_view op)
{
    using enum TZlAddMode;
    return op == "Add"              ? z.Add(zamAdd)
           : op == "Freshen"        ? z.Add(zamFreshen)
           : op == "Update"         ? z.Add(zamUpdate)
           : op == "Extract"        ? z.Extract(zamAdd)
           : op == "ExtractFreshen" ? z.Extract(zamFreshen)
           : op == "ExtractUpdate"  ? z.Extract(zamUpdate)
           : op == "Delete"         ? z.Delete()
                                    : z.List();
}

// Words split at blanks, '' standing for an empty one.
Args Words(const std::string& text)
{
    Args words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word == "''" ? "" : word);
    }
    return words;
}

const std::string Stored = " -n .ZIP;.LZH;.ARC;.ARJ;.ZOO";

// Call: the operation, the entry name the library gets, then the arguments; Set: the settings of
// a component whose archive is "a.zip".
// clang-format off
struct ArgRow { std::string Name, Call; std::function<void(TZipArchiver&)> Set; };
const ArgRow ArgRows[] = {
    {"AddDefaultsEmptyListStillNamesArchive", "Add ziplib '' -6" + Stored + " -t 010180 /t/a.zip",
     [](auto& z) { z.ZipFileName = "/t/a.zip"; }},
    {"AddEverySwitchInOrder", "Add ziplib pw -e -9 -m -S -D -$ -r -g -b /tmp/x" + Stored + " -& -t 010180 a.zip f1 f2 -i *.c *.h -x *.o",
     [](auto& z) { z.Password = "pw", z.Compression = 9, z.TempPath = "/tmp/x", z.UseTempFile = false, z.Recurse = z.ClearDisks = true;
                   z.MoveFiles = z.IncludeHiddenFiles = z.IncludeDirectoryEntries = z.IncludeVolumeLabel = true;
                   z.FilesToProcess = {"f1", ">*.c", "<*.o", "f2", ">*.h"}; }},
    {"FreshenDropsHiddenDirectoriesAndVolume", "Freshen ziplib '' -f -0 -j -t 010180 a.zip",
     [](auto& z) { z.IncludeHiddenFiles = z.IncludeDirectoryEntries = z.IncludeVolumeLabel = true;
                   z.Compression = 0, z.UsePaths = false, z.StoredExtensions.clear(); }},
    {"UpdateKeepsHiddenButNotVolume", "Update ziplib '' -u -6 -S -j -t 010180 a.zip",
     [](auto& z) { z.IncludeHiddenFiles = z.IncludeVolumeLabel = z.IncludeDirectoryEntries = true;
                   z.UsePaths = false, z.StoredExtensions.clear(); }}, // directory entries only go with paths
    {"MasksWithoutPlainItemAreDropped", "Add ziplib '' -6 -t 010180 a.zip",
     [](auto& z) { z.StoredExtensions.clear(), z.FilesToProcess = {">*.c", "<*.o"}; }},
    {"AnEmptyItemIsAPlainItem", "Add ziplib '' -6 -t 010180 a.zip '' -x *.o",
     [](auto& z) { z.StoredExtensions.clear(), z.FilesToProcess = {"", "<*.o"}; }},
    {"TheDateAfterTFollowsFromDate", "Add ziplib '' -6 -t 123103 a.zip",
     [](auto& z) { z.FromMonth = 12, z.FromDay = 31, z.FromYear = 2003, z.StoredExtensions = ""; }},
    {"DeleteWithTempFolderAndMasks", "Delete ziplib pw -d -b /tmp/x a.zip gone.txt -i *.txt",
     [](auto& z) { z.Password = "pw", z.TempPath = "/tmp/x", z.FilesToProcess = {"gone.txt", ">*.txt"}; }},
    {"ExtractIncludeSignIsPlainAndFolderComesLast", "Extract unzlib '' -j -o a.zip >x.c y.c -x *.o -d /t/out",
     [](auto& z) { z.UsePaths = false, z.Overwrite = TZlOverwrite::zowAlways, z.ExtractDirectory = "/t/out";
                   z.FilesToProcess = {">x.c", "<*.o", "y.c"}; }},
    {"ExtractUpdateNeverOverwrite", "ExtractUpdate unzlib '' -u -n a.zip",
     [](auto& z) { z.Overwrite = TZlOverwrite::zowNever; }},
    {"ListWithMultidisk", "List unzlib pw -v -! a.zip *.txt -x b*",
     [](auto& z) { z.Password = "pw", z.MultidiskMode = true, z.FilesToProcess = {"*.txt", "<b*"}; }},
    {"MultidiskAddWritesWithoutTempFile", "Add ziplib '' -6 -g -! -t 010180 a.zip",
     [](auto& z) { z.MultidiskMode = true, z.StoredExtensions.clear(); }},
};
// clang-format on

TEST_F(TZipArchiverTest, LibraryGetsTheListInOrder)
{
    for (const ArgRow& row : ArgRows) {
        SCOPED_TRACE(row.Name);
        SetUp();
        TZipArchiver zip;
        zip.LibraryFolders = {TANDEMIX_STANDIN_DIR};
        zip.ZipFileName = "a.zip";
        row.Set(zip);
        Args expected = Words(row.Call);
        EXPECT_EQ(Perform(zip, expected.front()), 0);
        expected.erase(expected.begin());
        EXPECT_EQ(LastCall(expected.front() == "ziplib" ? ZipLib : UnzLib), expected);
        EXPECT_TRUE(zip.FilesToProcess.empty());
    }
}

TEST_F(TZipArchiverTest, MultidiskIsRefusedWithoutCallingTheLibrary)
{
    Zip.MultidiskMode = true;
    for (const char* op : {"Freshen", "Update", "Delete", "ExtractFreshen", "ExtractUpdate"}) {
        SCOPED_TRACE(op);
        SetUp();
        Zip.FilesToProcess = {"a"};
        EXPECT_EQ(Perform(Zip, op), 130);
        EXPECT_TRUE(Record(ZipLib).Calls.empty());
        EXPECT_TRUE(Record(UnzLib).Calls.empty());
        EXPECT_TRUE(Zip.FilesToProcess.empty());
    }
}

// ---- Loading ------------------------------------------------------------------------------

TEST_F(TZipArchiverTest, FailedLoadGives240AndIsRetriedByTheNextOperation)
{
    TempTree tree;
    Zip.LibraryFolders = {tree.Path() + "/"};
    Zip.FilesToProcess = {"a"};
    EXPECT_EQ(Zip.Add(TZlAddMode::zamAdd), 240);
    EXPECT_TRUE(Zip.FilesToProcess.empty());
    EXPECT_EQ(Zip.List(), 240);
    EXPECT_EQ(Zip.CountFiles(), 0u);

    // A shared object of that name that exports no entry point is released and refused.
    std::filesystem::copy_file(std::string(TANDEMIX_STANDIN_DIR) + "libnoentry.so", tree.Path(ZipLib));
    EXPECT_EQ(Zip.Delete(), 240);

    // A library put in place afterwards is found by the next operation.
    std::filesystem::copy_file(std::string(TANDEMIX_STANDIN_DIR) + ZipLib,
                               tree.Path(ZipLib),
                               std::filesystem::copy_options::overwrite_existing);
    Zip.ZipFileName = "a.zip";
    EXPECT_EQ(Zip.Add(TZlAddMode::zamAdd), 0);
}

// ---- Callback messages --------------------------------------------------------------------

TEST_F(TZipArchiverTest, CountAnswersEntryCountOnlyWhenTheLibrarySucceeds)
{
    Zip.ZipFileName = "/t/a.zip";
    Record(UnzLib).Script = ScriptCount;
    EXPECT_EQ(Zip.CountFiles(), 7u);
    EXPECT_EQ(LastCall(UnzLib), (Args{"unzlib", "count", "/t/a.zip", "0"}));

    Zip.MultidiskMode = true;
    Record(UnzLib).Result = 9;
    EXPECT_EQ(Zip.CountFiles(), 0u);
    EXPECT_EQ(LastCall(UnzLib), (Args{"unzlib", "count", "/t/a.zip", "1234567890"}));
}

TEST_F(TZipArchiverTest, PasswordQueryIsAnsweredFromThePasswordCutTo80OrElseByTheHandler)
{
    Record(UnzLib).Script = ScriptPasswordQuery;
    std::vector<TZlPwdQuery> seen;
    Zip.OnPwdQuery = [&](TZipArchiver&, TZlPwdQuery& query) {
        seen.push_back(query);
        query.Password = "typed";
        query.Action = 3;
    };
    Zip.Password = std::string(100, 'p');
    Zip.List();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(Reply(UnzLib), std::pair(std::string(80, 'p'), 2));

    Zip.Password.clear();
    Zip.List();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(std::tie(seen[0].FileName, seen[0].Password, seen[0].Action),
              std::tuple("/some/where/file.txt", "", 9));
    EXPECT_EQ(Reply(UnzLib), std::pair(std::string("typed"), 3));
}

TEST_F(TZipArchiverTest, ListingEventsCarryTheEntryAndAbortIsAnsweredAfterEachMessage)
{
    Record(UnzLib).Script = ScriptListTwo;
    std::vector<TZlFileStats> seen;
    Zip.OnListing = [&](TZipArchiver& z, const TZlFileStats& stats) {
        seen.push_back(stats);
        z.Abort = true; // a stop request during the first entry
    };
    Zip.List();
    ASSERT_EQ(seen.size(), 2u);
    const TZlFileStats& first = seen[0];
    EXPECT_EQ(std::tuple(first.FileName, first.Size, first.CompressedSize, first.DosDateTime),
              std::tuple("first.txt", 5'000'000'000, 1234, 0x5A211234u));
    EXPECT_EQ(std::tuple(first.Attributes.ReadOnly, first.Attributes.Archive, first.Attributes.Hidden),
              std::tuple(true, true, false));
    EXPECT_EQ(first.PercentDone(), 100);
    EXPECT_EQ(first.Comment, "a comment"); // its length byte, not the text's end
    EXPECT_EQ(Record(UnzLib).Answers, (std::vector<std::uint32_t>{1, 1}));
    EXPECT_FALSE(Zip.Abort); // cleared after the call

    // A handler that throws ends the operation instead of unwinding through the library.
    Record(UnzLib).Answers.clear();
    Zip.OnListing = [](TZipArchiver&, const TZlFileStats&) {
        throw std::runtime_error("full");
    };
    Zip.List();
    EXPECT_EQ(Record(UnzLib).Answers, (std::vector<std::uint32_t>{1, 1}));
}

TEST_F(TZipArchiverTest, SharedTextKeepsAtMost255CharactersAndAnUnknownMessageGetsTheAbortFlag)
{
    Record(ZipLib).Script = ScriptSharedText;
    Zip.Delete();
    EXPECT_EQ(SharedText(), std::string(255, 'q'));
    EXPECT_EQ(Reply(ZipLib), std::pair(std::string(255, 'q'), 1));
    TZipArchiver another;
    EXPECT_EQ(SharedText(), "");

    Record(UnzLib).Script = ScriptUnknownMessage;
    Record(UnzLib).Result = 0x00070055; // the operation's result: the answer's low sixteen bits
    EXPECT_EQ(Zip.List(), 0x55);
    EXPECT_EQ(Record(UnzLib).Answers, (std::vector<std::uint32_t>{0}));
}

} // namespace
} // namespace Tandemix
