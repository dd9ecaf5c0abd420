// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MatchAndDecide.h"

#include "engine/DecideMessages.h"
#include "engine/FileListing.h"
#include "platform/FileTimes.h"
#include "support/CoreBundle.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <unistd.h>

#include <cstdio>

namespace Tandemix {
namespace {

using Test::ByName;
using Test::Packed;
using Test::PrintTo;

constexpr std::uint32_t Jan1998 = Packed(1998, 1, 5, 9, 5, 4); // "1/5/98 9:05:04 AM"
constexpr std::uint32_t Mar2004 = Packed(2004, 3, 1, 12, 0, 0);
constexpr std::int64_t GiB = 1024LL * 1024 * 1024;

using Strings = std::vector<std::string>;

// Listing order, or sorted where the folder's own order (readdir) is not under the test's control.
Strings Names(const std::vector<TFileData>& files, bool sorted = false)
{
    Strings names;
    for (const TFileData& file : files) {
        names.push_back(file.FileName);
    }
    if (sorted) {
        std::sort(names.begin(), names.end());
    }
    return names;
}

// The texts point into the decided rows: compare them before the next decision.
using NameTexts = std::vector<std::pair<std::string, std::string_view>>;

class MatchAndDecideTest : public ::testing::Test, public Test::CoreBundle
{
protected:
    void SetUp() override
    {
        Engine.Source.Folder = "/src/a";
        Engine.Target.Folder = "/dst/a";
    }
    // A file as the listing gives it: its last write in UTC, and packed in the zone in force.
    TFileData& Listed(Side side, std::string name, std::int64_t size, std::time_t utc)
    {
        TFileData& file = ListingOf(Engine, side).Files.emplace_back();
        file.FileName = std::move(name);
        file.FileSize = size;
        file.MTime = timespec{utc, 0};
        file.FileTime = PackFileTime(utc).Value();
        file.FolderPath = side == Side::Source ? "/src/a/" : "/dst/a/";
        return file;
    }
    TFileData& AddSource(std::string name, std::int64_t size, std::uint32_t packed, bool selected = false)
    {
        TFileData& file = Listed(Side::Source, std::move(name), size, UnpackFileTime(packed));
        file.AttrLetters = "a";
        file.Selected = selected;
        return file;
    }
    TFileData& AddTarget(std::string name, std::int64_t size, std::uint32_t packed)
    {
        return Listed(Side::Target, std::move(name), size, UnpackFileTime(packed));
    }
    // Each decided row's name with its reason, sorted where the listing came from readdir.
    NameTexts RowTexts(bool sorted = false) const
    {
        NameTexts decided;
        for (const DeltaRow& row : Engine.Delta.Rows) {
            decided.emplace_back(row.FileName, row.Reason);
        }
        if (sorted) {
            std::sort(decided.begin(), decided.end());
        }
        return decided;
    }
};

// Decisions compare UTC two-second slots. The pairs straddle Berlin's daylight-saving changes,
// where packed local times would turn an hour's difference round or hide it: every row is
// decided under TZ=UTC and TZ=Europe/Berlin alike.
// clang-format off
struct Times { std::time_t Source; std::time_t Target; };
enum class Expect { Nothing, OlderFile, Forced, Discrepancy };
struct DecisionCase { const char* Name; Times When; std::int64_t SourceSize; std::int64_t TargetSize;
                      bool AlwaysOverWrite; Expect Outcome; };
// clang-format on
constexpr std::time_t FallBack = 1'729'990'800; // 2024-10-27 01:00 UTC: 02:00-03:00 comes twice
constexpr std::time_t SpringForward = 1'711'846'800; // 2024-03-31 01:00 UTC, an even second
constexpr Times Older{FallBack - 900, FallBack + 900}; // packed in Berlin: the source looks newer
constexpr Times Equal{SpringForward + 1, SpringForward}; // one two-second slot
constexpr Times Newer{FallBack + 1800, FallBack - 1800}; // packed in Berlin: both look equal

using DecisionTable = Test::TableOf<MatchAndDecideTest, DecisionCase>;

TEST_P(DecisionTable, DecidesEachPairAsTheTableSaysInAnyZone)
{
    const DecisionCase& c = GetParam();
    Opts.AlwaysOverWrite = c.AlwaysOverWrite;
    std::vector<const char*> zones{"UTC"};
    if (::access("/usr/share/zoneinfo/Europe/Berlin", R_OK) == 0) {
        zones.push_back("Europe/Berlin");
    } else {
        std::fprintf(stderr, "no zone data for Europe/Berlin: daylight-saving changes not covered\n");
    }
    for (const char* zone : zones) {
        SCOPED_TRACE(zone);
        ScopedEnv tz("TZ", std::string(zone));
        Report.Entries.clear();
        Listed(Side::Source, "file.dat", c.SourceSize, c.When.Source);
        Listed(Side::Target, "file.dat", c.TargetSize, c.When.Target);
        MatchAndDecide(Ctx, false);
        // Whatever the outcome, both sides are used up: the target had its match.
        EXPECT_TRUE(Engine.Source.Files.empty() && Engine.Target.Files.empty());
        const auto& rows = Engine.Delta.Rows;
        const bool updated = c.Outcome == Expect::OlderFile || c.Outcome == Expect::Forced;
        ASSERT_EQ(rows.size(), updated ? 1u : 0u);
        if (updated) {
            EXPECT_EQ(rows[0].Reason, c.Outcome == Expect::OlderFile ? Msg::OlderFile : Msg::ForcedUpdate);
        }
        EXPECT_EQ(std::tie(Engine.Delta.AddByteValue, Engine.Delta.UpdateByteValue, Engine.Delta.DeltaCount),
                  std::make_tuple(0, updated ? c.SourceSize : 0, updated ? 1 : 0));
        EXPECT_EQ(Messages().size(), c.Outcome == Expect::Discrepancy ? 3u : 0u);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, DecisionTable, ::testing::Values(
    DecisionCase{"OlderSameSize",                      Older, 10, 10, false, Expect::Nothing},
    DecisionCase{"OlderBigger",                        Older, 50, 10, false, Expect::Nothing},
    DecisionCase{"OlderOverEmptyTarget",               Older, 50, 0,  false, Expect::Nothing},
    DecisionCase{"OlderAlwaysOverWrite",               Older, 10, 10, true,  Expect::Forced},
    DecisionCase{"OlderBiggerAlwaysOverWrite",         Older, 50, 10, true,  Expect::Forced},
    DecisionCase{"EqualSameSize",                      Equal, 10, 10, false, Expect::Nothing},
    DecisionCase{"EqualBothEmpty",                     Equal, 0,  0,  false, Expect::Nothing},
    DecisionCase{"EqualSameSizeAlwaysOverWrite",       Equal, 10, 10, true,  Expect::Forced},
    DecisionCase{"EqualTargetEmpty",                   Equal, 10, 0,  false, Expect::Forced},
    DecisionCase{"EqualTargetEmptyAlwaysOverWrite",    Equal, 10, 0,  true,  Expect::Forced},
    DecisionCase{"EqualSourceEmpty",                   Equal, 0,  10, false, Expect::Discrepancy},
    DecisionCase{"EqualDifferentSizes",                Equal, 10, 20, false, Expect::Discrepancy},
    DecisionCase{"EqualDifferentSizesAlwaysOverWrite", Equal, 20, 10, true,  Expect::Discrepancy},
    DecisionCase{"NewerSameSize",                      Newer, 10, 10, false, Expect::OlderFile},
    DecisionCase{"NewerSmaller",                       Newer, 5,  10, false, Expect::OlderFile},
    DecisionCase{"NewerEmptySource",                   Newer, 0,  10, false, Expect::OlderFile},
    DecisionCase{"NewerAlwaysOverWrite",               Newer, 10, 10, true,  Expect::OlderFile},
    DecisionCase{"NextSlot",           {SpringForward + 2, SpringForward + 1}, 10, 10, false, Expect::OlderFile},
    DecisionCase{"SpringForwardNewer", {SpringForward, SpringForward - 1},     10, 10, false, Expect::OlderFile},
    // Slots of times before 1970 are floored too: -1 and -2 share one, 0 and -1 do not.
    DecisionCase{"Before1970SameSlot", {-1, -2}, 10, 10, false, Expect::Nothing},
    DecisionCase{"Before1970NextSlot", {0, -1},  10, 10, false, Expect::OlderFile}),
    ByName());
// clang-format on

// ---- Rows and totals ---------------------------------------------------------------------------

TEST_F(MatchAndDecideTest, AnAddRowCarriesEveryColumnOnAFreshGridThatClearDeltaEmpties)
{
    // What an earlier decision left behind.
    Engine.Delta.Rows.resize(3);
    Engine.Delta.AddByteValue = 99;
    Engine.Delta.UpdateByteValue = 77;
    Engine.Delta.DeltaCount = 3;
    Engine.DecidedBytes = 55;
    std::tie(Engine.FileGauge, Engine.DirGauge) = std::tuple(40, 60);
    TFileData& source = AddSource("report.doc", 1234, Jan1998);
    source.AttrLetters = "ar";
    source.CompressedSize = 567;
    source.IsLink = true;
    MatchAndDecide(Ctx, false);
    ASSERT_EQ(Engine.Delta.Rows.size(), 1u);
    const DeltaRow& r = Engine.Delta.Rows[0];
    EXPECT_EQ(std::tie(r.FileName, r.Size, r.DateText, r.TimeText, r.AttrLetters, r.Reason),
              std::make_tuple("report.doc", 1234, "1/5/98", "9:05:04 AM", "ar", Msg::NoMatch));
    EXPECT_EQ(std::tie(r.SourceFolder, r.TargetFolder, r.PackedTime, r.CompressedSize, r.IsLink),
              std::make_tuple("/src/a/", "/dst/a/", Jan1998, 567, true));
    const TargetDeltaGrid& d = Engine.Delta;
    EXPECT_EQ(std::tie(d.AddByteValue, d.UpdateByteValue, d.DeltaCount, Engine.DecidedBytes),
              std::make_tuple(1234, 0, 1, 1234));
    EXPECT_EQ(std::tie(Engine.FileGauge, Engine.DirGauge), std::make_tuple(0, 0));
    std::tie(Engine.FileGauge, Engine.DirGauge) = std::tuple(40, 60);
    Engine.Totals.CurrentFileNo = 2850; // where a stopped run left the row counter
    Engine.Totals.DirFileCount = 3000;
    ClearDeltaButtonClick(Ctx);
    EXPECT_TRUE(d.Rows.empty());
    EXPECT_EQ(std::tie(d.AddByteValue, d.UpdateByteValue, d.DeltaCount, Engine.FileGauge, Engine.DirGauge),
              std::make_tuple(0, 0, 0, 0, 0));
    EXPECT_EQ(std::tie(Engine.Totals.CurrentFileNo, Engine.Totals.DirFileCount), std::make_tuple(0, 0));
}

TEST_F(MatchAndDecideTest, SizesBeyondFourGigabytesAreCountedAndComparedWholeAndDiscrepanciesSaidInThreeLines)
{
    AddSource("new.iso", 5 * GiB, Mar2004);
    AddSource("grown.iso", 3 * GiB + 7, Mar2004);
    AddTarget("grown.iso", 1, Jan1998);
    // Equal times and sizes that agree only in their low 32 bits must not pass for the same file.
    AddSource("vm.img", 4 * GiB + 10, Mar2004);
    AddTarget("vm.img", 10, Mar2004);
    MatchAndDecide(Ctx, false);
    const TargetDeltaGrid& d = Engine.Delta;
    ASSERT_EQ(d.Rows.size(), 2u);
    EXPECT_EQ(std::tie(d.Rows[0].Size, d.AddByteValue, d.UpdateByteValue, Engine.DecidedBytes),
              std::make_tuple(5 * GiB, 5 * GiB, 3 * GiB + 7, 8 * GiB + 7));
    std::string pad(24, ' ');
    EXPECT_EQ(Messages(),
              (Strings{
                  "File Size Discrepancy:    vm.img",
                  "--" + pad + "  Source: 4294967306, /src/a/, 3/1/04 12:00:00 PM",
                  "--" + pad + "  Target: 10, /dst/a/, 3/1/04 12:00:00 PM",
              }));
    for (const auto& entry : Report.EntriesIn(ReportCategory::Messages)) {
        EXPECT_EQ(entry.Name + entry.Path + entry.SizeText + entry.Detail, "");
    }
}

using Listing = std::vector<std::pair<std::string, std::uint32_t>>; // name, packed time; every size 10
using Decided = std::vector<std::tuple<std::string, std::string_view, std::string>>; // name, reason, twin

constexpr std::uint32_t Year2050 = Packed(2050, 1, 1, 0, 0, 0);
constexpr std::uint32_t Year2020 = Packed(2020, 1, 1, 0, 0, 0);
static_assert(Year2050 > 0x7FFFFFFFu, "negative as a signed value");

// clang-format off
struct PairingCase { const char* Name; Listing Targets; Listing Sources; Decided Rows; Strings LeftTargets; };
const PairingCase PairingCases[] = {
    // The Kelvin sign lowers to a plain "k": a case twin one byte long where the name has three.
    // An update is written to the twin under its own name, not beside it under the source's.
    {"NamesDifferingOnlyInCaseMatch",
        {{"report.txt", Mar2004}, {"ärger-straße.TXT", Jan1998}, {"K.DAT", Mar2004}},
        {{"Report.TXT", Mar2004}, {"Ärger-Straße.txt", Mar2004}, {"\u212A.dat", Mar2004}},
        {{"Ärger-Straße.txt", Msg::OlderFile, "ärger-straße.TXT"}}, {}},
    {"CaseVariantsEachPairWithTheirExactSource",
        {{"a.txt", Jan1998}, {"A.TXT", Jan1998}}, {{"A.TXT", Mar2004}, {"a.txt", Mar2004}},
        {{"A.TXT", Msg::OlderFile, "A.TXT"}, {"a.txt", Msg::OlderFile, "a.txt"}}, {}},
    // Matching the older "A.TXT" would turn this no-op into an update.
    {"AnExactTwinIsPreferredToACaseVariantListedBeforeIt",
        {{"A.TXT", Jan1998}, {"a.txt", Mar2004}}, {{"a.txt", Mar2004}}, {}, {"A.TXT"}},
    {"ACaseVariantNeverTakesTheTwinOfALaterSourceFile",
        {{"a.txt", Mar2004}}, {{"A.TXT", Mar2004}, {"a.txt", Mar2004}}, {{"A.TXT", Msg::NoMatch, ""}}, {}},
    // A Latin-1 name from an old disk.
    {"NamesThatAreNotValidUtf8MatchOnlyThemselves",
        {{"CAF\xE9.TXT", Mar2004}, {"caf\xC9.txt", Jan1998}}, {{"caf\xE9.txt", Mar2004}},
        {}, {"caf\xC9.txt"}},
    // A file listed under two masks appears twice on both sides; each copy takes one twin.
    {"UnmatchedTargetFilesKeepTheirListingOrder",
        {{"t0", Mar2004}, {"t1", Mar2004}, {"t2", Mar2004}, {"t3", Mar2004}, {"t4", Mar2004}, {"t5", Mar2004},
         {"t6", Mar2004}, {"t7", Mar2004}, {"t8", Mar2004}, {"t9", Mar2004}, {"t4", Mar2004}},
        {{"t8", Mar2004}, {"t1", Mar2004}, {"t4", Mar2004}, {"t4", Mar2004}, {"new", Mar2004}},
        {{"new", Msg::NoMatch, ""}}, {"t0", "t2", "t3", "t5", "t6", "t7", "t9"}},
    {"DatesFrom2044OnAreNewerThanEarlierOnes",
        {{"future.txt", Year2020}, {"past.txt", Year2050}},
        {{"future.txt", Year2050}, {"past.txt", Year2020}}, {{"future.txt", Msg::OlderFile, "future.txt"}}, {}}};
// clang-format on

using Pairing = Test::TableOf<MatchAndDecideTest, PairingCase>;

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
        rows.emplace_back(row.FileName, row.Reason, row.TargetName);
    }
    EXPECT_EQ(rows, GetParam().Rows);
    EXPECT_EQ(Names(Engine.Target.Files), GetParam().LeftTargets);
}

INSTANTIATE_TEST_SUITE_P(Cases, Pairing, ::testing::ValuesIn(PairingCases), ByName());

// ---- Messages and reports -------------------------------------------------------------------------

// clang-format off
struct WithdrawCase { const char* Name; bool SyncActive; bool Suppressed; bool ListUnMatched;
                      bool UseReportForm; bool Compression; bool SameFolders; bool Withdrawn; };
const WithdrawCase WithdrawCases[] = {
    {"DuringARun",          1, 0, 1, 1, 0, 0, true},
    {"OutsideARun",         0, 0, 1, 1, 0, 0, false},
    {"Suppressed",          1, 1, 1, 1, 0, 0, false},
    {"NotListed",           1, 0, 0, 1, 0, 0, false},
    {"NoReports",           1, 0, 1, 0, 0, 0, false},
    {"CompressedElsewhere", 1, 0, 1, 1, 1, 0, true},
    {"CompressedInPlace",   1, 0, 1, 1, 1, 1, false},
    {"InPlaceUncompressed", 1, 0, 1, 1, 0, 1, true},
};
// clang-format on

using WithdrawConditions = Test::TableOf<MatchAndDecideTest, WithdrawCase>;

TEST_P(WithdrawConditions, OnlyWhatTheListingFiledIsWithdrawnAsItWasFiled)
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
    AddTarget("left.txt", 7, Jan1998);
    AddSource("B.TXT", 42, Jan1998);
    AddSource("added.txt", 3, Jan1998);
    MatchAndDecide(Ctx, false);
    auto unmatched = Report.EntriesIn(ReportCategory::UnMatched);
    ASSERT_EQ(unmatched.size(), c.Withdrawn ? 1u : 0u);
    EXPECT_EQ(Names(Engine.Target.Files), Strings{"left.txt"});
    if (c.Withdrawn) {
        const auto& u = unmatched[0];
        EXPECT_EQ(std::tie(u.Name, u.SizeText, u.Detail, u.Kind),
                  std::make_tuple("b.txt", "42", "1/5/98 9:05:04 AM", Msg::DeleteUnMatchedFiles));
        EXPECT_TRUE(c.SameFolders || u.Path == "/dst/a/") << u.Path;
    }
}

INSTANTIATE_TEST_SUITE_P(Conditions, WithdrawConditions, ::testing::ValuesIn(WithdrawCases), ByName());

TEST_F(MatchAndDecideTest, ARunLogsTheFolderPairInUpperCaseWhenItHasRowsOrReportsEmptyFolders)
{
    Engine.Source.Folder = "/home/ana/Crème brûlée";
    Engine.Target.Folder = "/mnt/backup/crème/";
    // clang-format off
    const struct { const char* Name; bool SyncActive; bool ReportEmptyFolders; bool WithRow; bool Logged; } cases[] = {
        {"RowsInARun", true, false, true, true}, {"EmptyFolderReported", true, true, false, true},
        {"EmptyFolderQuiet", true, false, false, false}, {"NotARun", false, true, true, false}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Report.Logs.clear();
        State.SyncActive = c.SyncActive;
        Opts.ReportEmptyFoldersCheck = c.ReportEmptyFolders;
        if (c.WithRow) {
            AddSource("new.txt", 1, Mar2004);
        }
        MatchAndDecide(Ctx, false);
        Strings expected;
        if (c.Logged) {
            expected = {"From: /HOME/ANA/CRèME BRûLéE/", "  To: /MNT/BACKUP/CRèME/"};
        }
        EXPECT_EQ(Report.LogTexts(LogKind::Summary), expected);
        EXPECT_EQ(Report.Logs.size(), expected.size()) << "nothing else logged";
    }
}

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
        EXPECT_EQ(RowTexts(),
                  (compression ? NameTexts{{"one.txt", Msg::NoMatch}}
                               : NameTexts{{"a.zip", Msg::NoMatch}, {"one.txt", Msg::NoMatch}}));
        EXPECT_EQ(Engine.TotalFilesCheckedValue, compression ? 1 : 2);
        EXPECT_TRUE(Engine.Source.Files.empty());
        Engine.TotalFilesCheckedValue = 0;
    }
}

TEST_F(MatchAndDecideTest, AStopKeepsTheRowsSoFarAndTheUndecidedFiles)
{
    PumpEveryPoll();
    AddTarget("keep.txt", 1, Mar2004);
    AddTarget("s1", 1, Jan1998);
    AddTarget("s4", 1, Jan1998);
    for (const char* name : {"s1", "s2", "s3", "s4", "s5"}) {
        AddSource(name, 1, Mar2004);
    }
    Host.QueueAnswer(DialogResult::Yes);
    AtFirstPollWhere([this] { return Engine.Delta.Rows.size() == 2; }, [this] { State.StopButtonClick(); });
    MatchAndDecide(Ctx, false);
    EXPECT_EQ(Names(Engine.Source.Files), (Strings{"s3", "s4", "s5"}));
    EXPECT_EQ(RowTexts(), (NameTexts{{"s1", Msg::OlderFile}, {"s2", Msg::NoMatch}}));
    EXPECT_EQ(Engine.Delta.DeltaCount, 2);
    EXPECT_EQ(Names(Engine.Target.Files), (Strings{"keep.txt", "s4"}));
    EXPECT_EQ(std::tuple(Host.Unexpected.size(), State.BusyCount), std::tuple(0u, 0));
}

TEST_F(MatchAndDecideTest, SelectedOnlyDecidesTheSelectionAndDropsTheRest)
{
    AddSource("a.txt", 1, Mar2004, true);
    AddSource("b.txt", 2, Mar2004, false);
    AddSource("c.txt", 3, Mar2004, true);
    // An unselected exact twin does not stop a case-only match.
    AddSource("d.txt", 1, Jan1998, false);
    AddSource("D.TXT", 1, Mar2004, true);
    AddTarget("b.txt", 2, Jan1998);
    AddTarget("d.txt", 1, Jan1998);
    MatchAndDecide(Ctx, true);
    EXPECT_EQ(RowTexts(),
              (NameTexts{{"a.txt", Msg::NoMatch}, {"c.txt", Msg::NoMatch}, {"D.TXT", Msg::OlderFile}}));
    EXPECT_TRUE(Engine.Source.Files.empty());
    EXPECT_EQ(Names(Engine.Target.Files), Strings{"b.txt"});
}

TEST_F(MatchAndDecideTest, UpdateListPreviewsTheFolderARunWritesIntoAndShowsBothFoldersAgain)
{
    TempTree tree;
    const std::time_t when = 1'600'000'000;
    tree.AddFile("src/new.txt", 5, when);
    tree.AddFile("src/same.txt", 7, when);
    tree.AddFile("src/newer.txt", 3, when + 60);
    tree.AddFile("dst/same.txt", 7, when);
    tree.AddFile("dst/newer.txt", 3, when);
    tree.AddFile("dst/old.txt", 9, when);
    // With "Create Source Folder in Target" a run writes into dst/src, which holds only one of
    // the files: the preview must say what that run does, not compare with dst.
    tree.AddFile("dst/src/same.txt", 7, when);
    // clang-format off
    const struct { bool SubFolder; NameTexts Rows; const char* Into; std::int64_t Adds, Updates; } cases[] = {
        {false, {{"new.txt", Msg::NoMatch}, {"newer.txt", Msg::OlderFile}}, "dst",     5, 3},
        {true,  {{"new.txt", Msg::NoMatch}, {"newer.txt", Msg::NoMatch}},   "dst/src", 8, 0}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Into);
        Opts.CreateSubFolderOption = c.SubFolder;
        Engine.Source.Folder = tree.Path("src");
        Engine.Target.Folder = tree.Path("dst");
        BuildFileListing(Ctx, Side::Source);
        BuildFileListing(Ctx, Side::Target);
        UpdateButtonClick(Ctx);
        EXPECT_EQ(RowTexts(true), c.Rows);
        for (const DeltaRow& row : Engine.Delta.Rows) {
            EXPECT_EQ(row.SourceFolder + row.TargetFolder, tree.Path("src") + "/" + tree.Path(c.Into) + "/");
        }
        EXPECT_EQ(std::tie(Engine.Delta.AddByteValue, Engine.Delta.UpdateByteValue),
                  std::make_tuple(c.Adds, c.Updates));
        EXPECT_EQ(Engine.Target.Folder, tree.Path("dst"));
        EXPECT_EQ(Names(Engine.Source.Files, true), (Strings{"new.txt", "newer.txt", "same.txt"}));
        EXPECT_EQ(Names(Engine.Target.Files, true), (Strings{"newer.txt", "old.txt", "same.txt"}));
    }
    // A sub-folder not made yet is previewed as empty, and a preview makes nothing.
    TempTree::RemoveAll(tree.Path("dst/src"));
    UpdateButtonClick(Ctx);
    EXPECT_EQ(
        RowTexts(true),
        (NameTexts{{"new.txt", Msg::NoMatch}, {"newer.txt", Msg::NoMatch}, {"same.txt", Msg::NoMatch}}));
    EXPECT_FALSE(tree.Exists("dst/src"));
}

} // namespace
} // namespace Tandemix
