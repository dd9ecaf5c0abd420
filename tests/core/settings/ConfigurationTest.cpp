// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Configuration.h"

#include "platform/FaultHook.h"
#include "platform/FileTimes.h"
#include "settings/ConfigLists.h"
#include "settings/DateRange.h"
#include "settings/IniFile.h"
#include "settings/OptionRules.h"
#include "support/CoreBundle.h"
#include "support/TempHome.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Tandemix {
namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;

// The hand-made inputs beside the tests: tests/data/config/.
std::string DataFile(const std::string& name)
{
    // From the build, not from __FILE__: a compiler cache may have made that path relative.
    return std::string(TANDEMIX_TEST_DATA_DIR) + "/config/" + name;
}

std::string DataText(const std::string& name)
{
    std::ifstream in(DataFile(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Day(const char* masked)
{
    return ParseMaskedDate(masked).value();
}

const char* Bit(bool on)
{
    return on ? "1" : "0";
}

// A private program folder, a fixed "today" and a window's options.
class ConfigurationTest : public ::testing::Test, public Tandemix::Test::CoreBundle
{
protected:
    void TearDown() override
    {
        ClearFaults();
        // Every test's check that nothing was asked beyond the answers it queued.
        EXPECT_TRUE(Host.Unexpected.empty()) << "unexpected question: " << Host.Unexpected.front().Text;
    }

    void LoadAll(const std::string& file, bool isStartUp = true)
    {
        LoadConfiguration(Cfg, file, isStartUp);
        (void)LoadAutomationOptions(Cfg, file);
    }

    void PutDefault(const std::string& text) const { Home.Write(DefaultName, text); }
    // A window fresh from start-up, for each row of a table.
    void Fresh()
    {
        Opts = Options{};
        Host.Questions.clear();
    }

    static inline std::time_t Today = Tandemix::Test::LocalTime(2024, 3, 15);
    static constexpr const char* DefaultName = "TXDef.CFG";
    ScopedClock FixedClock{[] {
        return Today;
    }};

    Tandemix::Test::TempHome Home;
    std::string DefaultPath = Home.Path(DefaultName);
    ConfigContext Cfg{.Opts = Opts,
                      .LoadingMarker = State.SourceFileListTag,
                      .Tell = [this](std::string_view m) { State.GetHost().Ask(m, DialogButtons::Ok); },
                      .ProgramFolder = Home.Folder(),
                      .DefaultConfigPath = DefaultPath,
                      .SourceFolder = "/srv/data",
                      .TargetFolder = "/mnt/copy"};
};

// ---- Start-up and defaults ----------------------------------------------------------------

// The start-up copies it into place (StartUpTest); what it holds must load.
TEST_F(ConfigurationTest, ThePreviousReleasesFileLoads)
{
    fs::copy_file(DataFile("TX35Def.CFG"), DefaultPath);
    LoadAll(DefaultPath);

    EXPECT_EQ(std::tuple(Opts.MainLeft, Opts.HomeLeft, Opts.LogFileName), std::tuple(120, 120, "Old.Log"));
    EXPECT_EQ(Opts.ExcludeHistory.Items, (Items{".BAK;.TMP;", ""}));
    EXPECT_EQ(Opts.RecentFolders[0], "/home/ann/letters >> /media/backup/letters");
}

TEST_F(ConfigurationTest, PasswordsAndWindowPositionsComeOnlyWithTheDefaultFile)
{
    struct FakePasswords : PasswordStore
    {
        std::optional<std::pair<std::string, std::string>> ReadPasswords(const std::string& folder) override
        {
            Folders.push_back(folder);
            return std::make_pair(std::string("zip secret"), std::string("admin secret"));
        }
        Items Folders;
    } store;
    Cfg.Passwords = &store;
    Home.Write("Other.CFG", "[Misc Options]\r\nCompile Date=July 23, 1997\r\n");
    Opts.SavePasswordEnabled = true;
    LoadConfiguration(Cfg, Home.Path("Other.CFG"), false);
    EXPECT_TRUE(store.Folders.empty());
    EXPECT_EQ(std::tuple(Opts.SavePasswordEnabled, Opts.PassWordName), std::tuple(true, ""));

    LoadConfiguration(Cfg, DefaultPath, false);
    EXPECT_EQ(store.Folders, Items{Home.Folder()});
    EXPECT_EQ(std::tuple(Opts.PassWordName, Opts.AdminPassWord, Opts.SavePasswordEnabled),
              std::tuple("zip secret", "admin secret", false));

    // Window positions come only from the default file, and only at start-up.
    Fresh();
    std::string text = "[Misc Options]\r\nCompile Date=x\r\nRevision Code=2\r\n"
                       "[Application Options]\r\nMainLeft=700\r\nMainTop=600\r\nReportLeft=9\r\n";
    Home.Write("Chosen.CFG", text);
    PutDefault(text);
    ASSERT_TRUE(LoadSettings(Cfg, Home.Path("Chosen.CFG"), SettingsLoad::ChosenFile));
    ASSERT_TRUE(LoadSettings(Cfg, DefaultPath, SettingsLoad::DefaultSettings));
    auto positions = [this] {
        return std::tuple(Opts.MainLeft, Opts.MainTop, Opts.ReportLeft, Opts.RevisionCode);
    };
    EXPECT_EQ(positions(), std::tuple(50, 100, 50, 0));
    LoadConfiguration(Cfg, DefaultPath, true);
    EXPECT_EQ(positions(), std::tuple(700, 600, 9, 2));
}

// ---- Numbers and forced options -----------------------------------------------------------

// Hex and unreadable numbers are the hand-edited file's, the highest choices the custom file's.
TEST_F(ConfigurationTest, AChoicePastTheLastFallsBackAndReplicationLoadsOnlyWithDeletion)
{
    for (auto [section, key, field] :
         {std::tuple{"Compression Options", "Compression Speed=3", &Options::CompressionSpeed},
          {"Application Options", "ShowBottomMenu=5", &Options::ShowBottomMenu}}) {
        SCOPED_TRACE(key);
        PutDefault(std::string("[") + section + "]\r\n" + key + "\r\n");
        LoadAll(DefaultPath);
        EXPECT_EQ(Opts.*field, 0);
    }

    // Replication loads only with deletion: stored deletion, stored replication, the outcome.
    for (auto [del, rep, replicate] :
         {std::tuple{false, true, false}, {true, true, true}, {true, false, false}, {false, false, false}}) {
        SCOPED_TRACE(std::string(Bit(del)) + Bit(rep));
        SetReplicateFolders(Opts, true); // whatever the window had before
        PutDefault(std::string("[Report Options]\r\nUseReportForm=0\r\nListUnMatchedFiles=0\r\n")
                   + "[File Options]\r\nDeleteUnmatched=" + Bit(del) + "\r\nReplicateFolders=" + Bit(rep)
                   + "\r\n");
        LoadAll(DefaultPath);
        EXPECT_EQ(std::tuple(Opts.DeleteUnmatched, Opts.ReplicateFolders), std::tuple(del, replicate));
        // Deletion works from the unmatched list, so loading it on builds that list.
        EXPECT_EQ(std::tuple(Opts.UseReportForm, Opts.ListUnMatchedFiles), std::tuple(del, del));
    }
}

TEST_F(ConfigurationTest, BothLogsAreDeletedOnlyWhenLongerThanTheLimit)
{
    const char* const never[] = {"Tandemix.Log", "TXError.LOG", "my run.txt"}; // not configured, or no log
    // clang-format off
    const struct { int Limit; std::size_t LogBytes; bool Deleted; } rows[] = {
        {100, 100, false}, {100, 99, false}, {100, 101, true}, {0, 5000, false}, {-1, 5000, false}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.Limit) + " " + std::to_string(row.LogBytes));
        // A run writes "my run.txt" as "my run.Log", so that is the file to trim.
        PutDefault("[Report Options]\r\nLogSize=" + std::to_string(row.Limit)
                   + "\r\nLogFileName=my run.txt\r\nPreReportFileName=Pre.Log\r\n");
        Home.Write("my run.Log", std::string(row.LogBytes, 'x'));
        Home.Write("Pre.Log", std::string(row.LogBytes, 'y'));
        for (const char* name : never) {
            Home.Write(name, std::string(row.LogBytes + 10, 'z'));
        }
        Items told;
        Cfg.LogTrimmed = [&told](const TrimmedLog& log) {
            told.push_back(log.Name + " " + std::to_string(log.Size));
        };
        LoadConfiguration(Cfg, DefaultPath, true);
        // Each deletion is told with the size the log had reached, so the window can explain it.
        const std::string size = std::to_string(row.LogBytes);
        std::sort(told.begin(), told.end()); // the folder's order
        EXPECT_EQ(told, (row.Deleted ? Items{"Pre.Log " + size, "my run.Log " + size} : Items{}));
        EXPECT_EQ(fs::exists(Home.Path("my run.Log")), !row.Deleted);
        EXPECT_EQ(fs::exists(Home.Path("Pre.Log")), !row.Deleted);
        for (const char* name : never) {
            EXPECT_TRUE(fs::exists(Home.Path(name))) << name;
        }
    }
}

// ---- Files from elsewhere --------------------------------------------------------------------

// HandEditedSaved.CFG is what saving it gives: every value the load ended with, written cleanly.
TEST_F(ConfigurationTest, AHandEditedFileLoadsWithDefaultsWhereItIsUnreadable)
{
    fs::copy_file(DataFile("HandEdited.CFG"), DefaultPath);
    ASSERT_TRUE(IsConfigurationFile(DefaultPath));
    LoadAll(DefaultPath);
    ASSERT_TRUE(SaveConfiguration(Cfg, Home.Path("Saved.CFG")).Saved);
    EXPECT_EQ(Home.Read("Saved.CFG"), DataText("HandEditedSaved.CFG"));
    EXPECT_EQ(Opts.RevisionCode, 0); // "abc"; a save always writes its own
}

TEST_F(ConfigurationTest, TextDatesWarnOnlyWhileARangeIsInUseIntegerDatesNever)
{
    for (auto [mode, warned] :
         {std::pair{DateMode::FromTo, true}, {DateMode::All, false}, {DateMode::NoDays, false}}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Fresh();
        Opts.DatesMode = mode;
        if (warned) {
            Host.QueueAnswer(DialogResult::Ok);
        }
        LoadConfiguration(Cfg, DataFile("OldTextDates.CFG"), false);
        EXPECT_EQ(
            Host.LastQuestion(),
            warned ? "For compatibility reasons, dates are now being stored as integers in the INI file.\n\n"
                     "Updating To-From dates to: 1/1/80 and 3/15/24 respectively.\n\n"
                     "Please verify To-From dates being used in the File Options screen."
                   : "");
        // Whatever was asked, the range becomes 1 January 1980 to today, and the file's mode holds.
        const std::uint32_t today = TodayPacked(Today);
        EXPECT_EQ(std::tuple(Opts.UseDateFrom, Opts.UseDateTo, Opts.DatesMode, Opts.DateFrom, Opts.DateTo),
                  std::tuple(PackedTimeFloor, today, DateMode::FromTo, PackedTimeFloor, today));
    }

    // Integer dates of every form load without a warning.
    Fresh();
    Opts.DatesMode = DateMode::FromTo;
    // A date from 2044 on was written by older releases as a negative number.
    PutDefault("[File Options]\r\nUseDatesFromTo=1\r\nUseDatesAll=0\r\nUseDateFrom=0x2A210000\r\n"
               "UseDateTo=-2145320960\r\n");
    LoadConfiguration(Cfg, DefaultPath, true);
    EXPECT_EQ(std::tuple(Opts.DateFrom, Opts.DateTo), std::tuple(Day("01/01/01"), Day("01/01/44")));
}

TEST_F(ConfigurationTest, TheLastDateButtonSetWinsAndNoneMeansAll)
{
    // The buttons stored, the mode and the range in force after the stored 06/01/23 to 06/30/23.
    // clang-format off
    const struct { bool FromTo, NoDays, All; DateMode Mode; const char *From, *To; } rows[] = {
        {true,  false, false, DateMode::FromTo, "06/01/23", "06/30/23"},
        {false, true,  false, DateMode::NoDays, "03/13/24", "03/15/24"},
        {false, false, true,  DateMode::All,    "01/01/80", "03/15/24"},
        {true,  false, true,  DateMode::All,    "01/01/80", "03/15/24"},
        {true,  true,  false, DateMode::NoDays, "03/13/24", "03/15/24"},
        {false, false, false, DateMode::All,    "01/01/80", "03/15/24"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(Bit(row.FromTo)) + Bit(row.NoDays) + Bit(row.All));
        Fresh();
        PutDefault(std::string("[File Options]\r\nUseDatesFromTo=") + Bit(row.FromTo)
                   + "\r\nUseDatesNoDays=" + Bit(row.NoDays) + "\r\nUseDatesAll=" + Bit(row.All)
                   + "\r\nPastDaysCount=2\r\nUseDateFrom=" + std::to_string(Day("06/01/23"))
                   + "\r\nUseDateTo=" + std::to_string(Day("06/30/23")) + "\r\n");
        LoadConfiguration(Cfg, DefaultPath, true);
        EXPECT_EQ(std::tuple(Opts.DatesMode, Opts.TodayFrom),
                  std::tuple(row.Mode, row.Mode == DateMode::FromTo));
        // The edits keep the stored dates whatever the mode.
        EXPECT_EQ(std::tuple(Opts.UseDateFrom, Opts.UseDateTo, Opts.DateFrom, Opts.DateTo),
                  std::tuple(Day("06/01/23"), Day("06/30/23"), Day(row.From), Day(row.To)));
    }
}

TEST_F(ConfigurationTest, LoadSettingsRefusesAFileWithoutCompileDateAndMarksTheLoad)
{
    fs::copy_file(DataFile("NoCompileDate.CFG"), Home.Path("Odd.CFG"));
    Host.QueueAnswer(DialogResult::Ok);
    EXPECT_FALSE(LoadSettings(Cfg, Home.Path("Odd.CFG"), SettingsLoad::ChosenFile));
    EXPECT_EQ(Host.LastQuestion(), "Unrecognizable Configurtation File!");
    EXPECT_EQ(std::tuple(Opts.ShowHint, Opts.SaveSettingsOnExit), std::tuple(false, true));

    // The command line's -C switch goes on with the options it has, without a word.
    EXPECT_FALSE(LoadSettings(Cfg, Home.Path("Odd.CFG"), SettingsLoad::ConfigSwitch));
    EXPECT_FALSE(Opts.ShowHint);

    // The loading marker is set while loading and cleared after.
    PutDefault(
        "[Misc Options]\r\nCompile Date=July 23, 1997\r\n[Pro Options]\r\nReset File Archive Attrib=1\r\n");
    int seen = -1;
    Cfg.ReopenBatchList = [&](const std::string&) {
        seen = State.SourceFileListTag;
        return false;
    };
    for (auto [how, marker] : {std::pair{SettingsLoad::DefaultSettings, 2},
                               {SettingsLoad::ChosenFile, 2},
                               {SettingsLoad::ConfigSwitch, 1}}) {
        SCOPED_TRACE(marker);
        Fresh();
        State.SourceFileListTag = 0;
        ASSERT_TRUE(LoadSettings(Cfg, DefaultPath, how));
        EXPECT_EQ(std::tuple(seen, State.SourceFileListTag), std::tuple(marker, 0));
        EXPECT_TRUE(Opts.CheckResetArchive); // the automation options came along
    }
}

// ---- Saving ---------------------------------------------------------------------------------

// Defaults.CFG is what a window left at every default saves: every key, in its order, with its
// value. A load that dropped or misread a key, or a save that wrote one wrongly, changes the bytes.
// A load without a file then takes every option back to its default.
TEST_F(ConfigurationTest, SaveWritesEveryKeyInItsOrderEveryOptionLoadsBackAndWithoutAFileTakesItsDefault)
{
    ASSERT_TRUE(SaveConfiguration(Cfg, DefaultPath).Saved);
    EXPECT_EQ(Home.Read(DefaultName), DataText("Defaults.CFG"));
    // Custom.CFG: every option away from its default, in a combination the window could
    // produce, saved as this program saves it; its recovery folder lies in the program folder.
    std::string text = DataText("Custom.CFG");
    text.replace(text.find("@HOME@"), 6, Home.Folder());
    PutDefault(text);
    LoadAll(DefaultPath);
    ASSERT_TRUE(SaveConfiguration(Cfg, Home.Path("Again.CFG")).Saved);
    EXPECT_EQ(Home.Read("Again.CFG"), text);
    // Values derived while loading.
    EXPECT_EQ(std::tuple(Opts.ReplicateBypass(), Opts.MonitorSourceDriveCheckTag, Opts.CompressedExt),
              std::tuple(true, -33, ".arc"));
    EXPECT_TRUE(fs::is_directory(Home.Path("Recovered")));

    fs::remove(DefaultPath);
    Opts.MonitorSourceDriveCheckTag = -1; // an armed monitor is not disarmed by a load
    LoadAll(DefaultPath);
    Options expected;
    // The range's end is today's date where a default Options leaves it open.
    expected.UseDateTo = expected.DateTo = TodayPacked(Today);
    EXPECT_EQ(Opts, expected);
}

// What is in force is saved: the range the labels show, a monitor that runs or is armed to
// start (tag -33), the extension a run uses and where the window could be seen.
TEST_F(ConfigurationTest, SaveWritesWhatIsInForce)
{
    SetCompressedFileExt(Opts, "");
    Opts.UseDateFrom = Day("05/05/21"); // typed, not applied
    Opts.DateFrom = Day("01/02/20");
    Opts.HomeLeft = 80;
    Cfg.ScreenWidth = 1920;
    // The window's left edge, the edge saved, the monitor and its tag.
    for (auto [left, savedLeft, monitor, tag] :
         {std::tuple{1920 + 500, 80, true, 0}, {1900, 1900, false, -33}, {0, 0, false, 0}}) {
        Opts.MainLeft = left;
        Opts.MonitorSourceDriveCheck = monitor;
        Opts.MonitorSourceDriveCheckTag = tag;
        ASSERT_TRUE(SaveConfiguration(Cfg, DefaultPath).Saved);
        IniFile ini(DefaultPath);
        EXPECT_EQ(ini.ReadInteger("Application Options", "MainLeft", -1), savedLeft);
        EXPECT_EQ(ini.ReadBool("Pro Options", "Real-Time Monitoring", false), monitor || tag != 0);
        EXPECT_EQ(ini.ReadInteger("File Options", "UseDateFrom", 0), static_cast<int>(Day("01/02/20")));
    }
    EXPECT_EQ(IniFile(DefaultPath).ReadString("Compression Options", "CompressedFileExt", "?"), "ZIP");
    EXPECT_EQ(Opts.CompressedExt, ".ZIP");
}

// How the old file stays whole is the INI file's and the atomic write's (IniFileTest).
TEST_F(ConfigurationTest, AFailedWriteReportsTheFile)
{
    std::string path = Home.Path("Fault.CFG");
    ScopedFault fault({.Op = FaultOp::Write, .Error = ENOSPC, .PathContains = "Fault.CFG"});
    SaveResult result = SaveConfiguration(Cfg, path);
    EXPECT_EQ(std::tuple(result.Saved, result.Error), std::tuple(false, "Unable to write to " + path));
}

// ---- Lists ----------------------------------------------------------------------------------

class ConfigListsTest : public ConfigurationTest
{
protected:
    Items Section(std::string_view name) const { return IniFile(Path).ReadSectionValues(name); }

    std::string Path = Home.Path("Lists.CFG");
    IniFile Ini{Path};
};

TEST_F(ConfigListsTest, TheEmptyExcludeMaskIsABlankKeyAlwaysThereAndTheSelectedMaskComesFirst)
{
    // An empty list is the default file's "0=_BLANK_". The masks keep their positions, with the
    // selected one first.
    SelectableList list{{".A;", "", ".B;"}, 2};
    WriteExcludeList(Ini, list);
    EXPECT_EQ(Section(ExcludeListSection), (Items{"0=.B;", "1=.A;", "2=_BLANK_"}));
    EXPECT_EQ(list, (SelectableList{{".B;", ".A;", ""}, 0}));
    // A selection past the end (a list that shrank under it) moves nothing.
    list = SelectableList{{".A;", ".B;", ""}, 3};
    WriteExcludeList(Ini, list);
    EXPECT_EQ(list.Items, (Items{".A;", ".B;", ""}));

    // A list without the empty mask gets one at the end.
    // No "=" before the marker: "old_BLANK_" is a mask.
    Home.Write("Lists.CFG", "[Exclude File List]\r\n0=.X;\r\n7=old_BLANK_\r\n8==y\r\n");
    EXPECT_EQ(ReadExcludeList(Ini).Items, (Items{".X;", "old_BLANK_", "=y", ""}));
    Ini.WriteString(ExcludeListSection, "9", "_BLANK_ with text"); // the marker counts wherever it is
    EXPECT_EQ(ReadExcludeList(Ini).Items, (Items{".X;", "old_BLANK_", "=y", ""}));
}

TEST_F(ConfigListsTest, IncludeMasksAreNumberedFromOneSkippingEmptyOnes)
{
    SelectableList list{{"*.DOC", "", "*.TXT"}, 2};
    WriteIncludeList(Ini, list);
    EXPECT_EQ(Section(IncludeListSection), (Items{"1=*.TXT", "2=*.DOC"}));

    EXPECT_EQ(ReadIncludeList(Ini), (SelectableList{{"*.TXT", "*.DOC", "*.*"}, 0}));

    // Rewriting drops entries no longer in the list; "*.*" is added only when missing.
    SelectableList one{{"*.*"}, 0};
    WriteIncludeList(Ini, one);
    EXPECT_EQ(Section(IncludeListSection), Items{"1=*.*"});
    Ini.WriteString(IncludeListSection, "2", "*.C");
    EXPECT_EQ(ReadIncludeList(Ini).Items, (Items{"*.*", "*.C"}));
}

// Positions are kept, so empty entries leave gaps; after a load the box shows the empty entry
// unless a list was reopened. The loaded exclude text rebuilds the exclusion list.
TEST_F(ConfigListsTest, BatchFilesKeepTheirPositionsAndTheEmptyEntryIsShownAfterALoad)
{
    SelectableList list{{"/jobs/a.SNC", "", "/jobs/b.SNC"}, -1};
    WriteBatchFileList(Ini, list);
    Ini.WriteString(ExcludeListSection, "0", ".OBJ;");
    EXPECT_EQ(Section(BatchListSection), (Items{"0=/jobs/a.SNC", "2=/jobs/b.SNC"}));
    SelectableList shorter{{"/jobs/c.SNC"}, -1};
    WriteBatchFileList(Ini, shorter);
    EXPECT_EQ(Section(BatchListSection), Items{"0=/jobs/c.SNC"}) << "no entry of the longer list left";
    WriteBatchFileList(Ini, list);
    Items excludes;
    Cfg.ExcludeStringChanged = [&] {
        excludes.push_back(Opts.ExcludeString);
    };
    LoadConfiguration(Cfg, Path, false);
    EXPECT_EQ(Opts.BatchFileLoadList, (SelectableList{{"/jobs/a.SNC", "/jobs/b.SNC", ""}, 2}));
    EXPECT_EQ(excludes, Items{".OBJ;"});

    Items reopened;
    Cfg.ReopenBatchList = [&](const std::string& file) {
        reopened.push_back(file);
        return true;
    };
    LoadConfiguration(Cfg, Path, false);
    EXPECT_EQ(std::tuple(reopened, Opts.BatchFileLoadList.ItemIndex), std::tuple(Items{"/jobs/a.SNC"}, 0));
}

TEST_F(ConfigListsTest, ASavedPairComesFirstOnceAndPairsLoadIntoTheirPlaces)
{
    // The order itself is RememberRecentPair's; here: the pair saved, empty entries left out.
    Opts.RecentFolders = {"/a >> /b", "/c >> /d", "", ""};
    Cfg.SourceFolder = "/c";
    Cfg.TargetFolder = "/d";
    ASSERT_TRUE(SaveConfiguration(Cfg, Path).Saved);
    EXPECT_EQ(Section(RecentListSection), (Items{"Recent Folder1=/c >> /d", "Recent Folder2=/a >> /b"}));
    EXPECT_EQ(Opts.RecentFolders, (RecentFolderList{"/c >> /d", "/a >> /b", "", ""}));

    // Pairs load into their places, and empty ones stay hidden.
    Home.Write("Lists.CFG",
               "[Recent Folder List]\r\nRecent Folder1=/a >> /b\r\nRecent Folder3=/e >> /f\r\n"
               "Recent Folder5=/never >> /shown\r\n");
    EXPECT_EQ(ReadRecentFolders(Ini), (RecentFolderList{"/a >> /b", "", "/e >> /f", ""}));
}

TEST(RememberRecentPairTest, PutsThePairFirstWithoutDuplicates)
{
    // clang-format off
    const struct { const char* Name; RecentFolderList Before; const char* Pair; RecentFolderList After; } rows[] = {
        {"IntoEmpty", {"", "", "", ""}, "/s >> /t", {"/s >> /t", "", "", ""}},
        {"New", {"A", "B", "", ""}, "N", {"N", "A", "B", ""}},
        {"NewIntoFull", {"A", "B", "C", "D"}, "N", {"N", "A", "B", "C"}},
        // A listed pair trades places with the first; the others stay where they are.
        {"ThirdSwapsWithFirst", {"A", "B", "C", "D"}, "C", {"C", "B", "A", "D"}},
        // A gap left by a hand-edited file moves down with the rest.
        {"GapMovesDown", {"A", "", "C", ""}, "N", {"N", "A", "", "C"}},
        {"AlreadyFirst", {"A", "B", "", ""}, "A", {"A", "B", "", ""}},
        // Folder names are matched without regard to case, and the new spelling wins.
        {"CaseIgnored", {"/x >> /y", "/S >> /T", "", ""}, "/s >> /t", {"/s >> /t", "/x >> /y", "", ""}},
    };
    // clang-format on
    for (const auto& row : rows) {
        RecentFolderList recent = row.Before;
        RememberRecentPair(recent, row.Pair);
        EXPECT_EQ(recent, row.After) << row.Name;
    }
}

// ---- Rules between options ------------------------------------------------------------------

TEST(DeleteUnmatchedRule, OnBuildsTheListTheDeletionNeedsOffEndsPreDeleteAndReplication)
{
    Options opts;
    opts.UseReportForm = false;
    opts.ListUnMatchedFiles = false;
    // Deletion, replication, deletion before the run, replication's bypass, the report, its
    // unmatched list.
    auto state = [&opts] {
        return std::tuple(opts.DeleteUnmatched,
                          opts.ReplicateFolders,
                          opts.DeleteUnMatchPriorToSync,
                          opts.ReplicateBypass(),
                          opts.UseReportForm,
                          opts.ListUnMatchedFiles);
    };
    // A file saying "on" with reporting off, deletion being on already, is the load's case
    // (AChoicePastTheLastFallsBackAndReplicationLoadsOnlyWithDeletion).
    SetDeleteUnmatched(opts, true);
    EXPECT_EQ(state(), std::tuple(true, false, false, false, true, true));
    SetReplicateFolders(opts, true);
    opts.DeleteUnMatchPriorToSync = true;
    SetDeleteUnmatched(opts, false);
    EXPECT_EQ(state(), std::tuple(false, false, false, false, true, true)) << "reporting stays";
    // Replication on switches deletion on; off leaves it alone.
    opts.ListUnMatchedFiles = false;
    SetReplicateFolders(opts, true);
    EXPECT_EQ(state(), std::tuple(true, true, false, true, true, true));
    SetReplicateFolders(opts, false);
    EXPECT_EQ(state(), std::tuple(true, false, false, false, true, true));
}

// The schedule (minutes) and polling (seconds) follow the same rule, and exclude each other.
// clang-format off
struct Trigger { const char* Name; bool (*Set)(Options&, bool); bool Options::*On; std::string Options::*Text; bool Options::*Other; };
const Trigger Triggers[] = {
    {"Schedule", SetRunSyncSched, &Options::RunSyncSched, &Options::RunSyncEveryMin, &Options::PoleEvery},
    {"Polling",  SetPoleEvery,    &Options::PoleEvery,    &Options::PoleSecs,        &Options::RunSyncSched}};
// clang-format on

TEST(TriggerIntervalTest, TakesOnlyAWholeNumberOfAtLeastOneToSwitchOn)
{
    // clang-format off
    for (auto [text, accepted] : {std::pair{"1", true}, {"90", true}, {" 15 ", true}, {"0", false}, {"-5", false},
                                  {"1.5", false}, {"ten", false}, {"", false}, {"99999999999", false}}) {
        // clang-format on
        for (const Trigger& trigger : Triggers) {
            SCOPED_TRACE(std::string(trigger.Name) + " '" + text + "'");
            Options opts;
            opts.*trigger.Other = true;
            opts.*trigger.Text = text;
            EXPECT_EQ(trigger.Set(opts, true), accepted);
            EXPECT_EQ(opts.*trigger.On, accepted);
            EXPECT_EQ(opts.*trigger.Text, accepted ? text : "0");
            // A refused trigger leaves the other as it was; an armed one ends it.
            EXPECT_EQ(opts.*trigger.Other, !accepted);
            // Switching off never fails and keeps whatever text there is.
            opts.*trigger.Text = text;
            opts.*trigger.On = true;
            EXPECT_TRUE(trigger.Set(opts, false));
            EXPECT_EQ(std::tuple(opts.*trigger.On, opts.*trigger.Text), std::tuple(false, text));
        }
    }
}

TEST(CompressedExtTest, GetsOneLeadingDotAndAtMostTenCharacters)
{
    // Characters, not bytes: eleven two-byte letters are cut to nine after the dot.
    // clang-format off
    for (auto [typed, ext] : {std::pair{"zip", ".zip"}, {".Z", ".Z"}, {"abcdefghijk", ".abcdefghi"},
                              {".abcdefghijkl", ".abcdefghi"}, {".123456789", ".123456789"}, {"", "."},
                              {"ééééééééééé", ".ééééééééé"}}) {
        // clang-format on
        EXPECT_EQ(CompressedExtFor(typed), ext);
        Options opts;
        SetCompressedFileExt(opts, typed);
        EXPECT_EQ(opts.CompressedFileExt, typed); // the edit keeps what was typed
        EXPECT_EQ(opts.CompressedExt, ext);
    }
}

} // namespace
} // namespace Tandemix
