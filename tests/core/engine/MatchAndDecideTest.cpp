// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MatchAndDecide.h"

#include "engine/DecideMessages.h"
#include "engine/FileListing.h"
#include "platform/Attributes.h"
#include "platform/FileTimes.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedHost.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Tandemix {
namespace {

using Test::RecordingReporter;
using Test::ScriptedHost;

constexpr std::uint32_t Packed(int year, int month, int day, int hour, int minute, int second)
{
    return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(month) << 21
           | static_cast<std::uint32_t>(day) << 16 | static_cast<std::uint32_t>(hour) << 11
           | static_cast<std::uint32_t>(minute) << 5 | static_cast<std::uint32_t>(second / 2);
}

constexpr std::uint32_t Jan1998 = Packed(1998, 1, 5, 9, 5, 4); // "1/5/98 9:05:04 AM"
constexpr std::uint32_t Mar2004 = Packed(2004, 3, 1, 12, 0, 0);
constexpr std::int64_t GiB = 1024LL * 1024 * 1024;

// Listing order, or sorted where the folder's own order (readdir) is not under the test's control.
std::vector<std::string> Names(const std::vector<TFileData>& files, bool sorted = false)
{
    std::vector<std::string> names;
    for (const TFileData& file : files) {
        names.push_back(file.FileName);
    }
    if (sorted) {
        std::sort(names.begin(), names.end());
    }
    return names;
}

// Names a parameterised case after its label, so a failure says which row of a table broke.
constexpr auto CaseLabel = [](const auto& info) {
    return std::string(info.param.Label);
};

class MatchAndDecideTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Engine.Source.Folder = "/src/a";
        Engine.Target.Folder = "/dst/a";
    }

    TFileData& AddSource(std::string name, std::int64_t size, std::uint32_t time, bool selected = false)
    {
        return Engine.Source.Files.emplace_back(
            TFileData{std::move(name), size, time, {}, "a", -1, "/src/a/", "", false, selected, true});
    }

    TFileData& AddTarget(std::string name, std::int64_t size, std::uint32_t time)
    {
        return Engine.Target.Files.emplace_back(
            TFileData{std::move(name), size, time, {}, "", -1, "/dst/a/", "", false, false, true});
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& entry : Report.EntriesIn(ReportCategory::Messages)) {
            texts.push_back(entry.Kind);
        }
        return texts;
    }

    ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    RecordingReporter Report;
    EngineState Engine;
    RunContext Ctx{Opts, State, Host, Report, Engine};
    RunState::Clock::time_point Now{};
};

// ---- The decision table ------------------------------------------------------------------------

// SourceAge: <0 source older than target, 0 same packed time, >0 source newer.
// clang-format off
enum class Expect { Nothing, OlderFile, Forced, Discrepancy };
struct DecisionCase { const char* Label; int SourceAge; std::int64_t SourceSize; std::int64_t TargetSize;
                      bool AlwaysOverWrite; Expect Outcome; };
// clang-format on

class DecisionTable : public MatchAndDecideTest, public ::testing::WithParamInterface<DecisionCase>
{};

TEST_P(DecisionTable, DecidesEachPairAsTheTableSays)
{
    const DecisionCase& c = GetParam();
    Opts.AlwaysOverWrite = c.AlwaysOverWrite;
    AddSource("file.dat", c.SourceSize, c.SourceAge < 0 ? Jan1998 : Mar2004);
    AddTarget("file.dat", c.TargetSize, c.SourceAge > 0 ? Jan1998 : Mar2004);

    MatchAndDecide(Ctx, false);

    // Whatever the outcome, both sides are used up: the target had its match.
    EXPECT_TRUE(Engine.Source.Files.empty());
    EXPECT_TRUE(Engine.Target.Files.empty());
    EXPECT_EQ(Engine.Delta.AddByteValue, 0);
    const auto& rows = Engine.Delta.Rows;
    switch (c.Outcome) {
    case Expect::Nothing:
    case Expect::Discrepancy:
        EXPECT_TRUE(rows.empty());
        EXPECT_EQ(Engine.Delta.UpdateByteValue, 0);
        EXPECT_EQ(Messages().size(), c.Outcome == Expect::Discrepancy ? 3u : 0u);
        break;
    case Expect::OlderFile:
    case Expect::Forced:
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].Reason, c.Outcome == Expect::OlderFile ? Msg::OlderFile : Msg::ForcedUpdate);
        EXPECT_NE(rows[0].Reason, Msg::NoMatch);
        EXPECT_EQ(Engine.Delta.UpdateByteValue, c.SourceSize);
        EXPECT_TRUE(Messages().empty());
        break;
    }
    EXPECT_EQ(Engine.Delta.DeltaCount, static_cast<int>(rows.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    DecisionTable,
    ::testing::Values(
        DecisionCase{"OlderSameSize", -1, 10, 10, false, Expect::Nothing},
        DecisionCase{"OlderBigger", -1, 50, 10, false, Expect::Nothing},
        DecisionCase{"OlderOverEmptyTarget", -1, 50, 0, false, Expect::Nothing},
        DecisionCase{"OlderAlwaysOverWrite", -1, 10, 10, true, Expect::Forced},
        DecisionCase{"OlderBiggerAlwaysOverWrite", -1, 50, 10, true, Expect::Forced},
        DecisionCase{"EqualSameSize", 0, 10, 10, false, Expect::Nothing},
        DecisionCase{"EqualBothEmpty", 0, 0, 0, false, Expect::Nothing},
        DecisionCase{"EqualSameSizeAlwaysOverWrite", 0, 10, 10, true, Expect::Forced},
        DecisionCase{"EqualTargetEmpty", 0, 10, 0, false, Expect::Forced},
        DecisionCase{"EqualTargetEmptyAlwaysOverWrite", 0, 10, 0, true, Expect::Forced},
        DecisionCase{"EqualSourceEmpty", 0, 0, 10, false, Expect::Discrepancy},
        DecisionCase{"EqualDifferentSizes", 0, 10, 20, false, Expect::Discrepancy},
        DecisionCase{"EqualDifferentSizesAlwaysOverWrite", 0, 20, 10, true, Expect::Discrepancy},
        DecisionCase{"NewerSameSize", 1, 10, 10, false, Expect::OlderFile},
        DecisionCase{"NewerSmaller", 1, 5, 10, false, Expect::OlderFile},
        DecisionCase{"NewerEmptySource", 1, 0, 10, false, Expect::OlderFile},
        DecisionCase{"NewerAlwaysOverWrite", 1, 10, 10, true, Expect::OlderFile}),
    CaseLabel);

// ---- Rows and totals ---------------------------------------------------------------------------

TEST_F(MatchAndDecideTest, AnAddRowCarriesEveryColumnOnAFreshGridThatClearDeltaEmpties)
{
    // What an earlier decision left behind.
    Engine.Delta.Rows.resize(3);
    Engine.Delta.AddByteValue = 99;
    Engine.Delta.UpdateByteValue = 77;
    Engine.Delta.DeltaCount = 3;
    Engine.DecidedBytes = 55;
    Engine.FileGauge = 40;
    Engine.DirGauge = 60;
    TFileData& source = AddSource("report.doc", 1234, Jan1998);
    source.AttrLetters = "ar";
    source.CompressedSize = 567;
    source.IsLink = true;

    MatchAndDecide(Ctx, false);

    ASSERT_EQ(Engine.Delta.Rows.size(), 1u);
    const DeltaRow& row = Engine.Delta.Rows[0];
    EXPECT_EQ(row.FileName, "report.doc");
    EXPECT_EQ(row.Size, 1234);
    EXPECT_EQ(row.DateText, "1/5/98");
    EXPECT_EQ(row.TimeText, "9:05:04 AM");
    EXPECT_EQ(row.AttrLetters, "ar");
    EXPECT_EQ(row.Reason, Msg::NoMatch);
    EXPECT_EQ(row.SourceFolder, "/src/a/");
    EXPECT_EQ(row.TargetFolder, "/dst/a/");
    EXPECT_EQ(row.PackedTime, Jan1998);
    EXPECT_EQ(row.CompressedSize, 567);
    EXPECT_TRUE(row.IsLink);
    EXPECT_EQ(Engine.Delta.AddByteValue, 1234);
    EXPECT_EQ(Engine.Delta.UpdateByteValue, 0);
    EXPECT_EQ(Engine.Delta.DeltaCount, 1);
    EXPECT_EQ(Engine.DecidedBytes, 1234);
    EXPECT_EQ(Engine.FileGauge, 0);
    EXPECT_EQ(Engine.DirGauge, 0);

    Engine.FileGauge = 40;
    Engine.DirGauge = 60;
    ClearDeltaButtonClick(Ctx);

    EXPECT_TRUE(Engine.Delta.Rows.empty());
    EXPECT_EQ(Engine.Delta.AddByteValue, 0);
    EXPECT_EQ(Engine.Delta.UpdateByteValue, 0);
    EXPECT_EQ(Engine.Delta.DeltaCount, 0);
    EXPECT_EQ(Engine.FileGauge, 0);
    EXPECT_EQ(Engine.DirGauge, 0);
}

TEST_F(MatchAndDecideTest, SizesBeyondFourGigabytesAreCountedAndComparedWhole)
{
    AddSource("new.iso", 5 * GiB, Mar2004);
    AddSource("grown.iso", 3 * GiB + 7, Mar2004);
    AddTarget("grown.iso", 1, Jan1998);
    // Equal times and sizes that agree only in their low 32 bits must not pass for the same file.
    AddSource("vm.img", 4 * GiB + 10, Mar2004);
    AddTarget("vm.img", 10, Mar2004);

    MatchAndDecide(Ctx, false);

    ASSERT_EQ(Engine.Delta.Rows.size(), 2u);
    EXPECT_EQ(Engine.Delta.Rows[0].Size, 5 * GiB);
    EXPECT_EQ(Engine.Delta.AddByteValue, 5 * GiB);
    EXPECT_EQ(Engine.Delta.UpdateByteValue, 3 * GiB + 7);
    EXPECT_EQ(Engine.DecidedBytes, 8 * GiB + 7);
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_NE(Messages()[1].find("Source: 4294967306, "), std::string::npos);
}

// ---- Times --------------------------------------------------------------------------------------

TEST_F(MatchAndDecideTest, StampsWithinOneTwoSecondSlotAreTheSameTime)
{
    std::tm local{0, 0, 10, 1, 5, 2021 - 1900, 0, 0, -1, 0, nullptr};
    std::time_t even = std::mktime(&local);
    auto pack = [](std::time_t t) {
        return PackFileTime(t).Value();
    };
    ASSERT_EQ(pack(even), pack(even + 1));

    AddSource("slot.txt", 10, pack(even + 1));
    AddTarget("slot.txt", 10, pack(even));
    AddSource("next.txt", 10, pack(even + 2));
    AddTarget("next.txt", 10, pack(even + 1));

    MatchAndDecide(Ctx, false);

    ASSERT_EQ(Engine.Delta.Rows.size(), 1u);
    EXPECT_EQ(Engine.Delta.Rows[0].FileName, "next.txt");
    EXPECT_EQ(Engine.Delta.Rows[0].Reason, Msg::OlderFile);
}

// ---- Pairing by name and time ----------------------------------------------------------------------

using Listing = std::vector<std::pair<std::string, std::uint32_t>>; // name, packed time; every size 10
using Decided = std::vector<std::pair<std::string, std::string_view>>; // name, reason

struct PairingCase
{
    const char* Label;
    Listing Targets;
    Listing Sources;
    Decided Rows;
    std::vector<std::string> LeftTargets;
};

class Pairing : public MatchAndDecideTest, public ::testing::WithParamInterface<PairingCase>
{};

TEST_P(Pairing, TwinsAreFoundAndTheRestKeepsItsOrder)
{
    for (const auto& [name, time] : GetParam().Targets) {
        AddTarget(name, 10, time);
    }
    for (const auto& [name, time] : GetParam().Sources) {
        AddSource(name, 10, time);
    }

    MatchAndDecide(Ctx, false);

    Decided rows;
    for (const DeltaRow& row : Engine.Delta.Rows) {
        rows.emplace_back(row.FileName, row.Reason);
    }
    EXPECT_EQ(rows, GetParam().Rows);
    EXPECT_EQ(Names(Engine.Target.Files), GetParam().LeftTargets);
}

constexpr std::uint32_t Year2050 = Packed(2050, 1, 1, 0, 0, 0);
constexpr std::uint32_t Year2020 = Packed(2020, 1, 1, 0, 0, 0);
static_assert(Year2050 > 0x7FFFFFFFu, "negative as a signed value");

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, Pairing, ::testing::Values(
    // The Kelvin sign lowers to a plain "k": a case twin one byte long where the name has three.
    PairingCase{"NamesDifferingOnlyInCaseMatch",
        {{"report.txt", Mar2004}, {"ärger-straße.TXT", Jan1998}, {"K.DAT", Mar2004}},
        {{"Report.TXT", Mar2004}, {"Ärger-Straße.txt", Mar2004}, {"\u212A.dat", Mar2004}},
        {{"Ärger-Straße.txt", Msg::OlderFile}}, {}},
    // Matching the older "A.TXT" would turn this no-op into an update.
    PairingCase{"AnExactTwinIsPreferredToACaseVariantListedBeforeIt",
        {{"A.TXT", Jan1998}, {"a.txt", Mar2004}}, {{"a.txt", Mar2004}}, {}, {"A.TXT"}},
    PairingCase{"ACaseVariantNeverTakesTheTwinOfALaterSourceFile",
        {{"a.txt", Mar2004}}, {{"A.TXT", Mar2004}, {"a.txt", Mar2004}}, {{"A.TXT", Msg::NoMatch}}, {}},
    // A Latin-1 name from an old disk.
    PairingCase{"NamesThatAreNotValidUtf8MatchOnlyThemselves",
        {{"CAF\xE9.TXT", Mar2004}, {"caf\xC9.txt", Jan1998}}, {{"caf\xE9.txt", Mar2004}},
        {}, {"caf\xC9.txt"}},
    // A file listed under two masks appears twice on both sides; each copy takes one twin.
    PairingCase{"UnmatchedTargetFilesKeepTheirListingOrder",
        {{"t0", Mar2004}, {"t1", Mar2004}, {"t2", Mar2004}, {"t3", Mar2004}, {"t4", Mar2004}, {"t5", Mar2004},
         {"t6", Mar2004}, {"t7", Mar2004}, {"t8", Mar2004}, {"t9", Mar2004}, {"t4", Mar2004}},
        {{"t8", Mar2004}, {"t1", Mar2004}, {"t4", Mar2004}, {"t4", Mar2004}, {"new", Mar2004}},
        {{"new", Msg::NoMatch}}, {"t0", "t2", "t3", "t5", "t6", "t7", "t9"}},
    PairingCase{"DatesFrom2044OnAreNewerThanEarlierOnes",
        {{"future.txt", Year2020}, {"past.txt", Year2050}},
        {{"future.txt", Year2050}, {"past.txt", Year2020}}, {{"future.txt", Msg::OlderFile}}, {}}),
    CaseLabel);
// clang-format on

// ---- Messages and reports -------------------------------------------------------------------------

TEST_F(MatchAndDecideTest, SizeDiscrepancyFilesThreeAlignedMessageLines)
{
    AddSource("data.bin", 100, Jan1998);
    AddTarget("data.bin", 250, Jan1998);

    MatchAndDecide(Ctx, false);

    EXPECT_TRUE(Engine.Delta.Rows.empty());
    std::string pad(24, ' ');
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  "File Size Discrepancy:    data.bin",
                  "--" + pad + "  Source: 100, /src/a/, 1/5/98 9:05:04 AM",
                  "--" + pad + "  Target: 250, /dst/a/, 1/5/98 9:05:04 AM",
              }));
    for (const auto& entry : Report.EntriesIn(ReportCategory::Messages)) {
        EXPECT_EQ(entry.Name + entry.Path + entry.SizeText + entry.Detail, "");
    }
}

TEST_F(MatchAndDecideTest, AMatchedTargetIsWithdrawnFromTheUnmatchedListAsItWasFiled)
{
    State.SyncActive = true;
    Opts.ListUnMatchedFiles = true;
    AddTarget("b.txt", 42, Jan1998);
    AddTarget("left.txt", 7, Jan1998);
    AddSource("B.TXT", 42, Jan1998);
    AddSource("added.txt", 3, Jan1998);

    MatchAndDecide(Ctx, false);

    auto unmatched = Report.EntriesIn(ReportCategory::UnMatched);
    ASSERT_EQ(unmatched.size(), 1u);
    EXPECT_EQ(unmatched[0].Name, "b.txt");
    EXPECT_EQ(unmatched[0].Path, "/dst/a/");
    EXPECT_EQ(unmatched[0].SizeText, "42");
    EXPECT_EQ(unmatched[0].Detail, "1/5/98 9:05:04 AM");
    EXPECT_EQ(unmatched[0].Kind, Msg::DeleteUnMatchedFiles);
}

// clang-format off
struct WithdrawCase { const char* Label; bool SyncActive; bool Suppressed; bool ListUnMatched;
                      bool UseReportForm; bool Compression; bool SameFolders; bool Withdrawn; };
// clang-format on

class WithdrawConditions : public MatchAndDecideTest, public ::testing::WithParamInterface<WithdrawCase>
{};

TEST_P(WithdrawConditions, OnlyWhatTheListingFiledIsWithdrawn)
{
    const WithdrawCase& c = GetParam();
    State.SyncActive = c.SyncActive;
    State.SuppressUnmatchedReport = c.Suppressed;
    Opts.ListUnMatchedFiles = c.ListUnMatched;
    Opts.UseReportForm = c.UseReportForm;
    Opts.UseCompression = c.Compression;
    if (c.SameFolders) {
        Engine.Target.Folder = Engine.Source.Folder + "/";
    }
    AddTarget("b.txt", 42, Jan1998);
    AddSource("b.txt", 42, Jan1998);

    MatchAndDecide(Ctx, false);

    EXPECT_EQ(Report.EntriesIn(ReportCategory::UnMatched).size(), c.Withdrawn ? 1u : 0u);
    EXPECT_TRUE(Engine.Target.Files.empty());
}

INSTANTIATE_TEST_SUITE_P(Conditions,
                         WithdrawConditions,
                         ::testing::Values(WithdrawCase{"DuringARun", 1, 0, 1, 1, 0, 0, true},
                                           WithdrawCase{"OutsideARun", 0, 0, 1, 1, 0, 0, false},
                                           WithdrawCase{"Suppressed", 1, 1, 1, 1, 0, 0, false},
                                           WithdrawCase{"NotListed", 1, 0, 0, 1, 0, 0, false},
                                           WithdrawCase{"NoReports", 1, 0, 1, 0, 0, 0, false},
                                           WithdrawCase{"CompressedElsewhere", 1, 0, 1, 1, 1, 0, true},
                                           WithdrawCase{"CompressedInPlace", 1, 0, 1, 1, 1, 1, false},
                                           WithdrawCase{"InPlaceUncompressed", 1, 0, 1, 1, 0, 1, true}),
                         CaseLabel);

// clang-format off
struct LogCase { const char* Label; bool SyncActive; bool ReportEmptyFolders; bool WithRow; bool Logged; };
// clang-format on

class FromToLog : public MatchAndDecideTest, public ::testing::WithParamInterface<LogCase>
{};

TEST_P(FromToLog, NamesTheFolderPairInUpperCase)
{
    const LogCase& c = GetParam();
    State.SyncActive = c.SyncActive;
    Opts.ReportEmptyFoldersCheck = c.ReportEmptyFolders;
    Engine.Source.Folder = "/home/ana/Crème brûlée";
    Engine.Target.Folder = "/mnt/backup/crème/";
    if (c.WithRow) {
        AddSource("new.txt", 1, Mar2004);
    }

    MatchAndDecide(Ctx, false);

    std::vector<std::string> expected;
    if (c.Logged) {
        expected = {"From: /HOME/ANA/CRèME BRûLéE/", "  To: /MNT/BACKUP/CRèME/"};
    }
    EXPECT_EQ(Report.LogTexts(LogKind::Summary), expected);
    EXPECT_EQ(Report.Logs.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         FromToLog,
                         ::testing::Values(LogCase{"RowsInARun", true, false, true, true},
                                           LogCase{"EmptyFolderReported", true, true, false, true},
                                           LogCase{"EmptyFolderQuiet", true, false, false, false},
                                           LogCase{"NotARun", false, true, true, false}),
                         CaseLabel);

// ---- Run, stop and selection -------------------------------------------------------------------

TEST_F(MatchAndDecideTest, ARunCountsCheckedFilesAndSkipsItsOwnArchiveOnlyWhenCompressing)
{
    State.SyncActive = true;
    Engine.ArchiveBeingWritten = "/src/a/A.ZIP";
    for (bool compression : {true, false}) {
        Opts.UseCompression = compression;
        AddSource("a.zip", 500, Mar2004);
        AddSource("", 5, Mar2004);
        AddSource("one.txt", 1, Mar2004);

        MatchAndDecide(Ctx, false);

        std::vector<std::string> decided;
        for (const DeltaRow& row : Engine.Delta.Rows) {
            decided.push_back(row.FileName);
        }
        EXPECT_EQ(decided,
                  (compression ? std::vector<std::string>{"one.txt"}
                               : std::vector<std::string>{"a.zip", "one.txt"}));
        EXPECT_EQ(Engine.TotalFilesCheckedValue, compression ? 1 : 2);
        EXPECT_TRUE(Engine.Source.Files.empty());
        Engine.TotalFilesCheckedValue = 0;
    }
}

TEST_F(MatchAndDecideTest, AStopKeepsTheRowsSoFarAndTheUndecidedFiles)
{
    // Every poll pumps, so the click below is seen at the very next poll.
    State.SetClock([this] { return Now += std::chrono::seconds(1); });
    AddTarget("keep.txt", 1, Mar2004);
    AddTarget("s1", 1, Jan1998);
    AddTarget("s4", 1, Jan1998);
    for (const char* name : {"s1", "s2", "s3", "s4", "s5"}) {
        AddSource(name, 1, Mar2004);
    }
    std::function<void()> watch = [&] {
        if (Engine.Delta.Rows.size() == 2) {
            Host.QueueAnswer(DialogResult::Yes);
            State.StopButtonClick();
            return;
        }
        Host.OnNextPump(watch);
    };
    Host.OnNextPump(watch);

    MatchAndDecide(Ctx, false);

    EXPECT_EQ(Names(Engine.Source.Files), (std::vector<std::string>{"s3", "s4", "s5"}));
    ASSERT_EQ(Engine.Delta.Rows.size(), 2u);
    EXPECT_EQ(Engine.Delta.Rows[0].Reason, Msg::OlderFile);
    EXPECT_EQ(Engine.Delta.Rows[1].Reason, Msg::NoMatch);
    EXPECT_EQ(Engine.Delta.DeltaCount, 2);
    EXPECT_EQ(Names(Engine.Target.Files), (std::vector<std::string>{"keep.txt", "s4"}));
    EXPECT_TRUE(Host.Unexpected.empty());
    EXPECT_EQ(State.BusyCount, 0);
}

TEST_F(MatchAndDecideTest, SelectedOnlyDecidesTheSelectionAndDropsTheRest)
{
    AddSource("a.txt", 1, Mar2004, true);
    AddSource("b.txt", 2, Mar2004, false);
    AddSource("c.txt", 3, Mar2004, true);
    AddTarget("b.txt", 2, Jan1998);

    MatchAndDecide(Ctx, true);

    ASSERT_EQ(Engine.Delta.Rows.size(), 2u);
    EXPECT_EQ(Engine.Delta.Rows[0].FileName, "a.txt");
    EXPECT_EQ(Engine.Delta.Rows[1].FileName, "c.txt");
    EXPECT_TRUE(Engine.Source.Files.empty());
    EXPECT_EQ(Names(Engine.Target.Files), std::vector<std::string>{"b.txt"});
}

TEST_F(MatchAndDecideTest, AnUnselectedExactTwinDoesNotStopACaseOnlyMatch)
{
    AddSource("a.txt", 1, Jan1998, false);
    AddSource("A.TXT", 1, Mar2004, true);
    AddTarget("a.txt", 1, Jan1998);

    MatchAndDecide(Ctx, true);

    ASSERT_EQ(Engine.Delta.Rows.size(), 1u);
    EXPECT_EQ(Engine.Delta.Rows[0].Reason, Msg::OlderFile);
    EXPECT_TRUE(Engine.Target.Files.empty());
}

// ---- Update List -------------------------------------------------------------------------------

TEST_F(MatchAndDecideTest, UpdateListPreviewsTheDecisionsAndShowsBothFoldersAgain)
{
    TempTree tree;
    const std::time_t when = 1'600'000'000;
    tree.AddFile("src/new.txt", 5, when);
    tree.AddFile("src/same.txt", 7, when);
    tree.AddFile("src/newer.txt", 3, when + 60);
    tree.AddFile("dst/same.txt", 7, when);
    tree.AddFile("dst/newer.txt", 3, when);
    tree.AddFile("dst/old.txt", 9, when);
    Engine.Source.Folder = tree.Path("src");
    Engine.Target.Folder = tree.Path("dst");
    BuildFileListing(Ctx, Side::Source);
    BuildFileListing(Ctx, Side::Target);

    UpdateButtonClick(Ctx);

    std::vector<std::pair<std::string, std::string>> decided;
    for (const DeltaRow& row : Engine.Delta.Rows) {
        decided.emplace_back(row.FileName, row.Reason);
        EXPECT_EQ(row.SourceFolder, tree.Path("src") + "/");
        EXPECT_EQ(row.TargetFolder, tree.Path("dst") + "/");
    }
    std::sort(decided.begin(), decided.end());
    EXPECT_EQ(decided,
              (std::vector<std::pair<std::string, std::string>>{{"new.txt", std::string(Msg::NoMatch)},
                                                                {"newer.txt", std::string(Msg::OlderFile)}}));
    EXPECT_EQ(Engine.Delta.AddByteValue, 5);
    EXPECT_EQ(Engine.Delta.UpdateByteValue, 3);
    EXPECT_EQ(Names(Engine.Source.Files, true),
              (std::vector<std::string>{"new.txt", "newer.txt", "same.txt"}));
    EXPECT_EQ(Names(Engine.Target.Files, true),
              (std::vector<std::string>{"newer.txt", "old.txt", "same.txt"}));
}

// The listing skips the archive flag unless a filter needs it; the rows a run will copy must
// still carry each file's own flag, since the copy gives it to the target.
TEST_F(MatchAndDecideTest, DecidedRowsCarryTheFilesOwnArchiveFlag)
{
    TempTree tree;
    tree.AddFile("src/backed-up.txt", 4, 1'600'000'000);
    tree.AddFile("src/changed.txt", 6, 1'600'000'000);
    tree.AddFolder("dst");
    struct stat st;
    ASSERT_TRUE(ResetArchive(tree.Path("src/backed-up.txt")).Ok());
    ASSERT_EQ(::lstat(tree.Path("src/backed-up.txt").c_str(), &st), 0);
    if (ArchiveFlagSet(tree.Path("src/backed-up.txt"), st)) {
        GTEST_SKIP() << "this filesystem keeps no user extended attributes";
    }
    Engine.Source.Folder = tree.Path("src");
    Engine.Target.Folder = tree.Path("dst");
    for (bool checkArchive : {true, false}) {
        Opts.CheckArchive = checkArchive;
        BuildFileListing(Ctx, Side::Source);
        BuildFileListing(Ctx, Side::Target);
        MatchAndDecide(Ctx, false);
        std::vector<std::pair<std::string, std::string>> letters;
        for (const DeltaRow& row : Engine.Delta.Rows) {
            letters.emplace_back(row.FileName, row.AttrLetters);
        }
        std::sort(letters.begin(), letters.end());
        if (checkArchive) {
            EXPECT_EQ(letters,
                      (std::vector<std::pair<std::string, std::string>>{{"backed-up.txt", ""},
                                                                        {"changed.txt", "a"}}));
        } else {
            // Archive files excluded by the filter: only the backed-up one is left.
            EXPECT_EQ(letters, (std::vector<std::pair<std::string, std::string>>{{"backed-up.txt", ""}}));
        }
    }
}

} // namespace
} // namespace Tandemix
