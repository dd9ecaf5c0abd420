// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileListing.h"

#include "engine/FileHelpers.h"
#include "engine/ListingMessages.h"
#include "engine/MatchAndDecide.h"
#include "engine/Messages.h"
#include "platform/AtomicFile.h"
#include "platform/FaultHook.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "support/CoreBundle.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <set>

namespace Tandemix {
namespace {

using Test::LocalTime;
using Test::PrintTo;
using Test::RecordingReporter;
using ::testing::ElementsAre, ::testing::StartsWith;
using Names = std::vector<std::string>;
using NameSet = std::multiset<std::string>;

class FileListingTest : public ::testing::Test, public Test::CoreBundle
{
protected:
    void SetUp() override
    {
        Engine.Source.Folder = Src.Root();
        Engine.Target.Folder = Dst.Root();
    }

    // No listing asks the user anything, unless a test queued the answer: any other question fails here.
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
    Names Listed(Side side)
    {
        Names names;
        std::ranges::transform(ListingOf(Engine, side).Files,
                               std::back_inserter(names),
                               &TFileData::FileName);
        return names;
    }
    NameSet ListedSet(Side side)
    {
        Names names = Listed(side);
        return {names.begin(), names.end()};
    }
    const TFileData* Record(Side side, const std::string& name)
    {
        const std::vector<TFileData>& files = ListingOf(Engine, side).Files;
        auto found = std::ranges::find(files, name, &TFileData::FileName);
        return found == files.end() ? nullptr : &*found;
    }
    std::string SrcFolder() const { return Src.Root() + "/"; }
    TempTree Src;
    TempTree Dst;
};

TEST_F(FileListingTest, IncludeMasksBlanksEmptyIncludeAndReplication)
{
    Src.AddFile("a.txt", 1);
    Src.AddFile("b.DOC", 2);
    Src.AddFile("c.bin", 4);
    Src.AddFile("README", 8);
    Src.AddFile("a.doc", 16);
    const NameSet all{"a.txt", "b.DOC", "c.bin", "README", "a.doc"};
    // FirstMask: what comes first, before what the next mask finds; a file two masks find is
    // listed once for each.
    // clang-format off
    struct Row { const char* Include; bool Replicate; NameSet Expected; const char* IncludeShown; std::int64_t Bytes;
                 NameSet FirstMask = {}; };
    // clang-format on
    // The narrowest listing comes last: each listing must start from scratch, not add to the last.
    const Row rows[] = {
        {"", false, all, "*.*", 31}, // names without a dot are included
        {"  ", false, all, "*.*", 31},
        {"*.doc", true, all, "*.doc", 31}, // replication lists everything, keeps the text
        {"*.doc;a*", false, {"b.DOC", "a.doc", "a.txt", "a.doc"}, "*.doc;a*", 35, {"b.DOC", "a.doc"}},
        {"*.txt; *.doc;", false, {"a.txt", "b.DOC", "a.doc"}, "*.txt;*.doc;", 19}, // shown without blanks
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("'") + row.Include + "'");
        Opts.IncludeString = row.Include;
        Opts.ReplicateFolders = row.Replicate;
        EXPECT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::Listed);
        EXPECT_EQ(ListedSet(Side::Source), row.Expected);
        Names names = Listed(Side::Source);
        ASSERT_GE(names.size(), row.FirstMask.size());
        EXPECT_EQ(NameSet(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(row.FirstMask.size())),
                  row.FirstMask);
        EXPECT_EQ(Opts.IncludeString, row.IncludeShown);
        EXPECT_EQ(std::tie(Engine.Source.ByteTotal, Engine.Source.FileCount),
                  std::make_tuple(row.Bytes, static_cast<int>(row.Expected.size())));
    }
}

// Names like the copy's temporary files and names that are not valid UTF-8 are the user's
// files like any other (a dot file is a hidden one); links are listed as links, never followed.
TEST_F(FileListingTest, EveryNameIsListedByteForByteAndLinksAsLinks)
{
    const std::string bad = "bad\xff\xfe name.txt";
    Src.AddFile(bad, 3);
    Src.AddFile("real.txt", 100);
    const std::string lookAlike = TempPathFor(Src.Path("real.txt")).substr(Src.Root().size() + 1);
    Src.AddFile(lookAlike, 7);
    ASSERT_TRUE(IsTempName(lookAlike));
    Src.AddFile("dir/inner.txt", 1);
    Src.AddSymlink("to-file", "real.txt");
    Src.AddSymlink("to-dir", "dir");
    Src.AddSymlink("dangling", "nowhere");
    State.SyncActive = true;
    BuildFileListing(Ctx, Side::Source);
    ASSERT_EQ(ListedSet(Side::Source),
              (NameSet{bad, "real.txt", lookAlike, "to-file", "to-dir", "dangling"}));
    EXPECT_EQ(Engine.TotalFileCount, 6);
    for (const char* link : {"to-file", "to-dir", "dangling"}) {
        EXPECT_TRUE(Record(Side::Source, link)->IsLink) << link;
        EXPECT_LT(Record(Side::Source, link)->FileSize, 100)
            << link << ": the link's own size, not its target's";
    }
    EXPECT_FALSE(Record(Side::Source, "real.txt")->IsLink);
    EXPECT_NE(Record(Side::Source, lookAlike)->AttrLetters.find('h'), std::string::npos) << lookAlike;
    EXPECT_EQ(Record(Side::Source, "real.txt")->AttrLetters.find('h'), std::string::npos);
    for (const char* include : {"*.txt", "bad*"}) {
        Opts.IncludeString = include;
        BuildFileListing(Ctx, Side::Source);
        EXPECT_TRUE(Record(Side::Source, bad) != nullptr) << include;
    }
}

// Neither case is worth a dialog: the log line says it all.
TEST_F(FileListingTest, FileFrom1979IsListedAs1980AndOneBeyondAPackedTimeIsSkippedWithLogLines)
{
    Src.AddFile("old.txt", 1, LocalTime(1979, 6, 15));
    std::string future = Src.AddFile("future.txt", 1, LocalTime(2110, 1, 1));
    Src.AddFile("now.txt", 1);
    if (Tandemix::Test::LStat(future).st_mtime != LocalTime(2110, 1, 1)) {
        GTEST_SKIP() << "this filesystem cannot store a date in 2110";
    }
    Opts.DisplayMessages = true;
    BuildFileListing(Ctx, Side::Source);
    ASSERT_EQ(ListedSet(Side::Source), (NameSet{"old.txt", "now.txt"}));
    EXPECT_EQ(Record(Side::Source, "old.txt")->FileTime, PackedTimeFloor);
    Names logged = Report.LogTexts(LogKind::FileError);
    EXPECT_EQ(NameSet(logged.begin(), logged.end()),
              (NameSet{SrcFolder() + "old.txt  Date stamp is older than 1980!  Using date: 1980.",
                       SrcFolder() + "future.txt  Date stamp is not valid!  Skipping file!."}));
}

// A file whose archive flag was reset is a normal file; either switch must see the flag. The
// listing skips the flag unless a filter needs it; the rows a run will copy must still carry each
// file's own flag, since the copy gives it to the target.
TEST_F(FileListingTest, NormalAndArchiveSwitchesBothReadTheArchiveFlagAndTheDecidedRowsCarryIt)
{
    Src.AddFile("changed.txt", 4);
    if (!Tandemix::Test::ArchiveFlagResets(Src.AddFile("backed-up.txt", 4))) {
        GTEST_SKIP() << "this filesystem keeps no user extended attributes";
    }
    // clang-format off
    const std::tuple<bool, bool, NameSet> rows[] = {{true, true, {"backed-up.txt", "changed.txt"}},
        {false, true, {"changed.txt"}}, {true, false, {"backed-up.txt"}}, {false, false, {}}};
    // clang-format on
    for (const auto& [normal, archive, expected] : rows) {
        SCOPED_TRACE(testing::Message() << normal << archive);
        Opts.CheckNormal = normal;
        Opts.CheckArchive = archive;
        BuildFileListing(Ctx, Side::Source);
        BuildFileListing(Ctx, Side::Target);
        EXPECT_EQ(ListedSet(Side::Source), expected);
        MatchAndDecide(Ctx, false);
        EXPECT_EQ(Engine.Delta.Rows.size(), expected.size());
        for (const DeltaRow& row : Engine.Delta.Rows) {
            EXPECT_EQ(row.AttrLetters, row.FileName == "changed.txt" ? "a" : "") << row.FileName;
        }
    }
}

// SourceToo: the filter leaves the source files in, so it is set before both listings. Every
// filter ExclusionReason applies leaves a file out the same way; ExclusionReasonTest has each one.
// clang-format off
struct TwinCase { const char* Name; void (*Filter)(Options&, EngineState&); bool SourceToo; };
const TwinCase TwinCases[] = {
    {"Size",        [](Options& o, EngineState&) { o.MaxFileSize = "100"; },     true},
    {"Exclusion",   [](Options&, EngineState& e) { e.ExcludeList = {".TXT"}; },  false},
    {"IncludeMask", [](Options& o, EngineState&) { o.IncludeString = "*.dat"; }, false}};
// clang-format on

using FilteredTwinTest = Test::TableOf<FileListingTest, TwinCase>;

TEST_P(FilteredTwinTest, ATargetFileLeftOutIsStillTheTwinButNeverListedOrUnmatched)
{
    // a.txt: the target is newer (and bigger); b.txt: the target is older. c.dat has no source
    // and passes every filter below; the target twins fail every one.
    Src.AddFile("a.txt", 17, LocalTime(2001, 6, 1));
    Src.AddFile("b.txt", 17, LocalTime(2020, 6, 1));
    Dst.AddFile("a.txt", 677, LocalTime(2024, 6, 1), 0444);
    Dst.AddFile("b.txt", 677, LocalTime(2010, 6, 1), 0444);
    Dst.AddFile("c.dat", 5, LocalTime(2013, 6, 1));
    StartRun();
    // Otherwise the source pane was listed before the filter changed.
    if (GetParam().SourceToo) {
        GetParam().Filter(Opts, Engine);
    }
    ASSERT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::Listed);
    ASSERT_EQ(Listed(Side::Source).size(), 2u);
    GetParam().Filter(Opts, Engine);
    BuildFileListing(Ctx, Side::Target);
    EXPECT_EQ(std::tie(Engine.Target.FileCount, Engine.Target.ByteTotal), std::make_tuple(1, 5));
    MatchAndDecide(Ctx, false);
    ASSERT_EQ(Engine.Delta.Rows.size(), 1u) << "the newer a.txt is left alone, never added over";
    const DeltaRow& row = Engine.Delta.Rows[0];
    EXPECT_EQ(row.FileName + "|" + row.Reason + "|" + row.TargetName, "b.txt|Older File|b.txt");
    EXPECT_EQ(Listed(Side::Target), Names{"c.dat"});
    // Filed once and never withdrawn: the twins never stood in the unmatched list.
    std::vector<RecordingReporter::Entry> unmatched = Report.EntriesIn(ReportCategory::UnMatched);
    ASSERT_EQ(unmatched.size(), 1u);
    EXPECT_EQ(unmatched[0].Name + "|" + unmatched[0].Kind, "c.dat|UnMatched Files");
}

INSTANTIATE_TEST_SUITE_P(Filters, FilteredTwinTest, ::testing::ValuesIn(TwinCases), Test::ByName());

// A fifo, socket or device is never listed. In the source a run says so, once; in the target it
// is a name taken, and a source file of that name is not copied over it. The archive a run
// writes is no target file either.
TEST_F(FileListingTest, EntriesThatAreNotFilesAreNamedInTheSourceAndBlockTheirNameInTheTarget)
{
    Src.AddFile("pipe", 3);
    Src.AddFile("new", 3);
    ASSERT_EQ(::mkfifo(Src.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(Dst.Path("pipe").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(Dst.Path("other").c_str(), 0644), 0);
    Dst.AddFile("Src.zip", 1);
    Opts.UseCompression = true;
    Engine.ArchiveBeingWritten = Dst.Path("Src.zip");
    Opts.IncludeString = "*;f*"; // the source fifo is found by both masks
    BuildFileListing(Ctx, Side::Source);
    EXPECT_TRUE(Report.Logs.empty()) << "only a run names it";
    StartRun();
    BuildFileListing(Ctx, Side::Source);
    BuildFileListing(Ctx, Side::Target);
    EXPECT_EQ(ListedSet(Side::Source), (NameSet{"pipe", "new"}));
    EXPECT_TRUE(Listed(Side::Target).empty() && Report.EntriesIn(ReportCategory::UnMatched).empty());
    MatchAndDecide(Ctx, false);
    ASSERT_EQ(Engine.Delta.Rows.size(), 1u);
    EXPECT_EQ(Engine.Delta.Rows[0].FileName, "new");
    EXPECT_EQ(Report.LogTexts(LogKind::FileError),
              (Names{"Not a regular file: " + SrcFolder() + "fifo",
                     "Not a regular file: " + Dst.Root() + "/pipe"}));
}

// Expected: the sub-folder is filed as unmatched.
// clang-format off
struct UnmatchedCase { const char* Name; Side ListedSide; bool SyncActive; bool Suppressed; bool WalkSubFolders; bool Expected; };
const UnmatchedCase UnmatchedCases[] = {
    {"TargetDuringRun",            Side::Target, true,  false, true,  true},
    {"TargetOutsideRun",           Side::Target, false, false, true,  false},
    {"TargetWhileSuppressed",      Side::Target, true,  true,  true,  false},
    {"TargetRunWithoutSubFolders", Side::Target, true,  false, false, false},
    {"SourceDuringRun",            Side::Source, true,  false, true,  false}};
// clang-format on

using UnmatchedReportTest = Test::TableOf<FileListingTest, UnmatchedCase>;

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
    ASSERT_EQ(Listed(c.ListedSide), Names{"f.txt"}) << "folders are never listed";
    NameSet expected;
    if (c.Expected) {
        expected.insert(std::string(Msg::ReportUnMatchedFolder) + "|sub|" + folder
                        + "|0|Folder-------------");
    }
    if (c.ListedSide == Side::Target && c.SyncActive && !c.Suppressed) {
        expected.insert("UnMatched Files|f.txt|" + folder + "|12|"
                        + FileDateTimeText(Engine.Target.Files[0].FileTime));
    }
    NameSet filed;
    for (const RecordingReporter::Entry& e : Report.EntriesIn(ReportCategory::UnMatched)) {
        filed.insert(e.Kind + "|" + e.Name + "|" + e.Path + "|" + e.SizeText + "|" + e.Detail); // every field
    }
    EXPECT_EQ(filed, expected);
}

INSTANTIATE_TEST_SUITE_P(Listing, UnmatchedReportTest, ::testing::ValuesIn(UnmatchedCases), Test::ByName());

TEST_F(FileListingTest, CountsFilesSeenAndListedAndTotalsBeyondFourGigabytesWithoutHiddenOnes)
{
    Src.AddFile("small.txt", 10);
    Src.AddFile(".hidden", 5);
    const std::int64_t bigSize = std::int64_t{3} << 30; // sparse: takes no room
    for (const char* big : {"big.img", "b2.img"}) {
        Src.AddFile(big, 0);
        ASSERT_EQ(::truncate(Src.Path(big).c_str(), bigSize), 0) << errno;
    }
    Opts.CheckHidden = false;
    StartRun();
    BuildFileListing(Ctx, Side::Source);
    EXPECT_EQ(ListedSet(Side::Source), (NameSet{"small.txt", "big.img", "b2.img"}));
    // Files listed, and files seen: the excluded one too.
    EXPECT_EQ(std::tie(Engine.Source.FileCount, Engine.TotalFileCount), std::make_tuple(3, 4));
    EXPECT_EQ(Engine.Source.ByteTotal, 2 * bigSize + 10);
    EXPECT_EQ(Record(Side::Source, "big.img")->FileSize, bigSize);
}

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
    EXPECT_EQ(std::tuple(Engine.Source.Files.size(), Engine.Source.FileCount), std::tuple(1u, 1));
}

TEST_F(FileListingTest, MissingFolderListsEmptyUnreadableOneSaysSoAndNothingIsListedWhileSettingsAreApplied)
{
    Engine.Target.Files.push_back(TFileData{});
    Engine.Target.Folder = Dst.Path("not/yet");
    EXPECT_EQ(BuildFileListing(Ctx, Side::Target), ListingOutcome::FolderMissing);
    EXPECT_TRUE(Engine.Target.Files.empty() && Engine.Target.FileCount == 0);
    EXPECT_TRUE(Report.Logs.empty()) << "a target yet to be created is nothing to report";
    EXPECT_GE(Engine.TargetFreeSpace, 0) << "the filesystem it will be created on counts";
    Src.AddFile("a.txt", 1);
    {
        ScopedFault fault(FaultPlan{FaultOp::Open, EACCES, Src.Root()});
        EXPECT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::ReadFailed);
    }
    EXPECT_TRUE(Engine.Source.Files.empty());
    EXPECT_THAT(Report.LogTexts(LogKind::FileError),
                ElementsAre(StartsWith(SrcFolder() + "  " + std::string(Msg::FolderReadFailed))));
    Engine.Source.Files.emplace_back().FileName = "kept";
    State.SourceFileListTag = 1;
    EXPECT_EQ(BuildFileListing(Ctx, Side::Source), ListingOutcome::NotListed);
    EXPECT_EQ(Listed(Side::Source), Names{"kept"});
}

TEST_F(FileListingTest, RefreshListsBothSidesButSkipsTheSideWhosePollAnswersExactlyOne)
{
    Src.AddFile("s.txt", 1);
    Dst.AddFile("t.txt", 1);
    RefreshFileListings(Ctx);
    EXPECT_EQ(Listed(Side::Source), Names{"s.txt"});
    EXPECT_EQ(std::tuple(Listed(Side::Target), Host.LastStatus()), std::tuple(Names{"t.txt"}, Msg::Ready));
    Engine.Source.Files.clear();
    Engine.Source.Files.emplace_back().FileName = "kept";
    Engine.Target.Files.clear();
    // An aborted archive operation answers one poll with 1 and lets later polls go on.
    State.OperationState = static_cast<int>(OperationStates::ZipAbort);
    RefreshFileListings(Ctx);
    EXPECT_EQ(Listed(Side::Source), Names{"kept"});
    EXPECT_EQ(Listed(Side::Target), Names{"t.txt"});
}

TEST_F(FileListingTest, TargetFreeSpaceIsShownOrUnknownWhenItCannotBeRead)
{
    BuildFileListing(Ctx, Side::Target);
    ASSERT_GT(Engine.TargetFreeSpace, 0);
    EXPECT_EQ(Engine.Target.FreeSpaceText, FormatSize(Engine.TargetFreeSpace));
    EXPECT_EQ(Engine.RemainingTargetSpace, Engine.Target.FreeSpaceText);
    auto unreadable = [](const std::string&) {
        return std::int64_t{-1};
    };
    UpdateFreeSpace(Ctx, Side::Target, Dst.Root() + "/", unreadable);
    EXPECT_EQ(Engine.TargetFreeSpace, -1);
    EXPECT_EQ(Engine.Target.FreeSpaceText + "|" + Engine.RemainingTargetSpace, "Unknown|Unknown");
    UpdateFreeSpace(Ctx, Side::Source, SrcFolder(), unreadable);
    EXPECT_EQ(Engine.Source.FreeSpaceText, "0 bytes") << "only the target's space is checked before a copy";
}

TEST(FormatSizeTest, GivesTheUnitAndTwoDecimals)
{
    // clang-format off
    const std::pair<std::int64_t, const char*> rows[] = {
        {-5, "0 bytes"}, {0, "0 bytes"}, {1, "1 bytes"}, {1023, "1023 bytes"},
        {1024, "1.00 KB"}, {1536, "1.50 KB"}, {1048575, "1,024.00 KB"}, {1048576, "1.00 MB"},
        // 2^30 is below the program's gigabyte
        {1073741824, "1,024.00 MB"}, {1097153000, "1,046.33 MB"}, {1097153001, "1.00 GB"}, {5LL * 1097153000, "5.00 GB"},
        // beyond 32 bits and in the thousands
        {1234LL * 1097153000 + 548576500, "1,234.50 GB"},
    };
    // clang-format on
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(FormatSize(bytes), text) << bytes;
    }
}

// Letters in fixed order ("normal" has none); directory and volume letters are never read back.
// And a path gets its trailing separator once.
TEST(AttributeLettersTest, LettersComeInFixedOrderAndReadBack)
{
    EXPECT_EQ(AttrToLetters(1 | 2 | 4 | 8 | 16 | 32), "advshr");
    EXPECT_EQ(std::tuple(LettersToAttr("ar"), LettersToAttr("advshr")), std::tuple(33u, 32u | 4u | 2u | 1u));
    EXPECT_EQ(AddTrailingBackslash("/home/u"), "/home/u/");
    EXPECT_EQ(AddTrailingBackslash("/home/u/"), "/home/u/");
    EXPECT_EQ(AddTrailingBackslash(""), "/");
}

} // namespace
} // namespace Tandemix
