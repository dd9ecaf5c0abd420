// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileFilters.h"

#include "engine/DateFilter.h"
#include "engine/FileListing.h"
#include "engine/ListingMessages.h"
#include "engine/Messages.h"
#include "platform/Attributes.h"
#include "platform/FileTimes.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedHost.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
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

std::uint32_t Packed(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return (static_cast<std::uint32_t>(year - 1980) << 9 | static_cast<std::uint32_t>(month) << 5
            | static_cast<std::uint32_t>(day))
               << 16
           | static_cast<std::uint32_t>(hour) << 11 | static_cast<std::uint32_t>(minute) << 5
           | static_cast<std::uint32_t>(second / 2);
}

// A fixed "now" for everything that depends on today: 14 March 2025, mid-afternoon.
const std::time_t Now = LocalTime(2025, 3, 14, 15, 30);

// ---- The filter chain ---------------------------------------------------------------------------

constexpr std::uint32_t Archive = Attr::Archive;
constexpr std::uint32_t Hidden = Attr::Hidden;
constexpr std::uint32_t ReadOnly = Attr::ReadOnly;
constexpr std::uint32_t System = Attr::System;
constexpr std::uint32_t Normal = Attr::Normal;
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

struct AttrCase
{
    const char* Label;
    std::uint32_t Off;
    std::uint32_t Attr;
    const char* Expected; // "" passes
};

class AttributeFilterTest : public ::testing::TestWithParam<AttrCase>
{};

TEST_P(AttributeFilterTest, SwitchedOffAttributeExcludes)
{
    FileFacts file{"a", GetParam().Attr, Mar10, 1};
    EXPECT_EQ(Reason(SwitchesOff(GetParam().Off), {}, file), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters,
    AttributeFilterTest,
    ::testing::Values(
        AttrCase{"Normal", Normal, Normal, "Normal File"},
        AttrCase{"CompressedCountsAsNormal", Normal, 2048, "Normal File"},
        AttrCase{"NormalOnlyWhenAlone", Normal, Archive | ReadOnly, ""},
        AttrCase{"Archive", Archive, Archive | ReadOnly, "Archive File"},
        AttrCase{"System", System, System, "System File"},
        AttrCase{"HiddenTestedBeforeReadOnly", Hidden | ReadOnly, Hidden | ReadOnly, "Hidden File"},
        AttrCase{"ReadOnly", ReadOnly, Archive | ReadOnly, "Read Only File"},
        AttrCase{"AllOnLetsEverythingThrough", 0, Archive | System | Hidden | ReadOnly, ""},
        AttrCase{"NoBitsPassEveryTest", Normal | Archive | System | Hidden | ReadOnly, 0, ""}),
    [](const ::testing::TestParamInfo<AttrCase>& row) { return std::string(row.param.Label); });

struct ExcludeMatchCase
{
    const char* Label;
    std::vector<std::string> Entries;
    const char* Name;
    const char* Expected;
};

class ExclusionStringTest : public ::testing::TestWithParam<ExcludeMatchCase>
{};

TEST_P(ExclusionStringTest, EntryFoundInTheNameExcludes)
{
    FileFacts file{GetParam().Name, 0, Mar10, 1};
    EXPECT_EQ(Reason(Options{}, GetParam().Entries, file), GetParam().Expected);
}

// Five two-byte characters, then twenty ASCII ones: 25 characters in 30 bytes.
#define WIDE "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
INSTANTIATE_TEST_SUITE_P(
    Filters,
    ExclusionStringTest,
    ::testing::Values(
        ExcludeMatchCase{"LowerCaseExcludesUpperCase", {"bak"}, "BACKUP.BAK", "Exclude: \"bak\""},
        ExcludeMatchCase{"SubstringNotExtension", {"bak"}, "SETBAKER.EXE", "Exclude: \"bak\""},
        ExcludeMatchCase{"FirstEntryInListOrder",
                         {".TMP", ".EXE", "SET"},
                         "SETBAKER.EXE",
                         "Exclude: \".EXE\""},
        ExcludeMatchCase{"NoWildcards", {"*.BAK"}, "BACKUP.BAK", ""},
        ExcludeMatchCase{"EmptyEntryMatchesNothing", {""}, "a.txt", ""},
        ExcludeMatchCase{"LongEntryCutTo25",
                         {"abcdefghijklmnopqrstuvwxyz"},
                         "ABCDEFGHIJKLMNOPQRSTUVWXY.txt",
                         "Exclude: \"abcdefghijklmnopqrstuvwxyz\""},
        ExcludeMatchCase{"ShortNameMissesLongEntry",
                         {"abcdefghijklmnopqrstuvwx"},
                         "abcdefghijklmnopqrstuvw",
                         ""},
        ExcludeMatchCase{"CutCountsCharacters",
                         {WIDE "abcdefghijklmnopqrstXYZ"},
                         WIDE "abcdefghijklmnopqrst.txt",
                         "Exclude: \"" WIDE "abcdefghijklmnopqrstXYZ\""}),
    [](const ::testing::TestParamInfo<ExcludeMatchCase>& row) { return std::string(row.param.Label); });
#undef WIDE

struct SizeCase
{
    const char* Label;
    const char* Min;
    const char* Max;
    std::int64_t Size;
    bool Passes;
};

class SizeFilterTest : public ::testing::TestWithParam<SizeCase>
{};

TEST_P(SizeFilterTest, SizeOutsideTheLimitsExcludes)
{
    Options opts;
    opts.MinFileSize = GetParam().Min;
    opts.MaxFileSize = GetParam().Max;
    FileFacts file{"a", 0, Mar10, GetParam().Size};
    EXPECT_EQ(Reason(opts, {}, file), GetParam().Passes ? "" : "Size Exclusion");
}

INSTANTIATE_TEST_SUITE_P(
    Filters,
    SizeFilterTest,
    ::testing::Values(SizeCase{"BelowMinimum", "100", "0", 99, false},
                      SizeCase{"ExactlyMinimum", "100", "0", 100, true},
                      SizeCase{"LeadingZeroIsNoLimit", "0100", "0", 5, true},
                      SizeCase{"AboveMaximum", "0", "100", 101, false},
                      SizeCase{"ExactlyMaximum", "0", "100", 100, true},
                      SizeCase{"MaximumNotANumber", "0", "1O0", 5000, true},
                      SizeCase{"EmptyFileBelowMinimum", "1", "0", 0, false},
                      SizeCase{"BeyondFourGigabytes", "0", "5000000000", 4294967297, true},
                      SizeCase{"AboveFourGigabyteMaximum", "0", "4294967296", 4294967297, false}),
    [](const ::testing::TestParamInfo<SizeCase>& row) { return std::string(row.param.Label); });

struct DateCase
{
    const char* Label;
    std::uint32_t From;
    std::uint32_t To; // 0: today
    std::uint32_t File;
    bool Passes;
};

class DateRangeFilterTest : public ::testing::TestWithParam<DateCase>
{};

TEST_P(DateRangeFilterTest, DayOutsideTheRangeExcludes)
{
    for (DateMode mode : {DateMode::FromTo, DateMode::NoDays}) {
        Options opts;
        opts.DatesMode = mode;
        opts.DateFrom = GetParam().From;
        opts.DateTo = GetParam().To;
        FileFacts file{"a", 0, GetParam().File, 1};
        EXPECT_EQ(Reason(opts, {}, file), GetParam().Passes ? "" : "Date Exclusion");
        opts.DatesMode = DateMode::All;
        EXPECT_EQ(Reason(opts, {}, file), "") << "All ignores the range";
    }
}

const std::uint32_t Mar1 = Packed(2025, 3, 1);
INSTANTIATE_TEST_SUITE_P(
    Filters,
    DateRangeFilterTest,
    ::testing::Values(
        DateCase{"ToDayLateEvening", Mar1, Packed(2025, 3, 10), Packed(2025, 3, 10, 23, 59, 58), true},
        DateCase{"DayAfterTo", Mar1, Packed(2025, 3, 10), Packed(2025, 3, 11), false},
        DateCase{"FromDayMidnight", Mar1, Packed(2025, 3, 10), Mar1, true},
        DateCase{"DayBeforeFrom", Mar1, Packed(2025, 3, 10), Packed(2025, 2, 28, 23, 59, 58), false},
        DateCase{"UnsetToIsToday", Mar1, 0, Packed(2025, 3, 14, 23, 0), true},
        DateCase{"UnsetToExcludesTomorrow", Mar1, 0, Packed(2025, 3, 15), false},
        DateCase{"ComparedUnsignedAfter2043", Mar1, Packed(2050, 1, 1), Packed(2045, 6, 1), true}),
    [](const ::testing::TestParamInfo<DateCase>& row) { return std::string(row.param.Label); });

TEST(ExclusionOrderTest, EachFamilyIsTestedBeforeTheNext)
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
}

TEST(ExclusionOrderTest, ReplicationLetsEveryFileThroughAndNeedsDeleteUnmatched)
{
    Options opts = SwitchesOff(Normal | Archive | System | Hidden | ReadOnly);
    opts.MinFileSize = "100";
    opts.DatesMode = DateMode::FromTo;
    opts.DateFrom = opts.DateTo = Packed(2000, 1, 1);
    FileFacts file{".a", Hidden | ReadOnly | Archive, Mar10, 1};

    opts.ReplicateFolders = true;
    EXPECT_EQ(Reason(opts, {"a"}, file), "Archive File");
    opts.DeleteUnmatched = true;
    EXPECT_EQ(Reason(opts, {"a"}, file), "");
}

// ---- Records and exclusion reports --------------------------------------------------------------

class AddFileRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Folders that are never there: a listing they cause finds nothing.
        Engine.Source.Folder = "/nonexistent-tandemix/src";
        Engine.Target.Folder = "/nonexistent-tandemix/dst";
        State.SyncActive = true;
    }

    ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    RecordingReporter Report;
    EngineState Engine;
    RunContext Ctx{Opts, State, Host, Report, Engine};
};

TEST_F(AddFileRecordTest, PassingFileBecomesARecordOfItsSide)
{
    std::uint32_t time = Packed(2024, 7, 1, 8, 30);
    EXPECT_TRUE(AddFileRecord(Ctx,
                              "a.txt",
                              "/src/",
                              Side::Source,
                              Archive | ReadOnly,
                              time,
                              4294967296 + 5,
                              -1,
                              true));

    ASSERT_EQ(Engine.Source.Files.size(), 1u);
    EXPECT_TRUE(Engine.Target.Files.empty());
    const TFileData& record = Engine.Source.Files[0];
    EXPECT_EQ(record.FileName, "a.txt");
    EXPECT_EQ(record.FileSize, 4294967296 + 5);
    EXPECT_EQ(record.FileTime, time);
    EXPECT_EQ(record.AttrLetters, "ar");
    EXPECT_EQ(record.CompressedSize, -1);
    EXPECT_EQ(record.FolderPath, "/src/");
    EXPECT_TRUE(record.IsLink);
}

TEST_F(AddFileRecordTest, ExcludedSourceFileIsReportedWithItsReason)
{
    Opts.MaxFileSize = "10";
    std::uint32_t time = Packed(2024, 7, 1, 8, 30);

    EXPECT_FALSE(AddFileRecord(Ctx, "big.bin", "/src/", Side::Source, Archive, time, 11, -1, false));

    EXPECT_TRUE(Engine.Source.Files.empty());
    ASSERT_EQ(Report.Entries.size(), 1u);
    const RecordingReporter::Entry& entry = Report.Entries[0];
    EXPECT_EQ(entry.Category, ReportCategory::Excluded);
    EXPECT_EQ(entry.Name, "big.bin");
    EXPECT_EQ(entry.Path, "/src/");
    EXPECT_EQ(entry.SizeText, "11");
    EXPECT_EQ(entry.Kind, "Size Exclusion");
    EXPECT_EQ(entry.Detail, FileDateTimeText(time));
    EXPECT_EQ(entry.Detail, "7/1/24 8:30:00 AM");
}

TEST_F(AddFileRecordTest, ExcludedTargetFileIsDroppedSilently)
{
    Opts.ListUnMatchedFiles = true;
    Opts.CheckHidden = false;

    EXPECT_FALSE(AddFileRecord(Ctx, ".x", "/dst/", Side::Target, Hidden, Packed(2024, 1, 1), 1, -1, false));

    EXPECT_TRUE(Engine.Target.Files.empty());
    EXPECT_TRUE(Report.Entries.empty());
}

TEST_F(AddFileRecordTest, ArchiveSynchronisedIntoItsOwnFolderLeavesNothingUnmatched)
{
    Opts.ListUnMatchedFiles = true;
    Opts.UseCompression = true;
    Engine.Target.Folder = Engine.Source.Folder + "/";

    EXPECT_TRUE(AddFileRecord(Ctx, "a", "/src/", Side::Target, 0, Packed(2024, 1, 1), 1, 1, false));
    EXPECT_TRUE(Report.Entries.empty());

    Engine.Target.Folder = "/nonexistent-tandemix/dst";
    EXPECT_TRUE(AddFileRecord(Ctx, "a", "/dst/", Side::Target, 0, Packed(2024, 1, 1), 1, 1, false));
    EXPECT_EQ(Report.EntriesIn(ReportCategory::UnMatched).size(), 1u);
}

// ---- Exclusion list -------------------------------------------------------------------------------

struct ExcludeCase
{
    const char* Text;
    std::vector<std::string> Expected;
};

class UpdateExcludeListTest : public AddFileRecordTest, public ::testing::WithParamInterface<ExcludeCase>
{};

TEST_P(UpdateExcludeListTest, BuildsTheListFromTheEdit)
{
    State.SyncActive = false; // a run holds "Ready" back
    Engine.ExcludeList = {"stale"};
    Opts.ExcludeString = GetParam().Text;

    UpdateExcludeList(Ctx, true);

    EXPECT_EQ(Engine.ExcludeList, GetParam().Expected);
    ASSERT_GE(Host.Statuses.size(), 2u);
    EXPECT_EQ(Host.Statuses[Host.Statuses.size() - 2], Msg::UpdateFileListings);
    EXPECT_EQ(Host.Statuses.back(), Msg::Ready);
}

INSTANTIATE_TEST_SUITE_P(Filters,
                         UpdateExcludeListTest,
                         ::testing::Values(ExcludeCase{".SWP;.BAK;.TMP;", {".SWP", ".BAK", ".TMP"}},
                                           ExcludeCase{".SWP; .BAK ;.TMP", {".SWP", ".BAK", ".TMP"}},
                                           ExcludeCase{"a;b;a;B", {"a", "b"}},
                                           ExcludeCase{"x;;y;;", {"x", "", "y"}},
                                           ExcludeCase{"", {}},
                                           ExcludeCase{"   ", {}}));

TEST_F(AddFileRecordTest, ExclusionListTakesEffectOnTheNextFile)
{
    Opts.ExcludeString = "bak";
    UpdateExcludeList(Ctx, false);
    EXPECT_FALSE(
        AddFileRecord(Ctx, "BACKUP.BAK", "/src/", Side::Source, 0, Packed(2024, 1, 1), 1, -1, false));
    ASSERT_EQ(Report.Entries.size(), 1u);
    EXPECT_EQ(Report.Entries[0].Kind, "Exclude: \"bak\"");
}

// ---- Size edits -------------------------------------------------------------------------------------

struct SizeTextCase
{
    const char* Text;
    std::int64_t Limit;
};

class SizeLimitTest : public ::testing::TestWithParam<SizeTextCase>
{};

TEST_P(SizeLimitTest, TextGivesTheLimit)
{
    EXPECT_EQ(SizeLimit(GetParam().Text), GetParam().Limit) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(Filters,
                         SizeLimitTest,
                         ::testing::Values(SizeTextCase{"100", 100},
                                           SizeTextCase{"0100", 0},
                                           SizeTextCase{"0", 0},
                                           SizeTextCase{"", 0},
                                           SizeTextCase{"12kb", 0},
                                           SizeTextCase{" 100", 0},
                                           SizeTextCase{"-5", 0},
                                           SizeTextCase{"+7", 7},
                                           SizeTextCase{"9000000000", 9000000000},
                                           SizeTextCase{"99999999999999999999", 0}));

TEST_F(AddFileRecordTest, SizeEditAsksForANumberAndFillsAnEmptyEdit)
{
    State.SyncActive = false; // a run holds "Ready" back
    SizeEditOutcome letters = MaxFileSizeChange(Ctx, SizeEdit::Max, "12kb");
    EXPECT_EQ(letters.Warning, "Please enter a number in this field!");
    EXPECT_EQ(letters.EditText, "12kb");
    EXPECT_EQ(Opts.MaxFileSize, "12kb");

    SizeEditOutcome empty = MaxFileSizeChange(Ctx, SizeEdit::Min, "");
    EXPECT_TRUE(empty.Warning.empty());
    EXPECT_EQ(empty.EditText, "0");
    EXPECT_EQ(Opts.MinFileSize, "0");
    EXPECT_EQ(Opts.MaxFileSize, "12kb") << "the other edit is left alone";

    SizeEditOutcome number = MaxFileSizeChange(Ctx, SizeEdit::Min, "250");
    EXPECT_TRUE(number.Warning.empty());
    EXPECT_EQ(Opts.MinFileSize, "250");
    EXPECT_EQ(Host.LastStatus(), Msg::Ready);
}

// ---- Include masks ----------------------------------------------------------------------------------

TEST(IncludeMasksTest, BlanksRemovedEmptyPartsDroppedOrderKept)
{
    EXPECT_EQ(IncludeMasks("*.DOC; *.WKS;"), (std::vector<std::string>{"*.DOC", "*.WKS"}));
    EXPECT_EQ(IncludeMasks("b*;;a*"), (std::vector<std::string>{"b*", "a*"}));
    EXPECT_EQ(IncludeMasks(" ; "), std::vector<std::string>{});
}

// ---- Date range -----------------------------------------------------------------------------------

struct MaskedDateCase
{
    const char* Text;
    std::optional<std::uint32_t> Expected;
};

class ParseMaskedDateTest : public ::testing::TestWithParam<MaskedDateCase>
{};

TEST_P(ParseMaskedDateTest, TextGivesAPackedDate)
{
    EXPECT_EQ(ParseMaskedDate(GetParam().Text), GetParam().Expected) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(Dates,
                         ParseMaskedDateTest,
                         ::testing::Values(MaskedDateCase{"03/14/25", Packed(2025, 3, 14)},
                                           MaskedDateCase{"12/31/49", Packed(2049, 12, 31)},
                                           MaskedDateCase{"01/05/98", Packed(1998, 1, 5)},
                                           MaskedDateCase{" 1/ 5/98", Packed(1998, 1, 5)},
                                           MaskedDateCase{"1/5/2001", Packed(2001, 1, 5)},
                                           MaskedDateCase{"02/29/00", Packed(2000, 2, 29)},
                                           MaskedDateCase{"06/01/75", PackedTimeFloor},
                                           MaskedDateCase{"02/29/01", std::nullopt},
                                           MaskedDateCase{"13/01/98", std::nullopt},
                                           MaskedDateCase{"04/31/98", std::nullopt},
                                           MaskedDateCase{"00/10/98", std::nullopt},
                                           MaskedDateCase{"03/14/2", std::nullopt},
                                           MaskedDateCase{"03/14/", std::nullopt},
                                           MaskedDateCase{"  /  /  ", std::nullopt},
                                           MaskedDateCase{"03-14-25", std::nullopt},
                                           MaskedDateCase{"03/14/25/1", std::nullopt},
                                           MaskedDateCase{"ab/cd/ef", std::nullopt}));

TEST(DateFilterTest, LabelsNormaliseAnUnsetRangeAndShowDatesAlone)
{
    Options opts;
    opts.DateFrom = 0;
    opts.DateTo = 0;

    DateLabels labels = SetSyncDateLabel(opts, Now);

    EXPECT_EQ(opts.DateFrom, 2162688u);
    EXPECT_EQ(opts.DateTo, Packed(2025, 3, 14));
    EXPECT_EQ(labels.DateFromLabel, "1/1/80");
    EXPECT_EQ(labels.DateToLabel, "3/14/25");
    EXPECT_EQ(labels.UseFileDatesLabel, "File Dates: 1/1/80 To: 3/14/25");
}

TEST(DateFilterTest, LabelWithATimeOfDayShowsIt)
{
    EXPECT_EQ(DateLabelText(Packed(2025, 3, 14, 15, 30)), "3/14/25 3:30:00 PM");
}

TEST(DateFilterTest, TodayAndPastCountsBackAcrossMonthsAndYears)
{
    Options opts;
    opts.PastDaysCount = "6";
    UseDatesNoDaysClick(opts, LocalTime(2025, 3, 3, 0, 30));
    EXPECT_EQ(opts.DatesMode, DateMode::NoDays);
    EXPECT_EQ(opts.DateFrom, Packed(2025, 2, 25));
    EXPECT_EQ(opts.DateTo, Packed(2025, 3, 3));

    PastDaysCountChange(opts, "0", Now);
    EXPECT_EQ(opts.DateFrom, Packed(2025, 3, 14)) << "0 days: today only";

    PastDaysCountChange(opts, "74", Now);
    EXPECT_EQ(opts.DateFrom, Packed(2024, 12, 30));

    PastDaysCountChange(opts, "99999999", Now);
    EXPECT_EQ(opts.DateFrom, PackedTimeFloor);
}

TEST(DateFilterTest, TextThatIsNotADateOrCountLeavesTheRange)
{
    Options opts;
    UseDateFromChange(opts, "03/01/25", Now);
    UseDateToChange(opts, "03/10/25", Now);
    ASSERT_EQ(opts.DateFrom, Packed(2025, 3, 1));
    ASSERT_EQ(opts.UseDateFrom, Packed(2025, 3, 1));
    ASSERT_EQ(opts.DateTo, Packed(2025, 3, 10));

    UseDateFromChange(opts, "03/  /25", Now);
    UseDateToChange(opts, "02/30/25", Now);
    PastDaysCountChange(opts, "-3", Now);
    PastDaysCountChange(opts, "x", Now);

    EXPECT_EQ(opts.DateFrom, Packed(2025, 3, 1));
    EXPECT_EQ(opts.UseDateFrom, Packed(2025, 3, 1));
    EXPECT_EQ(opts.DateTo, Packed(2025, 3, 10));
    EXPECT_EQ(opts.UseDateTo, Packed(2025, 3, 10));
}

TEST(DateFilterTest, AllResetsTheRangeAndTodayFillsTheToEdit)
{
    Options opts;
    opts.DateFrom = Packed(2025, 3, 1);
    opts.DateTo = Packed(2025, 3, 2);
    UseDatesAllClick(opts, Now);
    EXPECT_EQ(opts.DatesMode, DateMode::All);
    EXPECT_EQ(opts.DateFrom, PackedTimeFloor);
    EXPECT_EQ(opts.DateTo, Packed(2025, 3, 14));

    EXPECT_EQ(TodayFromClick(Now), "03/14/25");
    UseDateToChange(opts, TodayFromClick(Now), Now);
    EXPECT_EQ(opts.UseDateTo, Packed(2025, 3, 14));
}

TEST_F(AddFileRecordTest, FromToTakesBothEditsAndListsAgain)
{
    Opts.UseDateFrom = Packed(2025, 3, 1);
    Opts.UseDateTo = Packed(2025, 3, 10);
    Engine.Source.Files.push_back(Named("stale"));
    State.SyncActive = false;

    DateLabels labels = UseDatesFromToClick(Ctx, Now);

    EXPECT_EQ(Opts.DatesMode, DateMode::FromTo);
    EXPECT_EQ(Opts.DateFrom, Packed(2025, 3, 1));
    EXPECT_EQ(Opts.DateTo, Packed(2025, 3, 10));
    EXPECT_EQ(labels.UseFileDatesLabel, "File Dates: 3/1/25 To: 3/10/25");
    EXPECT_TRUE(Engine.Source.Files.empty()) << "the folders were listed again";
    EXPECT_EQ(Host.LastStatus(), Msg::Ready);
}

} // namespace
} // namespace Tandemix
