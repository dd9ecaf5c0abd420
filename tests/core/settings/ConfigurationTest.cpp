// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Configuration.h"

#include "core/settings/ConfigurationFixture.h"
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tandemix::ConfigTest {
namespace {

class FakePasswords : public PasswordStore
{
public:
    std::optional<std::pair<std::string, std::string>>
    ReadPasswords(const std::string& programFolder) override
    {
        Folders.push_back(programFolder);
        return std::make_pair(std::string("zip secret"), std::string("admin secret"));
    }
    std::vector<std::string> Folders;
};
// ---- Start-up and defaults ----------------------------------------------------------------

TEST_F(ConfigurationTest, FirstStartLoadsThePreviousReleasesFile)
{
    fs::copy_file(DataFile("TX35Def.CFG"), Home.Path(PreviousConfigName));
    std::string path = PrepareDefaultConfig(Home.Folder());
    ASSERT_EQ(path, DefaultPath);
    LoadAll(Ctx, path);

    EXPECT_EQ(Opts.MainLeft, 120);
    EXPECT_EQ(Opts.HomeLeft, 120);
    EXPECT_EQ(Opts.LogFileName, "Old.Log");
    EXPECT_EQ(Opts.ExcludeHistory.Items, (std::vector<std::string>{".BAK;.TMP;", ""}));
    EXPECT_EQ(Opts.RecentFolders[0], "/home/ann/letters >> /media/backup/letters");
    EXPECT_TRUE(fs::exists(Home.Path(PreviousConfigName)));
}

TEST_F(ConfigurationTest, WithoutAFileEveryOptionTakesItsDefault)
{
    // Start from a window whose options were all changed by an earlier load.
    PutDefault(CustomText());
    LoadAll(Ctx, DefaultPath);
    ASSERT_NE(Opts, Options{});
    fs::remove(DefaultPath);
    Opts.MonitorSourceDriveCheckTag = -1; // an armed monitor is not disarmed by a load

    LoadAll(Ctx, DefaultPath);
    Options expected;
    // The range's end is today's date where a default Options leaves it open.
    expected.UseDateTo = TodayPacked(Now);
    expected.DateTo = TodayPacked(Now);
    EXPECT_EQ(Opts, expected);
    EXPECT_EQ(Opts.CompressedExt, ".ZIP");
    EXPECT_TRUE(Host.Questions.empty());
}

TEST_F(ConfigurationTest, PasswordsComeOnlyWithTheDefaultFile)
{
    FakePasswords store;
    Ctx.Passwords = &store;
    Home.Write("Other.CFG", "[Misc Options]\r\nCompile Date=July 23, 1997\r\n");
    Opts.SavePasswordEnabled = true;
    LoadConfiguration(Ctx, Home.Path("Other.CFG"), false);
    EXPECT_TRUE(store.Folders.empty());
    EXPECT_TRUE(Opts.SavePasswordEnabled);
    EXPECT_EQ(Opts.PassWordName, "");

    LoadConfiguration(Ctx, DefaultPath, false);
    EXPECT_EQ(store.Folders, std::vector<std::string>{Home.Folder()});
    EXPECT_EQ(Opts.PassWordName, "zip secret");
    EXPECT_EQ(Opts.AdminPassWord, "admin secret");
    EXPECT_FALSE(Opts.SavePasswordEnabled);
}

TEST_F(ConfigurationTest, WindowPositionsComeOnlyFromTheDefaultFileAtStartUp)
{
    std::string text = "[Misc Options]\r\nCompile Date=x\r\nRevision Code=2\r\n"
                       "[Application Options]\r\nMainLeft=700\r\nMainTop=600\r\nReportLeft=9\r\n";
    Home.Write("Chosen.CFG", text);
    PutDefault(text);
    ASSERT_TRUE(LoadSettings(Ctx, Home.Path("Chosen.CFG"), SettingsLoad::ChosenFile));
    ASSERT_TRUE(LoadSettings(Ctx, DefaultPath, SettingsLoad::DefaultSettings));
    EXPECT_EQ(Opts.MainLeft, 50);
    EXPECT_EQ(Opts.ReportLeft, 50);
    EXPECT_EQ(Opts.RevisionCode, 0);

    LoadConfiguration(Ctx, DefaultPath, true);
    EXPECT_EQ(Opts.MainLeft, 700);
    EXPECT_EQ(Opts.MainTop, 600);
    EXPECT_EQ(Opts.ReportLeft, 9);
    EXPECT_EQ(Opts.RevisionCode, 2);
}

// ---- Numbers and forced options -----------------------------------------------------------

struct NumberRow
{
    std::string Name;
    std::string Section;
    std::string Key;
    std::string Text;
    int Options::*Field;
    int Expected;
};

class ConfigNumberTest : public ConfigurationTest, public ::testing::WithParamInterface<NumberRow>
{};

TEST_P(ConfigNumberTest, IntegerKeysReadHexAndFallBackToTheirDefault)
{
    const NumberRow& row = GetParam();
    PutDefault("[" + row.Section + "]\r\n" + row.Key + "=" + row.Text + "\r\n");
    LoadAll(Ctx, DefaultPath);
    EXPECT_EQ(Opts.*row.Field, row.Expected);
}

// clang-format off
const NumberRow NumberRows[] = {
    {"LogSizeHex",      "Report Options",      "LogSize",                     "0x1F", &Options::LogSize,                     31},
    {"DelayHex",        "File Options",        "DeleteUnmatchedWarningDelay", "0X1f", &Options::DeleteUnmatchedWarningDelay, 31},
    {"MainLeftHex",     "Application Options", "MainLeft",                    "0x1F", &Options::MainLeft,                    31},
    {"LogSizeText",     "Report Options",      "LogSize",                     "12k",  &Options::LogSize,                     32000},
    {"MainTopEmpty",    "Application Options", "MainTop",                     "",     &Options::MainTop,                     100},
    {"DelayNegative",   "File Options",        "DeleteUnmatchedWarningDelay", "-1",   &Options::DeleteUnmatchedWarningDelay, -1},
    {"SpeedOutOfRange", "Compression Options", "Compression Speed",           "3",    &Options::CompressionSpeed,            0},
    {"PageOutOfRange",  "Application Options", "ShowBottomMenu",              "5",    &Options::ShowBottomMenu,              0},
    {"PageLast",        "Application Options", "ShowBottomMenu",              "4",    &Options::ShowBottomMenu,              4},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Keys, ConfigNumberTest, ::testing::ValuesIn(NumberRows), ByName());

struct LogSizeRow
{
    std::string Name;
    int Limit;
    std::size_t LogBytes;
    bool Deleted;
};

class ConfigLogSizeTest : public ConfigurationTest, public ::testing::WithParamInterface<LogSizeRow>
{};

TEST_P(ConfigLogSizeTest, BothLogsAreDeletedOnlyWhenLongerThanTheLimit)
{
    const LogSizeRow& row = GetParam();
    // A run writes "my run.txt" as "my run.Log", so that is the file to trim.
    PutDefault("[Report Options]\r\nLogSize=" + std::to_string(row.Limit)
               + "\r\nLogFileName=my run.txt\r\nPreReportFileName=Pre.Log\r\n");
    Home.Write("my run.Log", std::string(row.LogBytes, 'x'));
    Home.Write("Pre.Log", std::string(row.LogBytes, 'y'));
    for (const char* never : {"Tandemix.Log", "TXError.LOG", "my run.txt"}) { // not configured, or no log
        Home.Write(never, std::string(row.LogBytes + 10, 'z'));
    }
    LoadConfiguration(Ctx, DefaultPath, true);
    EXPECT_EQ(fs::exists(Home.Path("my run.Log")), !row.Deleted);
    EXPECT_EQ(fs::exists(Home.Path("Pre.Log")), !row.Deleted);
    for (const char* never : {"Tandemix.Log", "TXError.LOG", "my run.txt"}) {
        EXPECT_TRUE(fs::exists(Home.Path(never))) << never;
    }
}

INSTANTIATE_TEST_SUITE_P(Limits,
                         ConfigLogSizeTest,
                         ::testing::Values(LogSizeRow{"ExactlyAtTheLimitStays", 100, 100, false},
                                           LogSizeRow{"BelowStays", 100, 99, false},
                                           LogSizeRow{"OneByteOverIsDeleted", 100, 101, true},
                                           LogSizeRow{"ZeroMeansNoLimit", 0, 5000, false},
                                           LogSizeRow{"NegativeMeansNoLimit", -1, 5000, false}),
                         ByName());

struct ReplicateRow
{
    std::string Name;
    bool StoredDelete;
    bool StoredReplicate;
    bool Replicate;
};

class ConfigReplicateTest : public ConfigurationTest, public ::testing::WithParamInterface<ReplicateRow>
{};

TEST_P(ConfigReplicateTest, ReplicationLoadsOnlyTogetherWithDeletion)
{
    const ReplicateRow& row = GetParam();
    SetReplicateFolders(Opts, true); // whatever the window had before
    PutDefault(std::string("[Report Options]\r\nUseReportForm=0\r\nListUnMatchedFiles=0\r\n")
               + "[File Options]\r\nDeleteUnmatched=" + (row.StoredDelete ? "1" : "0")
               + "\r\nReplicateFolders=" + (row.StoredReplicate ? "1" : "0") + "\r\n");
    LoadAll(Ctx, DefaultPath);
    EXPECT_EQ(Opts.DeleteUnmatched, row.StoredDelete);
    EXPECT_EQ(Opts.ReplicateFolders, row.Replicate);
    // Deletion works from the unmatched list, so loading it on builds that list.
    EXPECT_EQ(Opts.UseReportForm, row.StoredDelete);
    EXPECT_EQ(Opts.ListUnMatchedFiles, row.StoredDelete);
    EXPECT_TRUE(Host.Questions.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows,
                         ConfigReplicateTest,
                         ::testing::Values(ReplicateRow{"ReplicateWithoutDeleteIsOff", false, true, false},
                                           ReplicateRow{"BothOn", true, true, true},
                                           ReplicateRow{"DeleteOnly", true, false, false},
                                           ReplicateRow{"BothOff", false, false, false}),
                         ByName());
// ---- Files from elsewhere --------------------------------------------------------------------

// HandEditedSaved.CFG is what saving it gives: every value the load ended with, written cleanly.
TEST_F(ConfigurationTest, AHandEditedFileLoadsWithDefaultsWhereItIsUnreadable)
{
    fs::copy_file(DataFile("HandEdited.CFG"), DefaultPath);
    ASSERT_TRUE(IsConfigurationFile(DefaultPath));
    LoadAll(Ctx, DefaultPath);
    ASSERT_TRUE(SaveConfiguration(Ctx, Home.Path("Saved.CFG")).Saved);
    EXPECT_EQ(Home.Read("Saved.CFG"), DataText("HandEditedSaved.CFG"));
    EXPECT_EQ(Opts.RevisionCode, 0); // "abc"; a save always writes its own
    EXPECT_TRUE(Opts.ReplicateBypass());
}

struct OldDatesRow
{
    std::string Name;
    DateMode ModeBefore;
    bool Warned;
};

class ConfigOldDatesTest : public ConfigurationTest, public ::testing::WithParamInterface<OldDatesRow>
{};

TEST_P(ConfigOldDatesTest, TextDatesWarnOnlyWhileARangeIsInUse)
{
    Opts.DatesMode = GetParam().ModeBefore;
    if (GetParam().Warned) {
        Host.QueueAnswer(DialogResult::Ok);
    }
    LoadConfiguration(Ctx, DataFile("OldTextDates.CFG"), false);
    ASSERT_EQ(Host.Questions.size(), GetParam().Warned ? 1u : 0u);
    if (GetParam().Warned) {
        EXPECT_EQ(Host.Questions[0].Text,
                  "For compatibility reasons, dates are now being stored as integers in the INI file.\n\n"
                  "Updating To-From dates to: 1/1/80 and 3/15/24 respectively.\n\n"
                  "Please verify To-From dates being used in the File Options screen.");
        EXPECT_EQ(Host.Questions[0].Buttons, DialogButtons::Ok);
    }
    // Whatever was asked, the range becomes 1 January 1980 to today, and the file's mode holds.
    EXPECT_EQ(Opts.UseDateFrom, PackedTimeFloor);
    EXPECT_EQ(Opts.UseDateTo, TodayPacked(Now));
    EXPECT_EQ(Opts.DatesMode, DateMode::FromTo);
    EXPECT_EQ(Opts.DateFrom, PackedTimeFloor);
    EXPECT_EQ(Opts.DateTo, TodayPacked(Now));
}

INSTANTIATE_TEST_SUITE_P(Modes,
                         ConfigOldDatesTest,
                         ::testing::Values(OldDatesRow{"FromTo", DateMode::FromTo, true},
                                           OldDatesRow{"All", DateMode::All, false},
                                           OldDatesRow{"NoDays", DateMode::NoDays, false}),
                         ByName());

struct DateModeRow
{
    std::string Name;
    bool FromTo;
    bool NoDays;
    bool All;
    DateMode Mode;
    const char* From; // the range in force, after the stored 06/01/23 to 06/30/23
    const char* To;
};

class ConfigDateModeTest : public ConfigurationTest, public ::testing::WithParamInterface<DateModeRow>
{};

TEST_P(ConfigDateModeTest, TheLastDateButtonSetWinsAndNoneMeansAll)
{
    const DateModeRow& row = GetParam();
    PutDefault(std::string("[File Options]\r\nUseDatesFromTo=") + (row.FromTo ? "1" : "0")
               + "\r\nUseDatesNoDays=" + (row.NoDays ? "1" : "0") + "\r\nUseDatesAll=" + (row.All ? "1" : "0")
               + "\r\nPastDaysCount=2\r\nUseDateFrom=" + std::to_string(Day("06/01/23"))
               + "\r\nUseDateTo=" + std::to_string(Day("06/30/23")) + "\r\n");
    LoadConfiguration(Ctx, DefaultPath, true);
    EXPECT_EQ(Opts.DatesMode, row.Mode);
    EXPECT_EQ(Opts.TodayFrom, row.Mode == DateMode::FromTo);
    // The edits keep the stored dates whatever the mode.
    EXPECT_EQ(Opts.UseDateFrom, Day("06/01/23"));
    EXPECT_EQ(Opts.UseDateTo, Day("06/30/23"));
    EXPECT_EQ(Opts.DateFrom, Day(row.From));
    EXPECT_EQ(Opts.DateTo, Day(row.To));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Buttons, ConfigDateModeTest, ::testing::Values(
    DateModeRow{"FromTo", true, false, false, DateMode::FromTo, "06/01/23", "06/30/23"},
    DateModeRow{"NoDays", false, true, false, DateMode::NoDays, "03/13/24", "03/15/24"},
    DateModeRow{"All", false, false, true, DateMode::All, "01/01/80", "03/15/24"},
    DateModeRow{"AllWinsOverFromTo", true, false, true, DateMode::All, "01/01/80", "03/15/24"},
    DateModeRow{"NoDaysWinsOverFromTo", true, true, false, DateMode::NoDays, "03/13/24", "03/15/24"},
    DateModeRow{"NoneSet", false, false, false, DateMode::All, "01/01/80", "03/15/24"}),
    ByName());
// clang-format on

TEST_F(ConfigurationTest, IntegerDatesOfEveryFormLoadWithoutAWarning)
{
    Opts.DatesMode = DateMode::FromTo;
    // A date from 2044 on was written by older releases as a negative number.
    PutDefault("[File Options]\r\nUseDatesFromTo=1\r\nUseDatesAll=0\r\nUseDateFrom=0x2A210000\r\n"
               "UseDateTo=-2145320960\r\n");
    LoadConfiguration(Ctx, DefaultPath, true);
    EXPECT_TRUE(Host.Questions.empty());
    EXPECT_EQ(Opts.DateFrom, Day("01/01/01"));
    EXPECT_EQ(Opts.DateTo, Day("01/01/44"));
}

TEST_F(ConfigurationTest, LoadSettingsRefusesAFileWithoutCompileDate)
{
    fs::copy_file(DataFile("NoCompileDate.CFG"), Home.Path("Odd.CFG"));
    Host.QueueAnswer(DialogResult::Ok);
    EXPECT_FALSE(LoadSettings(Ctx, Home.Path("Odd.CFG"), SettingsLoad::ChosenFile));
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text, "Unrecognizable Configurtation File!");
    EXPECT_EQ(Host.Questions[0].Buttons, DialogButtons::Ok);
    EXPECT_FALSE(Opts.ShowHint);
    EXPECT_TRUE(Opts.SaveSettingsOnExit);

    // The command line's -C switch goes on with the options it has, without a word.
    EXPECT_FALSE(LoadSettings(Ctx, Home.Path("Odd.CFG"), SettingsLoad::ConfigSwitch));
    EXPECT_EQ(Host.Questions.size(), 1u);
    EXPECT_FALSE(Opts.ShowHint);
    EXPECT_FALSE(LoadSettings(Ctx, Home.Path("missing.CFG"), SettingsLoad::ConfigSwitch));
}

struct MarkerRow
{
    std::string Name;
    SettingsLoad How;
    int Marker;
};

class ConfigMarkerTest : public ConfigurationTest, public ::testing::WithParamInterface<MarkerRow>
{};

TEST_P(ConfigMarkerTest, TheLoadingMarkerIsSetWhileLoadingAndClearedAfter)
{
    PutDefault(
        "[Misc Options]\r\nCompile Date=July 23, 1997\r\n[Pro Options]\r\nReset File Archive Attrib=1\r\n");
    int seen = -1;
    Ctx.ReopenBatchList = [&](const std::string&) {
        seen = State.SourceFileListTag;
        return false;
    };
    State.SourceFileListTag = 0;
    ASSERT_TRUE(LoadSettings(Ctx, DefaultPath, GetParam().How));
    EXPECT_EQ(seen, GetParam().Marker);
    EXPECT_EQ(State.SourceFileListTag, 0);
    EXPECT_TRUE(Opts.CheckResetArchive); // the automation options came along
}

INSTANTIATE_TEST_SUITE_P(Requests,
                         ConfigMarkerTest,
                         ::testing::Values(MarkerRow{"Default", SettingsLoad::DefaultSettings, 2},
                                           MarkerRow{"Chosen", SettingsLoad::ChosenFile, 2},
                                           MarkerRow{"Switch", SettingsLoad::ConfigSwitch, 1}),
                         ByName());
} // namespace
} // namespace Tandemix::ConfigTest
