// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ProgramReporter.h"

#include "engine/RunDriver.h"
#include "platform/WallClock.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

namespace Tandemix {
namespace {

using Test::ScriptedHost;

// 7/23/97 10:15:02 AM in local time, whatever the machine's zone.
std::time_t FixedNow()
{
    return Test::LocalTime(1997, 7, 23, 10, 15, 2);
}

DeltaRow Decided(const std::string& name, std::int64_t size, const std::string& date, const std::string& time)
{
    DeltaRow row;
    row.FileName = name;
    row.Size = size;
    row.DateText = date;
    row.TimeText = time;
    row.Reason = "No Match";
    return row;
}

class ProgramReporterTest : public testing::Test
{
protected:
    std::string LogText() const { return Home.Read("Tandemix.Log"); }
    // An added file as the copy files it.
    void Added(std::string_view name)
    {
        Seam.AddReportEntry({.Name = name,
                             .Path = "/d/",
                             .SizeText = "5",
                             .Detail = "1/5/98 9:05:03 AM",
                             .Kind = "Add",
                             .Category = ReportCategory::Added});
    }

    Tandemix::Test::TempHome Home;
    ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    EngineState Engine;
    ScopedClock Clock{FixedNow};
    ProgramReporter Program{Opts, State, Engine, Home.Folder()};
    Reporter& Seam = Program; // what the engine sees
};

TEST_F(ProgramReporterTest, LogTakesTheRunsRowTheOptionsOfTheMomentAndTheStopRequest)
{
    Engine.Delta.Rows.push_back(Decided("a.txt", 1, "1/1/97", "1:00:00 AM"));
    Engine.Delta.Rows.push_back(Decided("notes.txt", 1234, "7/22/97", "10:01:44 AM"));
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    Engine.Delta.CurrentRow = 1;
    Seam.WriteLogFile("  Added: notes.txt ", LogKind::AddedFile);
    Engine.Delta.CurrentRow = -1; // between rows: the cells are empty
    Seam.WriteLogFile("Updated: x", LogKind::UpdatedFile);
    Engine.Delta.CurrentRow = 1;
    Opts.ReportFileSizeCheck = false;
    Opts.ReportFileDateCheck = false;
    Seam.WriteLogFile("  Added: again ", LogKind::AddedFile);
    State.OperationState = static_cast<int>(OperationStates::Confirmed);
    Seam.WriteLogFile("", LogKind::CloseSyncLog);
    Opts.UseLogFile = false;
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    Seam.WriteLogFile("not while the log is off", LogKind::Summary);

    EXPECT_NE(LogText().find("  Added: notes.txt \t\t     1234\t  7/22/97\t 10:01:44 AM\r\n"
                             "Updated: x     \t\t         \t         \t            \r\n"
                             "  Added: again \t\t 10:01:44 AM\r\n"
                             "Synchronization Stopped: 7/23/97 10:15:02 AM\r\n"),
              std::string::npos)
        << LogText();
    EXPECT_EQ(LogText().find("not while the log is off"), std::string::npos);
}

TEST_F(ProgramReporterTest, OptionsShowTheNamesTheLogsWereOpenedUnder)
{
    Opts.LogFileName = "nightly.txt";
    Opts.PreReportFileName = "";
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    Seam.WriteLogFile("", LogKind::OpenPreSyncLog);
    EXPECT_EQ(Opts.LogFileName, "nightly.Log");
    EXPECT_EQ(Opts.PreReportFileName, "PreSync.Log");
    EXPECT_TRUE(std::filesystem::exists(Home.Path("nightly.Log")));

    Opts.UseLogFile = false;
    Opts.LogFileName = "other.txt";
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    EXPECT_EQ(Opts.LogFileName, "other.txt"); // nothing was opened
}

TEST_F(ProgramReporterTest, ReportSwitchesComeFromRunStateAndOptionsAndListingsRestartTheCounter)
{
    Added("a.txt");
    EXPECT_TRUE(Program.Lists().List(ReportCategory::Added).Empty()); // no run going on

    State.SyncActive = true;
    Opts.ListUnMatchedFiles = true;
    Opts.UseCompression = true;
    auto unmatched = [&](std::string_view name) {
        Seam.AddReportEntry({.Name = name,
                             .Path = "/d/",
                             .SizeText = "1",
                             .Kind = "UnMatched Files",
                             .Category = ReportCategory::UnMatched});
    };
    Added("a.txt");
    Seam.BeginListing();
    unmatched("A1");
    unmatched("a2");
    Seam.BeginListing();
    unmatched("b1");
    EXPECT_EQ(Program.Lists().Count(ReportCategory::Added), 1);
    const ReportList& list = Program.Lists().List(ReportCategory::UnMatched);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(0).substr(0, 2) + list.At(1).substr(0, 2) + list.At(2).substr(0, 2), "b1a1a2");

    Opts.UseReportForm = false;
    Added("c.txt");
    Seam.AddMessage("Problem");
    EXPECT_EQ(Program.Lists().Count(ReportCategory::Added), 1);
    EXPECT_EQ(Program.Lists().Count(ReportCategory::Messages), 1);

    Program.ClearReports();
    EXPECT_EQ(Program.Lists().Count(ReportCategory::Messages), 0);
}

TEST(ViewerTest, ExeAndBatNamesAnywhereAreStartedEverythingElseIsShown)
{
    for (const char* name : {"setup.exe.log", "/opt/TOOL.EXE", "run.Bat", "/data/x.exe/notes.txt"}) {
        EXPECT_TRUE(ViewerStartsFile(name)) << name;
    }
    for (const char* name : {"Tandemix.Log", "exe.txt", "batch.log"}) {
        EXPECT_FALSE(ViewerStartsFile(name)) << name;
    }
}

TEST(ViewLogTest, ViewButtonsShowTheConfiguredNameInTheProgramFolder)
{
    Options options;
    options.LogFileName = "mylog.txt"; // no extension rule here: the name as it stands
    options.PreReportFileName = "../../etc/weekly.txt";
    EXPECT_EQ(ViewLogPath("/home/u/tx/", options), "/home/u/tx/mylog.txt");
    EXPECT_EQ(ViewPreLogPath("/home/u/tx", options), "/home/u/tx/weekly.txt");
    options.LogFileName.clear();
    EXPECT_EQ(ViewLogPath("/home/u/tx/", options), "/home/u/tx/Tandemix.Log");
}

} // namespace
} // namespace Tandemix
