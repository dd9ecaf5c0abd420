// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileListing.h"

#include "engine/FileHelpers.h"
#include "engine/ListingMessages.h"
#include "engine/Messages.h"
#include "platform/AtomicFile.h"
#include "platform/FaultHook.h"
#include "platform/FileTimes.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedHost.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Test::RecordingReporter;
using Test::ScriptedHost;

TFileData Named(const std::string& name)
{
    TFileData file;
    file.FileName = name;
    return file;
}

std::time_t LocalTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

class FileListingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Engine.Source.Folder = Src.Root();
        Engine.Target.Folder = Dst.Root();
    }

    void TearDown() override
    {
        EXPECT_TRUE(Host.Unexpected.empty()) << "a listing asked: " << Host.Unexpected.front().Text;
    }

    // A run in progress that keeps the unmatched list.
    void StartRun()
    {
        State.SyncActive = true;
        Opts.UseReportForm = true;
        Opts.ListUnMatchedFiles = true;
    }

    std::vector<std::string> Names(Side side)
    {
        std::vector<std::string> names;
        for (const TFileData& file : ListingOf(Engine, side).Files) {
            names.push_back(file.FileName);
        }
        return names;
    }

    std::multiset<std::string> NameSet(Side side)
    {
        std::vector<std::string> names = Names(side);
        return {names.begin(), names.end()};
    }

    const TFileData* Record(Side side, const std::string& name)
    {
        for (const TFileData& file : ListingOf(Engine, side).Files) {
            if (file.FileName == name) {
                return &file;
            }
        }
        return nullptr;
    }

    std::string SrcFolder() const { return Src.Root() + "/"; }
    std::string DstFolder() const { return Dst.Root() + "/"; }

    TempTree Src;
    TempTree Dst;
    ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    RecordingReporter Report;
    EngineState Engine;
    RunContext Ctx{Opts, State, Host, Report, Engine};
};

// ---- Include masks ---------------------------------------------------------------------------

TEST_F(FileListingTest, MasksWrittenWithBlanksListEveryKindNamed)
{
    Src.AddFile("a.txt", 1);
    Src.AddFile("b.DOC", 2);
    Src.AddFile("c.bin", 3);
    Opts.IncludeString = "*.txt; *.doc;";

    EXPECT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::Listed);

    EXPECT_EQ(NameSet(Side::Source), (std::multiset<std::string>{"a.txt", "b.DOC"}));
    EXPECT_EQ(Opts.IncludeString, "*.txt;*.doc;") << "the edit shows the masks without blanks";
    EXPECT_EQ(Engine.Source.ByteTotal, 3);
}

TEST_F(FileListingTest, FileMatchingTwoMasksIsListedOncePerMaskInMaskOrder)
{
    Src.AddFile("a.txt", 10);
    Src.AddFile("b.txt", 20);
    Src.AddFile("a.doc", 30);
    Src.AddFile("c.bin", 40);
    Opts.IncludeString = "*.txt;a*";

    BuildFileListing(Ctx, Side::Source);

    std::vector<std::string> names = Names(Side::Source);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(std::multiset<std::string>(names.begin(), names.begin() + 2),
              (std::multiset<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(std::multiset<std::string>(names.begin() + 2, names.end()),
              (std::multiset<std::string>{"a.txt", "a.doc"}));
    EXPECT_EQ(Engine.Source.FileCount, 4);
    EXPECT_EQ(Engine.Source.ByteTotal, 10 + 20 + 10 + 30);
}

TEST_F(FileListingTest, EmptyIncludeBecomesEveryFileNamesWithoutDotIncluded)
{
    for (const char* include : {"", "  "}) {
        SCOPED_TRACE(include);
        TempTree tree;
        tree.AddFile("README", 1);
        tree.AddFile("x.y", 1);
        Engine.Source.Folder = tree.Root();
        Opts.IncludeString = include;

        BuildFileListing(Ctx, Side::Source);

        EXPECT_EQ(Opts.IncludeString, "*.*");
        EXPECT_EQ(NameSet(Side::Source), (std::multiset<std::string>{"README", "x.y"}));
    }
}

TEST_F(FileListingTest, ReplicationListsEveryNameButKeepsTheIncludeText)
{
    Src.AddFile("a.txt", 1);
    Src.AddFile("b.doc", 1);
    Opts.IncludeString = "*.doc";
    Opts.ReplicateFolders = true;

    BuildFileListing(Ctx, Side::Source);

    EXPECT_EQ(NameSet(Side::Source), (std::multiset<std::string>{"a.txt", "b.doc"}));
    EXPECT_EQ(Opts.IncludeString, "*.doc");
}

// ---- What is listed ----------------------------------------------------------------------------

TEST_F(FileListingTest, DotFilesAreListedAsHiddenFiles)
{
    Src.AddFile(".profile", 4);
    Src.AddFile("plain", 4);

    BuildFileListing(Ctx, Side::Source);

    const TFileData* dotFile = Record(Side::Source, ".profile");
    ASSERT_NE(dotFile, nullptr);
    EXPECT_NE(dotFile->AttrLetters.find('h'), std::string::npos);
    ASSERT_NE(Record(Side::Source, "plain"), nullptr);
    EXPECT_EQ(Record(Side::Source, "plain")->AttrLetters.find('h'), std::string::npos);
}

TEST_F(FileListingTest, DotFilesAreExcludedAsHiddenWhenHiddenFilesAreOff)
{
    Src.AddFile(".profile", 4);
    Src.AddFile("plain", 4);
    Opts.CheckHidden = false;
    StartRun();

    BuildFileListing(Ctx, Side::Source);

    EXPECT_EQ(Names(Side::Source), std::vector<std::string>{"plain"});
    std::vector<RecordingReporter::Entry> excluded = Report.EntriesIn(ReportCategory::Excluded);
    ASSERT_EQ(excluded.size(), 1u);
    EXPECT_EQ(excluded[0].Name, ".profile");
    EXPECT_EQ(excluded[0].Path, SrcFolder());
    EXPECT_EQ(excluded[0].SizeText, "4");
    EXPECT_EQ(excluded[0].Kind, Msg::ReasonHiddenFile);
}

TEST_F(FileListingTest, LeftoversOfAnInterruptedCopyAreNeverListedNorCounted)
{
    Src.AddFile("a.txt", 5);
    std::string leftover = TempPathFor(Src.Path("a.txt"));
    Src.AddFile(leftover.substr(Src.Root().size() + 1), 7);
    ASSERT_TRUE(IsTempName(leftover));
    // Even replication, which lists everything, must not take a half-written file for a file.
    Opts.DeleteUnmatched = true;
    Opts.ReplicateFolders = true;
    State.SyncActive = true;

    BuildFileListing(Ctx, Side::Source);

    EXPECT_EQ(Names(Side::Source), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(Engine.TotalFileCount, 1);
    EXPECT_EQ(Engine.Source.ByteTotal, 5);
}

TEST_F(FileListingTest, NameThatIsNotValidUtf8IsListedByteForByte)
{
    const std::string name = "bad\xff\xfe name.txt";
    Src.AddFile(name, 3);
    for (const char* include : {"*.*", "*.txt", "bad*"}) {
        SCOPED_TRACE(include);
        Opts.IncludeString = include;
        BuildFileListing(Ctx, Side::Source);
        EXPECT_EQ(Names(Side::Source), std::vector<std::string>{name});
    }
}

TEST_F(FileListingTest, SymlinksAreListedAsLinksNeverFollowed)
{
    Src.AddFile("real.txt", 100);
    Src.AddFolder("dir");
    Src.AddFile("dir/inner.txt", 1);
    Src.AddSymlink("to-file", "real.txt");
    Src.AddSymlink("to-dir", "dir");
    Src.AddSymlink("dangling", "nowhere");

    BuildFileListing(Ctx, Side::Source);

    EXPECT_EQ(NameSet(Side::Source),
              (std::multiset<std::string>{"real.txt", "to-file", "to-dir", "dangling"}));
    for (const char* link : {"to-file", "to-dir", "dangling"}) {
        const TFileData* record = Record(Side::Source, link);
        ASSERT_NE(record, nullptr) << link;
        EXPECT_TRUE(record->IsLink) << link;
        EXPECT_LT(record->FileSize, 100) << link << ": the link's own size, not its target's";
    }
    EXPECT_FALSE(Record(Side::Source, "real.txt")->IsLink);
}

TEST_F(FileListingTest, ArchiveBeingWrittenIsNotATargetFile)
{
    Dst.AddFile("data.txt", 1);
    Dst.AddFile("Src.zip", 1);
    StartRun();
    Opts.UseCompression = true;
    Engine.ArchiveBeingWritten = DstFolder() + "Src.zip";

    BuildFileListing(Ctx, Side::Target);

    EXPECT_EQ(Names(Side::Target), std::vector<std::string>{"data.txt"});
}

// ---- Date stamps ---------------------------------------------------------------------------

TEST_F(FileListingTest, FileFrom1979IsListedAs1980WithALogLineAndNoDialog)
{
    Src.AddFile("old.txt", 1, LocalTime(1979, 6, 15));
    Opts.DisplayMessages = true;

    BuildFileListing(Ctx, Side::Source);

    const TFileData* old = Record(Side::Source, "old.txt");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->FileTime, PackedTimeFloor);
    EXPECT_EQ(
        Report.LogTexts(LogKind::FileError),
        std::vector<std::string>{SrcFolder() + "old.txt  Date stamp is older than 1980!  Using date: 1980."});
    EXPECT_TRUE(Host.Questions.empty());
}

TEST_F(FileListingTest, FileDatedBeyondWhatAPackedTimeHoldsIsSkippedWithALogLine)
{
    std::string path = Src.AddFile("future.txt", 1, LocalTime(2110, 1, 1));
    Src.AddFile("now.txt", 1);
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    if (st.st_mtime != LocalTime(2110, 1, 1)) {
        GTEST_SKIP() << "this filesystem cannot store a date in 2110";
    }

    BuildFileListing(Ctx, Side::Source);

    EXPECT_EQ(Names(Side::Source), std::vector<std::string>{"now.txt"});
    EXPECT_EQ(
        Report.LogTexts(LogKind::FileError),
        std::vector<std::string>{SrcFolder() + "future.txt  Date stamp is not valid!  Skipping file!."});
    EXPECT_TRUE(Host.Questions.empty());
}

// ---- Unmatched target items -------------------------------------------------------------------

struct UnmatchedCase
{
    const char* Label;
    Side ListedSide;
    bool SyncActive;
    bool Suppressed;
    bool WalkSubFolders;
    bool Expected;
};

class UnmatchedReportTest : public FileListingTest, public ::testing::WithParamInterface<UnmatchedCase>
{};

TEST_P(UnmatchedReportTest, TargetItemsAreUnmatchedOnlyWhileARunListsTheTarget)
{
    const UnmatchedCase& c = GetParam();
    TempTree& tree = c.ListedSide == Side::Target ? Dst : Src;
    std::string folder = tree.Root() + "/";
    tree.AddFolder("sub");
    tree.AddFile("f.txt", 12);
    StartRun();
    State.SyncActive = c.SyncActive;
    State.SuppressUnmatchedReport = c.Suppressed;
    Opts.IncludeSubFolderOption = c.WalkSubFolders;

    BuildFileListing(Ctx, c.ListedSide);

    EXPECT_EQ(Names(c.ListedSide), std::vector<std::string>{"f.txt"}) << "folders are never listed";
    std::vector<RecordingReporter::Entry> entries = Report.EntriesIn(ReportCategory::UnMatched);
    std::vector<RecordingReporter::Entry> folders;
    std::vector<RecordingReporter::Entry> files;
    for (const RecordingReporter::Entry& entry : entries) {
        (entry.Kind == Msg::ReportUnMatchedFolder ? folders : files).push_back(entry);
    }
    bool filesExpected = c.ListedSide == Side::Target && c.SyncActive && !c.Suppressed;
    ASSERT_EQ(folders.size(), c.Expected ? 1u : 0u);
    ASSERT_EQ(files.size(), filesExpected ? 1u : 0u);
    if (c.Expected) {
        EXPECT_EQ(folders[0].Name, "sub");
        EXPECT_EQ(folders[0].Path, folder);
        EXPECT_EQ(folders[0].SizeText, "0");
        EXPECT_EQ(folders[0].Detail, "Folder-------------");
    }
    if (filesExpected) {
        EXPECT_EQ(files[0].Kind, "UnMatched Files");
        EXPECT_EQ(files[0].Name, "f.txt");
        EXPECT_EQ(files[0].Path, folder);
        EXPECT_EQ(files[0].SizeText, "12");
        EXPECT_EQ(files[0].Detail, FileDateTimeText(Engine.Target.Files[0].FileTime));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Listing,
    UnmatchedReportTest,
    ::testing::Values(UnmatchedCase{"TargetDuringRun", Side::Target, true, false, true, true},
                      UnmatchedCase{"TargetOutsideRun", Side::Target, false, false, true, false},
                      UnmatchedCase{"TargetWhileSuppressed", Side::Target, true, true, true, false},
                      UnmatchedCase{"TargetRunWithoutSubFolders", Side::Target, true, false, false, false},
                      UnmatchedCase{"SourceDuringRun", Side::Source, true, false, true, false}),
    [](const ::testing::TestParamInfo<UnmatchedCase>& row) { return std::string(row.param.Label); });

// ---- Counts and totals ---------------------------------------------------------------------------

TEST_F(FileListingTest, CountsFilesSeenAndListedAndTotalsBeyondFourGigabytes)
{
    Src.AddFile("small.txt", 10);
    Src.AddFile(".hidden", 5);
    std::string big = Src.Path("big.img");
    int fd = ::open(big.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const std::int64_t bigSize = std::int64_t{3} << 30; // sparse: takes no room
    int truncated = ::ftruncate(fd, bigSize);
    ::close(fd);
    ASSERT_EQ(truncated, 0) << std::strerror(errno);
    Src.AddFile("b2.img", 0);
    ASSERT_EQ(::truncate(Src.Path("b2.img").c_str(), bigSize), 0);
    Opts.CheckHidden = false;
    State.SyncActive = true;

    BuildFileListing(Ctx, Side::Source);

    EXPECT_EQ(Engine.Source.FileCount, 3) << "files listed";
    EXPECT_EQ(Engine.TotalFileCount, 4) << "files seen, the excluded one too";
    EXPECT_EQ(Engine.Source.ByteTotal, 2 * bigSize + 10);
    EXPECT_EQ(Record(Side::Source, "big.img")->FileSize, bigSize);
}

TEST_F(FileListingTest, EachListingStartsFromScratch)
{
    Src.AddFile("a.txt", 1);
    Src.AddFile("b.txt", 2);
    BuildFileListing(Ctx, Side::Source);
    ASSERT_EQ(Engine.Source.FileCount, 2);
    TempTree::RemoveAll(Src.Path("b.txt"));

    BuildFileListing(Ctx, Side::Source);

    EXPECT_EQ(Names(Side::Source), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(Engine.Source.FileCount, 1);
    EXPECT_EQ(Engine.Source.ByteTotal, 1);
}

// ---- Ending early, failing folders ----------------------------------------------------------------

TEST_F(FileListingTest, StopDuringTheListingEndsIt)
{
    for (int i = 0; i < 5; ++i) {
        Src.AddFile("f" + std::to_string(i), 1);
    }
    // Every poll pumps: a clock that moves on by more than the pump interval at each reading.
    RunState::Clock::time_point now{};
    State.SetClock([&now] { return now += std::chrono::milliseconds(50); });
    Host.OnNextPump([] {}); // the listing's own pump before it reads
    Host.OnNextPump([] {}); // the poll of the first entry
    Host.OnNextPump([this] { State.StopButtonClick(); }); // the poll of the second
    Host.QueueAnswer(DialogResult::Yes);

    EXPECT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::Stopped);

    EXPECT_EQ(Engine.Source.Files.size(), 1u);
    EXPECT_EQ(Engine.Source.FileCount, 1);
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text, Msg::ConfirmStop);
}

TEST_F(FileListingTest, MissingFolderListsEmpty)
{
    Engine.Target.Files.push_back(TFileData{});
    Engine.Target.Folder = Dst.Path("not/yet");

    EXPECT_EQ(BuildFileListing(Ctx, Side::Target), ListingOutcome::FolderMissing);

    EXPECT_TRUE(Engine.Target.Files.empty());
    EXPECT_EQ(Engine.Target.FileCount, 0);
    EXPECT_TRUE(Report.Logs.empty()) << "a target yet to be created is nothing to report";
    EXPECT_GE(Engine.TargetFreeSpace, 0) << "the filesystem it will be created on counts";
}

TEST_F(FileListingTest, UnreadableFolderIsReportedAndSaysSo)
{
    Src.AddFile("a.txt", 1);
    ScopedFault fault(FaultPlan{FaultOp::Open, EACCES, Src.Root()});

    EXPECT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::ReadFailed);

    EXPECT_TRUE(Engine.Source.Files.empty());
    std::vector<std::string> logged = Report.LogTexts(LogKind::FileError);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].rfind(SrcFolder() + "  " + std::string(Msg::FolderReadFailed), 0), 0u) << logged[0];
    EXPECT_TRUE(Host.Questions.empty());
}

TEST_F(FileListingTest, NothingIsListedWhileSettingsAreApplied)
{
    Src.AddFile("a.txt", 1);
    Engine.Source.Files.push_back(Named("kept"));
    State.SourceFileListTag = 1;

    EXPECT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::NotListed);

    EXPECT_EQ(Names(Side::Source), std::vector<std::string>{"kept"});
}

TEST_F(FileListingTest, RefreshListsBothSidesAndEndsReady)
{
    Src.AddFile("s.txt", 1);
    Dst.AddFile("t.txt", 1);

    RefreshFileListings(Ctx);

    EXPECT_EQ(Names(Side::Source), std::vector<std::string>{"s.txt"});
    EXPECT_EQ(Names(Side::Target), std::vector<std::string>{"t.txt"});
    EXPECT_EQ(Host.LastStatus(), Msg::Ready);
}

TEST_F(FileListingTest, RefreshSkipsTheSideWhosePollAnswersExactlyOne)
{
    Src.AddFile("s.txt", 1);
    Dst.AddFile("t.txt", 1);
    Engine.Source.Files.push_back(Named("kept"));
    // An aborted archive operation answers one poll with 1 and lets later polls go on.
    State.OperationState = static_cast<int>(OperationStates::ZipAbort);

    RefreshFileListings(Ctx);

    EXPECT_EQ(Names(Side::Source), std::vector<std::string>{"kept"});
    EXPECT_EQ(Names(Side::Target), std::vector<std::string>{"t.txt"});
}

// ---- Free space ------------------------------------------------------------------------------------

TEST_F(FileListingTest, TargetWhoseFreeSpaceCannotBeReadIsUnknown)
{
    auto unreadable = [](const std::string&) -> std::int64_t {
        return -1;
    };

    UpdateFreeSpace(Ctx, Side::Target, DstFolder(), unreadable);

    EXPECT_EQ(Engine.TargetFreeSpace, -1);
    EXPECT_EQ(Engine.Target.FreeSpaceText, "Unknown");
    EXPECT_EQ(Engine.RemainingTargetSpace, "Unknown");

    UpdateFreeSpace(Ctx, Side::Source, SrcFolder(), unreadable);
    EXPECT_EQ(Engine.Source.FreeSpaceText, "0 bytes") << "only the target's space is checked before a copy";
}

TEST_F(FileListingTest, LocalTargetShowsItsFreeSpace)
{
    BuildFileListing(Ctx, Side::Target);

    ASSERT_GT(Engine.TargetFreeSpace, 0);
    EXPECT_EQ(Engine.Target.FreeSpaceText, FormatSize(Engine.TargetFreeSpace));
    EXPECT_EQ(Engine.RemainingTargetSpace, Engine.Target.FreeSpaceText);
}

} // namespace
} // namespace Tandemix
