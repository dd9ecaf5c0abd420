// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileFilters.h"

#include "engine/DateFilter.h"
#include "engine/FileListing.h"
#include "engine/ListingMessages.h"
#include "engine/Messages.h"
#include "platform/Attributes.h"
#include "platform/FileTimes.h"
#include "support/CoreBundle.h"
#include "support/FileChecks.h"
#include "support/TestTables.h"

namespace Tandemix {
namespace {

using Test::LocalTime;
using Test::Packed;

// A fixed "now" for everything that depends on today: 14 March 2025, mid-afternoon.
const std::time_t Now = LocalTime(2025, 3, 14, 15, 30);

// ---- The filter chain ---------------------------------------------------------------------------

using Attr::Archive, Attr::Hidden, Attr::ReadOnly, Attr::System, Attr::Normal;
const std::uint32_t Mar10 = Packed(2025, 3, 10, 9, 0);

std::string Reason(const Options& opts, const std::vector<std::string>& excludes, const FileFacts& file)
{
    return ExclusionReason(opts, excludes, file, Now);
}

// Switches named by the attribute bit they let through (Normal for "Normal").
Options SwitchesOff(std::uint32_t off)
{
    Options opts;
    opts.CheckNormal = (off & Normal) == 0;
    opts.CheckArchive = (off & Archive) == 0;
    opts.CheckSystem = (off & System) == 0;
    opts.CheckHidden = (off & Hidden) == 0;
    opts.CheckReadOnly = (off & ReadOnly) == 0;
    return opts;
}

Options SizeLimits(const char* min, const char* max)
{
    Options opts;
    opts.MinFileSize = min;
    opts.MaxFileSize = max;
    return opts;
}

// Expected "": the file passes.
TEST(ExclusionReasonTest, EachFilterExcludesWithItsReason)
{
    // Five two-byte characters, then twenty ASCII ones: 25 characters in 30 bytes.
    const std::string wide = "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                             "abcdefghijklmnopqrst";
    const std::string size = "Size Exclusion";
    // clang-format off
    struct Row { const char* Label; Options Opts; std::vector<std::string> Entries; std::string Name; std::uint32_t Attr; std::int64_t Size; std::string Expected; };
    const Row rows[] = {
        // Attribute switches.
        {"Normal",                     SwitchesOff(Normal), {}, "a", Normal, 1, "Normal File"},
        {"CompressedCountsAsNormal",   SwitchesOff(Normal), {}, "a", 2048, 1, "Normal File"},
        {"NormalOnlyWhenAlone",        SwitchesOff(Normal), {}, "a", Archive | ReadOnly, 1, ""},
        {"Archive",                    SwitchesOff(Archive), {}, "a", Archive | ReadOnly, 1, "Archive File"},
        {"System",                     SwitchesOff(System), {}, "a", System, 1, "System File"},
        {"HiddenTestedBeforeReadOnly", SwitchesOff(Hidden | ReadOnly), {}, "a", Hidden | ReadOnly, 1, "Hidden File"},
        {"ReadOnly",                   SwitchesOff(ReadOnly), {}, "a", Archive | ReadOnly, 1, "Read Only File"},
        {"AllOnLetsEverythingThrough", SwitchesOff(0), {}, "a", Archive | System | Hidden | ReadOnly, 1, ""},
        {"NoBitsPassEveryTest",        SwitchesOff(Normal | Archive | System | Hidden | ReadOnly), {}, "a", 0, 1, ""},
        // Exclusion entries.
        {"LowerCaseExcludesUpperCase", {}, {"bak"}, "BACKUP.BAK", 0, 1, "Exclude: \"bak\""},
        {"SubstringNotExtension",      {}, {"bak"}, "SETBAKER.EXE", 0, 1, "Exclude: \"bak\""},
        {"FirstEntryInListOrder",      {}, {".TMP", ".EXE", "SET"}, "SETBAKER.EXE", 0, 1, "Exclude: \".EXE\""},
        {"NoWildcards",                {}, {"*.BAK"}, "BACKUP.BAK", 0, 1, ""},
        {"EmptyEntryMatchesNothing",   {}, {""}, "a.txt", 0, 1, ""},
        {"LongEntryCutTo25",           {}, {"abcdefghijklmnopqrstuvwxyz"}, "ABCDEFGHIJKLMNOPQRSTUVWXY.txt", 0, 1,
                                       "Exclude: \"abcdefghijklmnopqrstuvwxyz\""},
        {"ShortNameMissesLongEntry",   {}, {"abcdefghijklmnopqrstuvwx"}, "abcdefghijklmnopqrstuvw", 0, 1, ""},
        {"CutCountsCharacters",        {}, {wide + "XYZ"}, wide + ".txt", 0, 1, "Exclude: \"" + wide + "XYZ\""},
        // Size limits.
        {"BelowMinimum",               SizeLimits("100", "0"), {}, "a", 0, 99, size},
        {"ExactlyMinimum",             SizeLimits("100", "0"), {}, "a", 0, 100, ""},
        {"LeadingZeroIsNoLimit",       SizeLimits("0100", "0"), {}, "a", 0, 5, ""},
        {"AboveMaximum",               SizeLimits("0", "100"), {}, "a", 0, 101, size},
        {"ExactlyMaximum",             SizeLimits("0", "100"), {}, "a", 0, 100, ""},
        {"MaximumNotANumber",          SizeLimits("0", "1O0"), {}, "a", 0, 5000, ""},
        {"EmptyFileBelowMinimum",      SizeLimits("1", "0"), {}, "a", 0, 0, size},
        {"BeyondFourGigabytes",        SizeLimits("0", "5000000000"), {}, "a", 0, 4294967297, ""},
        {"AboveFourGigabyteMaximum",   SizeLimits("0", "4294967296"), {}, "a", 0, 4294967297, size},
        // The log states "Exclude Files >  -5": the filter takes the limit at its word.
        {"NegativeMaximumExcludesEvenAnEmptyFile", SizeLimits("0", "-5"), {}, "a", 0, 0, size},
        {"NegativeMinimumExcludesNone", SizeLimits("-5", "0"), {}, "a", 0, 0, ""},
        {"PlusSignIsANumber",          SizeLimits("0", "+7"), {}, "a", 0, 8, size},
        {"LeadingBlankIsNoLimit",      SizeLimits(" 100", "0"), {}, "a", 0, 5, ""},
        {"EmptyIsNoLimit",             SizeLimits("", ""), {}, "a", 0, 5, ""},
        {"TooBigForANumberIsNoLimit",  SizeLimits("99999999999999999999", "0"), {}, "a", 0, 5, ""},
        {"UnitsAreNoNumber",           SizeLimits("12kb", "0"), {}, "a", 0, 5, ""},
    };
    // clang-format on
    for (const Row& row : rows) {
        EXPECT_EQ(Reason(row.Opts, row.Entries, FileFacts{row.Name, row.Attr, Mar10, row.Size}), row.Expected)
            << row.Label;
    }
}

TEST(ExclusionReasonTest, DayOutsideTheRangeExcludes)
{
    const std::uint32_t mar1 = Packed(2025, 3, 1);
    const std::uint32_t mar10 = Packed(2025, 3, 10);
    // To 0: today.
    // clang-format off
    struct Row { const char* Label; std::uint32_t From; std::uint32_t To; std::uint32_t File; bool Passes; };
    const Row rows[] = {
        {"ToDayLateEvening", mar1, mar10, Packed(2025, 3, 10, 23, 59, 58), true},
        {"DayAfterTo", mar1, mar10, Packed(2025, 3, 11), false},
        {"FromDayMidnight", mar1, mar10, mar1, true},
        {"DayBeforeFrom", mar1, mar10, Packed(2025, 2, 28, 23, 59, 58), false},
        {"UnsetToIsToday", mar1, 0, Packed(2025, 3, 14, 23, 0), true},
        {"UnsetToExcludesTomorrow", mar1, 0, Packed(2025, 3, 15), false},
        {"ComparedUnsignedAfter2043", mar1, Packed(2050, 1, 1), Packed(2045, 6, 1), true},
    };
    // clang-format on
    for (const Row& row : rows) {
        for (DateMode mode : {DateMode::FromTo, DateMode::NoDays}) {
            Options opts;
            opts.DatesMode = mode;
            opts.DateFrom = row.From;
            opts.DateTo = row.To;
            FileFacts file{"a", 0, row.File, 1};
            EXPECT_EQ(Reason(opts, {}, file), row.Passes ? "" : "Date Exclusion") << row.Label;
            opts.DatesMode = DateMode::All;
            EXPECT_EQ(Reason(opts, {}, file), "") << row.Label << ": All ignores the range";
        }
    }
}

// Replication lets every file through, but only together with the deletion of unmatched items.
TEST(ExclusionReasonTest, EachFamilyIsTestedBeforeTheNextAndReplicationNeedsDeleteUnmatched)
{
    Options opts = SwitchesOff(Hidden);
    opts.MinFileSize = "100";
    opts.DatesMode = DateMode::FromTo;
    opts.DateFrom = opts.DateTo = Packed(2000, 1, 1);
    std::vector<std::string> excludes{"prof"};
    EXPECT_EQ(Reason(opts, excludes, FileFacts{".profile", Hidden, Mar10, 1}), "Hidden File");
    EXPECT_EQ(Reason(opts, excludes, FileFacts{"profile", 0, Mar10, 1}), "Exclude: \"prof\"");
    EXPECT_EQ(Reason(opts, excludes, FileFacts{"other", 0, Mar10, 1}), "Size Exclusion");
    EXPECT_EQ(Reason(opts, excludes, FileFacts{"other", 0, Mar10, 100}), "Date Exclusion");
    EXPECT_EQ(Reason(opts, excludes, FileFacts{"other", 0, Packed(2000, 1, 1, 18, 0), 100}), "");

    opts.CheckNormal = opts.CheckArchive = opts.CheckSystem = opts.CheckReadOnly = false;
    opts.ReplicateFolders = true;
    FileFacts file{".a", Hidden | ReadOnly | Archive, Mar10, 1};
    EXPECT_EQ(Reason(opts, {"a"}, file), "Archive File");
    opts.DeleteUnmatched = true;
    EXPECT_EQ(Reason(opts, {"a"}, file), "");
}

// ---- Records and exclusion reports --------------------------------------------------------------

class AddFileRecordTest : public ::testing::Test, public Test::CoreBundle
{
protected:
    void SetUp() override
    {
        // Folders that are never there: a listing they cause finds nothing.
        Engine.Source.Folder = "/nonexistent-tandemix/src";
        Engine.Target.Folder = "/nonexistent-tandemix/dst";
        State.SyncActive = true;
    }
};

TEST_F(AddFileRecordTest, PassingFilesBecomeRecordsAndExcludedSourceFilesAreReported)
{
    const std::uint32_t time = Packed(2024, 7, 1, 8, 30);
    Opts.MaxFileSize = "4294967306";
    EXPECT_TRUE(AddFileRecord(Ctx,
                              "/src/",
                              Side::Source,
                              {{"a.txt", Archive | ReadOnly, time, 4294967301}, -1, true}));
    ASSERT_EQ(Engine.Source.Files.size(), 1u);
    const TFileData& r = Engine.Source.Files[0];
    EXPECT_EQ(
        std::tie(r.FileName, r.FileSize, r.FileTime, r.AttrLetters, r.CompressedSize, r.FolderPath, r.IsLink),
        std::make_tuple("a.txt", 4294967301, time, "ar", -1, "/src/", true));
    EXPECT_FALSE(
        AddFileRecord(Ctx, "/src/", Side::Source, {{"big.bin", Archive, time, 4294967307}, -1, false}));
    // The exclusion list takes effect on the next file.
    Opts.ExcludeString = "bak";
    UpdateExcludeList(Ctx, false);
    EXPECT_FALSE(AddFileRecord(Ctx, "/src/", Side::Source, {{"BACKUP.BAK", 0, time, 1}, -1, false}));
    // An excluded target file is dropped silently.
    Opts.ListUnMatchedFiles = true;
    Opts.CheckHidden = false;
    EXPECT_FALSE(AddFileRecord(Ctx, "/dst/", Side::Target, {{".x", Hidden, time, 1}, -1, false}));
    EXPECT_EQ(std::tuple(Engine.Source.Files.size(), Engine.Target.Files.size()), std::tuple(1u, 0u));
    ASSERT_EQ(Report.Entries.size(), 2u);
    const auto& e = Report.Entries[0];
    EXPECT_EQ(std::tie(e.Category, e.Kind), std::make_tuple(ReportCategory::Excluded, "Size Exclusion"));
    EXPECT_EQ(e.Name + "|" + e.Path + "|" + e.SizeText + "|" + e.Detail,
              "big.bin|/src/|4294967307|7/1/24 8:30:00 AM");
    EXPECT_EQ(Report.Entries[1].Kind, "Exclude: \"bak\"");
    // Outside a run, or with the report off, an exclusion is dropped without an entry.
    for (auto [active, reported] : {std::pair{false, true}, std::pair{true, false}}) {
        State.SyncActive = active;
        Opts.UseReportForm = reported;
        EXPECT_FALSE(
            AddFileRecord(Ctx, "/src/", Side::Source, {{"big.bin", Archive, time, 4294967307}, -1, false}));
    }
    EXPECT_EQ(Report.Entries.size(), 2u);
}

TEST_F(AddFileRecordTest, ArchiveSynchronisedIntoItsOwnFolderLeavesNothingUnmatched)
{
    Opts.ListUnMatchedFiles = true;
    Opts.UseCompression = true;
    Engine.Target.Folder = Engine.Source.Folder + "/";
    EXPECT_TRUE(AddFileRecord(Ctx, "/src/", Side::Target, {{"a", 0, Packed(2024, 1, 1), 1}, 1, false}));
    EXPECT_TRUE(Report.Entries.empty());
    Engine.Target.Folder = "/nonexistent-tandemix/dst";
    EXPECT_TRUE(AddFileRecord(Ctx, "/dst/", Side::Target, {{"a", 0, Packed(2024, 1, 1), 1}, 1, false}));
    EXPECT_EQ(Report.EntriesIn(ReportCategory::UnMatched).size(), 1u);
}

// ---- Exclusion list and size edits ------------------------------------------------------------------

TEST_F(AddFileRecordTest, ExclusionListIsBuiltFromTheEditAndASizeEditTakesOnlyANumber)
{
    State.SyncActive = false; // a run holds "Ready" back
    // clang-format off
    struct Row { const char* Text; std::vector<std::string> Expected; };
    const Row rows[] = {{".SWP;.BAK;.TMP;", {".SWP", ".BAK", ".TMP"}}, {".SWP; .BAK ;.TMP", {".SWP", ".BAK", ".TMP"}},
                        {"a;b;a;B", {"a", "b"}}, {"x;;y;;", {"x", "", "y"}}, {"", {}}, {"   ", {}}};
    // clang-format on
    for (const Row& row : rows) {
        Engine.ExcludeList = {"stale"};
        Opts.ExcludeString = row.Text;
        UpdateExcludeList(Ctx, true);
        EXPECT_EQ(Engine.ExcludeList, row.Expected) << '"' << row.Text << '"';
    }
    ASSERT_GE(Host.Statuses.size(), 2u);
    EXPECT_EQ(Host.Statuses[Host.Statuses.size() - 2], Msg::UpdateFileListings);
    EXPECT_EQ(Host.Statuses.back(), Msg::Ready);

    // A size edit asks for a number and fills an empty edit.
    const std::size_t shown = Host.Statuses.size();
    SizeEditOutcome letters = MaxFileSizeChange(Ctx, SizeEdit::Max, "12kb");
    EXPECT_EQ(std::string(letters.Warning) + "|" + letters.EditText + "|" + Opts.MaxFileSize,
              "Please enter a number in this field!|12kb|12kb");
    SizeEditOutcome empty = MaxFileSizeChange(Ctx, SizeEdit::Min, "");
    EXPECT_EQ(std::string(empty.Warning) + "|" + empty.EditText + "|" + Opts.MinFileSize, "|0|0");
    EXPECT_EQ(Opts.MaxFileSize, "12kb") << "the other edit is left alone";
    SizeEditOutcome number = MaxFileSizeChange(Ctx, SizeEdit::Min, "250");
    EXPECT_EQ(std::string(number.Warning) + "|" + Opts.MinFileSize, "|250");
    EXPECT_EQ(Host.Statuses.size() - shown, 6u) << "each edit shows the listings updated, then Ready";
    EXPECT_EQ(Host.LastStatus(), Msg::Ready);
}

TEST(IncludeMasksTest, BlanksRemovedEmptyPartsDroppedOrderKept)
{
    EXPECT_EQ(IncludeMasks("*.DOC; *.WKS;"), (std::vector<std::string>{"*.DOC", "*.WKS"}));
    EXPECT_EQ(IncludeMasks("b*;;a*"), (std::vector<std::string>{"b*", "a*"}));
    EXPECT_EQ(IncludeMasks(" ; "), std::vector<std::string>{});
}

// ---- Date range -----------------------------------------------------------------------------------

TEST(DateFilterTest, MaskedTextGivesAPackedDate)
{
    // The first and the last year a packed date holds are kept.
    // clang-format off
    const std::pair<const char*, std::uint32_t> dates[] = {
        {"03/14/25", Packed(2025, 3, 14)}, {"12/31/49", Packed(2049, 12, 31)}, {"01/05/98", Packed(1998, 1, 5)},
        {" 1/ 5/98", Packed(1998, 1, 5)}, {"1/5/2001", Packed(2001, 1, 5)}, {"02/29/00", Packed(2000, 2, 29)},
        {"02/29/96", Packed(1996, 2, 29)},
        {"06/01/75", PackedTimeFloor}, {"06/15/80", Packed(1980, 6, 15)}, {"06/15/2107", Packed(2107, 6, 15)},
        {"06/15/2108", Packed(2107, 12, 31)},
    };
    // clang-format on
    for (const auto& [text, expected] : dates) {
        EXPECT_EQ(ParseMaskedDate(text), expected) << '"' << text << '"';
    }
    // clang-format off
    for (const char* text : {"02/29/01", "02/29/2100", "13/01/98", "04/31/98", "00/10/98", "03/14/2", "03/14/", "  /  /  ",
                             "03-14-25", "03/14/25/1", "ab/cd/ef"}) {
        // clang-format on
        EXPECT_EQ(ParseMaskedDate(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(DateFilterTest, LabelsNormaliseAnUnsetRangeAndShowATimeOnlyWhenThereIsOne)
{
    Options opts;
    opts.DateFrom = 0;
    opts.DateTo = 0;
    DateLabels labels = SetSyncDateLabel(opts, Now);
    EXPECT_EQ(std::tie(opts.DateFrom, opts.DateTo), std::make_tuple(Packed(1980, 1, 1), Packed(2025, 3, 14)));
    EXPECT_EQ(labels.DateFromLabel + "|" + labels.DateToLabel, "1/1/80|3/14/25");
    EXPECT_EQ(labels.UseFileDatesLabel, "File Dates: 1/1/80 To: 3/14/25");
    EXPECT_EQ(DateLabelText(Packed(2025, 3, 14, 15, 30)), "3/14/25 3:30:00 PM");
}

TEST(DateFilterTest, TodayAndPastCountsBackAcrossMonthsAndYears)
{
    Options opts;
    opts.PastDaysCount = "6";
    UseDatesNoDaysClick(opts, LocalTime(2025, 3, 3, 0, 30));
    EXPECT_EQ(std::tie(opts.DatesMode, opts.DateFrom, opts.DateTo),
              std::make_tuple(DateMode::NoDays, Packed(2025, 2, 25), Packed(2025, 3, 3)));
    PastDaysCountChange(opts, "0", Now);
    EXPECT_EQ(opts.DateFrom, Packed(2025, 3, 14)) << "0 days: today only";
    PastDaysCountChange(opts, "74", Now);
    EXPECT_EQ(opts.DateFrom, Packed(2024, 12, 30));
    PastDaysCountChange(opts, "99999999", Now);
    EXPECT_EQ(opts.DateFrom, PackedTimeFloor);
}

// Text that is not a date or a count leaves the range; All resets it, yet the edits stay for
// From/To to take again, and Today fills the To edit.
TEST_F(AddFileRecordTest, EditsTakeOnlyDatesAndCountsAllResetsFromToTakesBothEditsAndListsAgain)
{
    const std::time_t now = Tandemix::Now;
    UseDateFromChange(Opts, "03/01/25", now);
    UseDateToChange(Opts, "03/10/25", now);
    const auto range =
        std::make_tuple(Packed(2025, 3, 1), Packed(2025, 3, 1), Packed(2025, 3, 10), Packed(2025, 3, 10));
    ASSERT_EQ(std::tie(Opts.DateFrom, Opts.UseDateFrom, Opts.DateTo, Opts.UseDateTo), range);
    UseDateFromChange(Opts, "03/  /25", now);
    UseDateToChange(Opts, "02/30/25", now);
    PastDaysCountChange(Opts, "-3", now);
    PastDaysCountChange(Opts, "x", now);
    EXPECT_EQ(std::tie(Opts.DateFrom, Opts.UseDateFrom, Opts.DateTo, Opts.UseDateTo), range);

    UseDatesAllClick(Opts, now);
    EXPECT_EQ(std::tie(Opts.DatesMode, Opts.DateFrom, Opts.DateTo),
              std::make_tuple(DateMode::All, PackedTimeFloor, Packed(2025, 3, 14)));
    Engine.Source.Files.emplace_back().FileName = "stale";
    DateLabels labels = UseDatesFromToClick(Ctx, now);
    EXPECT_EQ(std::tie(Opts.DatesMode, Opts.DateFrom, Opts.DateTo),
              std::make_tuple(DateMode::FromTo, Packed(2025, 3, 1), Packed(2025, 3, 10)));
    EXPECT_EQ(labels.UseFileDatesLabel, "File Dates: 3/1/25 To: 3/10/25");
    EXPECT_TRUE(Engine.Source.Files.empty()) << "the folders were listed again";
    EXPECT_EQ(TodayFromClick(now), "03/14/25");
    UseDateToChange(Opts, TodayFromClick(now), now);
    EXPECT_EQ(Opts.UseDateTo, Packed(2025, 3, 14));
}

} // namespace
} // namespace Tandemix
