// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/StartUp.h"
#include "platform/FaultHook.h"
#include "platform/FileTimes.h"
#include "settings/ConfigLists.h"
#include "settings/Configuration.h"
#include "settings/DateRange.h"
#include "settings/OptionRules.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>

// What the configuration tests share: a private program folder, a fixed "today" and a window's
// options away from every default.
namespace Tandemix::ConfigTest {

namespace fs = std::filesystem;

// The hand-made inputs beside the tests: tests/data/config/.
inline std::string DataFile(const std::string& name)
{
    // From the build, not from __FILE__: a compiler cache may have made that path relative.
    return std::string(TANDEMIX_TEST_DATA_DIR) + "/config/" + name;
}

inline std::uint32_t Day(const char* masked)
{
    return ParseMaskedDate(masked).value();
}

using Tandemix::Test::ByName;
using Tandemix::Test::PrintTo;

class ConfigurationTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ClearFaults();
        EXPECT_TRUE(Host.Unexpected.empty()) << "unexpected question: " << Host.Unexpected.front().Text;
    }

    ConfigContext MakeContext(Options& opts)
    {
        return ConfigContext{
            .Opts = opts,
            .LoadingMarker = State.SourceFileListTag,
            .Tell = [this](std::string_view m) { State.GetHost().Ask(m, DialogButtons::Ok); },
            .ProgramFolder = Home.Folder(),
            .DefaultConfigPath = DefaultPath,
            .SourceFolder = "/srv/data",
            .TargetFolder = "/mnt/copy"};
    }

    // Every option set away from its default, in a combination the window could produce.
    Options CustomOptions() const
    {
        Options o;
        o.DisplayMessages = false;
        o.SaveSettingsOnExit = false;
        o.ShowHint = true;
        o.MenuAutoPopup = false;
        o.SortFileLists = true;
        o.IncludeString = "*.TXT";
        o.IncludeHistory = {{"*.DOC", "*.TXT", "*.*"}, 1};
        o.ExcludeString = ".BAK;";
        o.ExcludeHistory = {{".TMP;", "", ".BAK;"}, 2};
        o.CheckNormal = o.CheckArchive = o.CheckReadOnly = o.CheckSystem = o.CheckHidden = false;
        o.MinFileSize = "10";
        o.MaxFileSize = "5000";
        o.PastDaysCount = "7";
        o.UseDateFrom = o.DateFrom = Day("02/01/21");
        o.UseDateTo = o.DateTo = Day("03/31/22");
        o.DatesMode = DateMode::FromTo;
        o.TodayFrom = true;
        o.IncludeSubFolderOption = o.CreateSubFolderOption = o.UpdateFilesOption = o.AddFilesOption = false;
        o.IgnoreTargetSpace = true;
        o.CheckResetArchive = true;
        SetReplicateFolders(o, true);
        o.DeleteUnMatchPriorToSync = true;
        o.DeleteUnmatchedWarningDelay = 25;
        o.UseCompression = true;
        o.CompressExpand = 1;
        o.CompressionSpeed = 2;
        SetCompressedFileExt(o, "arc");
        o.UseLogFile = false;
        o.ReportEmptyFoldersCheck = o.ReportUpdateFilesCheck = o.ReportAddedFilesCheck = false;
        o.ReportFileDateCheck = o.ReportFileTimeCheck = o.ReportFileSizeCheck = false;
        o.ReportFileErrorsCheck = o.ReportAppErrorsCheck = o.ReportDirectoryCreationCheck = false;
        o.ReportLogOverwrite = o.ReportPreLogOverwrite = true;
        o.LogFileName = "Nightly.Log";
        o.PreReportFileName = "Check.Log";
        o.LogSize = 64000;
        o.MainLeft = o.HomeLeft = 300;
        o.MainTop = 40;
        o.ReportLeft = 500;
        o.ReportTop = 60;
        o.ShowTopMenu = 2;
        o.ShowBottomMenu = 4;
        o.ExpandOptionsDisplay = true;
        o.RecoverDelFilesFolder = Home.Path("Recovered/");
        o.PoleSecs = "45";
        o.RunSyncEveryMin = "30";
        o.RunSyncSched = true;
        o.MonitorSourceDriveCheck = true;
        o.BatchFileLoadList = {{"", "/jobs/a.SNC", "/jobs/b.SNC"}, 0};
        o.RecentFolders = {"/x >> /y", "/p >> /q", "", ""};
        return o;
    }

    void LoadAll(ConfigContext& ctx, const std::string& file, bool isStartUp = true)
    {
        LoadConfiguration(ctx, file, isStartUp);
        (void)LoadAutomationOptions(ctx, file);
    }

    void PutDefault(const std::string& text) const { Home.Write(DefaultName, text); }

    static inline std::time_t Now = Tandemix::Test::LocalTime(2024, 3, 15);
    static constexpr const char* DefaultName = "TXDef.CFG";
    ScopedClock FixedClock{[] {
        return Now;
    }};

    Tandemix::Test::TempHome Home;
    Tandemix::Test::ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    std::string DefaultPath = Home.Path(DefaultName);
    ConfigContext Ctx = MakeContext(Opts);
};

} // namespace Tandemix::ConfigTest
