// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/LogFile.h"

#include "platform/FaultHook.h"
#include "platform/WallClock.h"
#include "reporting/ProgramReporter.h"
#include "support/CoreBundle.h"
#include "support/TempHome.h"
#include "support/TestTables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Tandemix {
namespace {

namespace fs = std::filesystem;

// 7/23/97 10:15:02 AM in local time, whatever the machine's zone.
std::time_t FixedNow()
{
    return Test::LocalTime(1997, 7, 23, 10, 15, 2);
}

const std::string SyncRule(49, '=');
const std::string PreSyncRule(55, '=');
const std::string Stamp = "7/23/97 10:15:02 AM";

// The cells of a decided file as the decision grid holds them.
const LogRunView NotesRow{false, "1234", "7/22/97", "10:01:44 AM"};

class LogFileTest : public testing::Test
{
protected:
    LogFileTest()
    {
        Log.OnWriteFailure = [this](const std::string& text) {
            Notices.push_back(text);
        };
    }
    void Request(std::string_view text, LogKind kind, const LogRunView& run = {})
    {
        Log.WriteLogFile(text, kind, Settings, run);
    }
    bool Exists(const std::string& name) const { return fs::exists(Home.Path(name)); }
    // Each row of a table starts from no log and the default settings.
    void Fresh()
    {
        Request("", LogKind::CloseSyncLog);
        fs::remove(Home.Path("Tandemix.Log"));
        Settings = LogSettings{};
    }

    Tandemix::Test::TempHome Home;
    LogSettings Settings;
    ScopedClock Clock{FixedNow};
    LogFile Log{Home.Folder()};
    std::vector<std::string> Notices;
};

TEST_F(LogFileTest, ARunAndAPreSyncReportAreLaidOutByteForByte)
{
    Request("", LogKind::OpenSyncLog);
    Request("From: /DATA/SRC/", LogKind::Summary);
    Request("  To: /DATA/DST/", LogKind::Summary);
    // A wide cell or name pushes the next column along; nothing is cut.
    Request("  Added: a-very-long-file-name.txt",
            LogKind::AddedFile,
            {false, "12345678901", "7/22/97", "10:01:44 AM"});
    Request("Updated: report.doc", LogKind::UpdatedFile, {false, "56789", "12/31/96", "9:00:00 PM"});
    Request("Creating Folder: /data/dst/sub", LogKind::FolderCreated);
    Request("File Access Error: report.doc - Ignore was selected.", LogKind::FileError);
    Request("Could not create folder: /data/dst/x", LogKind::AppError);
    Request("     2 Files checked.", LogKind::Summary);
    Request("", LogKind::CloseSyncLog);

    std::string expected = " \r\n" + SyncRule + "\r\n" + "Synchronization Started: " + Stamp + "\r\n"
                           + "From: /DATA/SRC/\r\n"
                             "  To: /DATA/DST/\r\n"
                             "  Added: a-very-long-file-name.txt\t\t12345678901\t  7/22/97\t 10:01:44 AM\r\n"
                             "Updated: report.doc\t\t    56789\t 12/31/96\t  9:00:00 PM\r\n"
                             "Creating Folder: /data/dst/sub\r\n"
                             "File Access Error: report.doc - Ignore was selected.\r\n"
                             "Could not create folder: /data/dst/x\r\n"
                             "     2 Files checked.\r\n"
                             "Synchronization Completed: "
                           + Stamp + "\r\n" + SyncRule + "\r\n" + " \r\n";
    EXPECT_EQ(Home.Read("Tandemix.Log"), expected);
    EXPECT_EQ(Log.LogOpenFlag(), 0);

    // The pre-sync report has its own file, words and rule.
    Request("", LogKind::OpenPreSyncLog);
    Request("     Add: notes.txt ", LogKind::AddedFile, NotesRow);
    Request("", LogKind::ClosePreSyncLog, {true, {}, {}, {}});
    EXPECT_EQ(Home.Read("PreSync.Log"),
              " \r\n" + PreSyncRule + "\r\nPre-Synchronization Report Started: " + Stamp + "\r\n"
                  + "     Add: notes.txt \t\t     1234\t  7/22/97\t 10:01:44 AM\r\n"
                  + "Pre-Synchronization Report Stopped: " + Stamp + "\r\n" + PreSyncRule + "\r\n \r\n");
}

TEST_F(LogFileTest, FileLinesCarryTheChosenColumnsAndEachKindFollowsItsOwnSwitch)
{
    // Each column is independent of the others; all three together are in the whole run above.
    // clang-format off
    const struct { bool Size, Date, Time; const char* Line; } rows[] = {
        {false, false, false, "  Added: x     \t"},
        {true,  false, false, "  Added: x     \t\t     1234"},
        {false, true,  false, "  Added: x     \t\t  7/22/97"},
        {false, false, true,  "  Added: x     \t\t 10:01:44 AM"},
    };
    // clang-format on
    for (const auto& row : rows) {
        Fresh();
        std::tie(Settings.SizeColumn, Settings.DateColumn, Settings.TimeColumn) =
            std::tuple(row.Size, row.Date, row.Time);
        Request("", LogKind::OpenSyncLog);
        Request("  Added: x", LogKind::AddedFile, NotesRow);
        Request("  Added: x", LogKind::UpdatedFile, NotesRow);
        Log.Flush();
        std::string line = std::string(row.Line) + "\r\n";
        EXPECT_THAT(Home.Read("Tandemix.Log"), testing::HasSubstr(line + line));
    }

    // Each kind of line follows its own switch (application errors: the error log's case).
    for (auto [kind, gate] : {std::pair{LogKind::AddedFile, &LogSettings::ReportAddedFiles},
                              {LogKind::UpdatedFile, &LogSettings::ReportUpdateFiles},
                              {LogKind::FileError, &LogSettings::ReportFileErrors},
                              {LogKind::FolderCreated, &LogSettings::ReportDirectoryCreation}}) {
        SCOPED_TRACE(static_cast<int>(kind));
        Fresh();
        Request("", LogKind::OpenSyncLog);
        Settings.*gate = false;
        Request("hidden line", kind, NotesRow);
        Settings.*gate = true;
        Request("shown line", kind, NotesRow);
        Log.Flush();
        EXPECT_THAT(Home.Read("Tandemix.Log"), testing::Not(testing::HasSubstr("hidden line")));
        EXPECT_THAT(Home.Read("Tandemix.Log"), testing::HasSubstr("shown line"));
    }
}

TEST_F(LogFileTest, LinesGoOnlyIntoTheOneOpenLogAndUnknownKindsArePlainLines)
{
    Request("before open", LogKind::Summary);
    Request("  Added: x", LogKind::AddedFile, NotesRow);
    Request("", LogKind::CloseSyncLog);
    EXPECT_FALSE(Exists("Tandemix.Log"));

    Request("", LogKind::OpenSyncLog);
    Request("kind zero", LogKind::Closed);
    Request("kind eleven", static_cast<LogKind>(11));
    Request("", LogKind::OpenPreSyncLog); // closes the first
    Request("into the report", LogKind::Summary);
    EXPECT_EQ(Log.OpenPath(), Home.Path("PreSync.Log"));
    Request("", LogKind::ClosePreSyncLog);
    Request("after close", LogKind::Summary);
    const std::string log = Home.Read("Tandemix.Log");
    EXPECT_NE(log.find("kind zero\r\nkind eleven\r\n"), std::string::npos);
    EXPECT_EQ(log.find("into the report"), std::string::npos);
    EXPECT_NE(Home.Read("PreSync.Log").find("into the report"), std::string::npos);
    EXPECT_EQ((log + Home.Read("PreSync.Log")).find("after close"), std::string::npos);
}

TEST_F(LogFileTest, ErrorsReachTheErrorLogWithTheLogOffOrUnopenedAndAreAppendedThere)
{
    Settings.UseLogFile = false;
    Request("", LogKind::OpenSyncLog);
    Request("From: /A/", LogKind::Summary);
    Request("Could not create folder: /b/c", LogKind::AppError);
    Request("", LogKind::CloseSyncLog);
    EXPECT_FALSE(Exists("Tandemix.Log"));
    EXPECT_EQ(Home.Read("TXError.LOG"),
              "Error Reported: " + Stamp + "\r\nCould not create folder: /b/c\r\n\r\n");

    // A log that cannot be opened stays silent.
    Settings.UseLogFile = true;
    {
        ScopedFault denied({FaultOp::Open, EACCES, "Tandemix.Log"});
        Request("", LogKind::OpenSyncLog);
    }
    EXPECT_EQ(Log.LogOpenFlag(), 0);
    Request("From: /A/", LogKind::Summary);
    Request("first", LogKind::AppError);
    Request("", LogKind::CloseSyncLog);
    EXPECT_FALSE(Exists("Tandemix.Log"));

    // Appended to, and kept out of a log that does not report them.
    Settings.ReportAppErrors = false;
    Request("", LogKind::OpenSyncLog);
    Request("second", LogKind::AppError);
    Request("", LogKind::CloseSyncLog);
    Request("third", LogKind::AppError);
    EXPECT_EQ(Home.Read("TXError.LOG").substr(Home.Read("TXError.LOG").find("\r\n\r\n") + 4),
              "Error Reported: " + Stamp + "\r\nfirst\r\n\r\nError Reported: " + Stamp
                  + "\r\nsecond\r\n\r\nError Reported: " + Stamp + "\r\nthird\r\n\r\n");
    EXPECT_EQ(Home.Read("Tandemix.Log").find("second"), std::string::npos);

    // A program folder that is gone leaves every request silent.
    LogFile orphan(Home.Path("missing-folder"));
    for (int kind = 0; kind <= 11; ++kind) {
        orphan.WriteLogFile("text", static_cast<LogKind>(kind), Settings, NotesRow);
    }
    EXPECT_EQ(orphan.LogOpenFlag(), 0);
    EXPECT_FALSE(Exists("missing-folder"));
}

TEST_F(LogFileTest, AppendKeepsTheEarlierRunsAndOverwriteStartsAfreshEachLogByItsOwnChoice)
{
    Home.Write("Tandemix.Log", "earlier run\r\n");
    Request("", LogKind::OpenSyncLog);
    Request("", LogKind::CloseSyncLog);
    EXPECT_TRUE(Home.Read("Tandemix.Log")
                    .starts_with("earlier run\r\n \r\n" + SyncRule + "\r\nSynchronization Started: "));
    Settings.ReportLogOverwrite = true;
    Request("", LogKind::OpenSyncLog);
    Request("", LogKind::CloseSyncLog);
    EXPECT_TRUE(Home.Read("Tandemix.Log").starts_with(" \r\n" + SyncRule + "\r\n"));

    // The pre-sync log follows its own choice, not the sync log's.
    Home.Write("PreSync.Log", "earlier report\r\n");
    Request("", LogKind::OpenPreSyncLog);
    EXPECT_TRUE(Home.Read("PreSync.Log").starts_with("earlier report\r\n"));
    Settings.ReportPreLogOverwrite = true;
    Request("", LogKind::OpenPreSyncLog);
    EXPECT_EQ(Home.Read("PreSync.Log").find("earlier report"), std::string::npos);
}

TEST_F(LogFileTest, ConfiguredNameIsOpenedInTheProgramFolder)
{
    // The escaping name is this test's own (its folder's unique name): a log that did escape,
    // in an earlier run, can neither hide nor fake an escape now, and is removed.
    const std::string own = fs::path(Home.Folder()).parent_path().filename().string();
    const std::string escapeTxt = "../../" + own + ".txt", escapeLog = own + ".Log";
    // clang-format off
    const struct { std::string Configured, Opened; } rows[] = {
        {"", "Tandemix.Log"}, {"mylog.txt", "mylog.Log"}, {"mylog", "mylog.Log"}, {"mylog.LOG", "mylog.Log"},
        {"my.run.txt", "my.run.Log"}, {"sub/dir/mylog.txt", "mylog.Log"}, {"/etc/cron.daily/x", "x.Log"},
        {escapeTxt, escapeLog}, {"..", "Tandemix.Log"}, {"logs/", "Tandemix.Log"},
        {"C:\\TX\\old.log", "old.Log"},
    };
    // clang-format on
    const fs::path escaped = (fs::path(Home.Folder()) / "../.." / escapeLog).lexically_normal();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Configured);
        Settings.LogFileName = row.Configured;
        Request("", LogKind::OpenSyncLog);
        Request("", LogKind::CloseSyncLog);
        EXPECT_TRUE(Exists(row.Opened));
        EXPECT_EQ(Settings.LogFileName, row.Opened); // the window shows the name used
        EXPECT_EQ(std::distance(fs::directory_iterator(Home.Folder()), {}), 1);
        EXPECT_FALSE(fs::exists(escaped));
        fs::remove(escaped);
        fs::remove(Home.Path(row.Opened));
    }
}

TEST_F(LogFileTest, FullDiskLosesTheLineAndTheRunGoesOn)
{
    for (int run = 1; run <= 2; ++run) {
        Request("", LogKind::OpenSyncLog);
        {
            ScopedFault full({FaultOp::Write, ENOSPC, "Tandemix.Log"});
            Request("lost line", LogKind::Summary);
            Request("  Added: x", LogKind::AddedFile, NotesRow);
            Log.Flush();
            EXPECT_EQ(Log.LogOpenFlag(), 1); // one lost line does not end the log
        }
        Request("kept line", LogKind::Summary);
        Request("", LogKind::CloseSyncLog);
        // Said once per run, however many lines were lost.
        ASSERT_EQ(Notices.size(), static_cast<std::size_t>(run));
        EXPECT_TRUE(Notices.back().starts_with(LogMsg::CannotWriteLog)) << Notices.back();
        EXPECT_NE(Notices.back().find("Tandemix.Log"), std::string::npos);
    }

    std::string log = Home.Read("Tandemix.Log");
    EXPECT_EQ(log.find("lost line"), std::string::npos);
    EXPECT_NE(log.find("kept line\r\nSynchronization Completed: "), std::string::npos);

    // A trailer that cannot be written still closes the log.
    Request("", LogKind::OpenSyncLog);
    {
        ScopedFault full({FaultOp::Write, ENOSPC, "Tandemix.Log"});
        Request("", LogKind::CloseSyncLog);
    }
    EXPECT_EQ(Log.LogOpenFlag(), 0);
    Request("after close", LogKind::Summary);
    EXPECT_EQ(Home.Read("Tandemix.Log").find("after close"), std::string::npos);
}

// One write per copied file would cost as much as the copy of a small file: the lines of files
// and folders are held back, but never reordered, never held past a problem's line or the close,
// never without bound, and a write that fails when they go out is still told.
TEST_F(LogFileTest, LinesAreHeldBackInOrderUntilAProblemAFlushOrTheClose)
{
    Request("", LogKind::OpenSyncLog);
    Request("From: /NEXT/", LogKind::Summary);
    Request("  Added: a", LogKind::AddedFile, NotesRow);
    Request("Updated: b", LogKind::UpdatedFile, NotesRow);
    Request("Creating Folder: /c", LogKind::FolderCreated);
    EXPECT_EQ(Home.Read("Tandemix.Log").find("From: /NEXT/"), std::string::npos);
    Request("Could Not Read File: /d", LogKind::FileError);
    std::string log = Home.Read("Tandemix.Log");
    std::size_t at = 0;
    for (const char* line :
         {"From: /NEXT/", "Added: a", "Updated: b", "Creating Folder: /c", "Could Not Read File: /d"}) {
        ASSERT_NE(at = log.find(line, at), std::string::npos) << line << " in order in\n" << log;
    }

    const std::size_t before = log.size();
    for (int i = 0; i < 2000; ++i) {
        Request("  Added: many", LogKind::AddedFile, NotesRow);
    }
    EXPECT_GE(Home.Read("Tandemix.Log").size(), before + 64 * 1024);
    Request("  Added: flushed", LogKind::AddedFile, NotesRow);
    Log.Flush();
    EXPECT_NE(Home.Read("Tandemix.Log").find("Added: flushed"), std::string::npos);

    Request("  Added: lost", LogKind::AddedFile, NotesRow);
    {
        ScopedFault full({FaultOp::Write, ENOSPC, "Tandemix.Log"});
        Log.Flush();
    }
    EXPECT_EQ(Notices.size(), 1u);
    Request("  Added: last", LogKind::AddedFile, NotesRow);
    Request("", LogKind::CloseSyncLog);
    log = Home.Read("Tandemix.Log");
    EXPECT_EQ(log.find("Added: lost"), std::string::npos);
    EXPECT_NE(log.find("  Added: last  \t\t     1234\t  7/22/97\t 10:01:44 AM\r\nSynchronization Completed"),
              std::string::npos);
}

// ---- What the program's reporter passes on -------------------------------------------------

class ProgramReporterTest : public testing::Test, public Test::CoreBundle
{
protected:
    std::string LogText() const { return Home.Read("Tandemix.Log"); }
    // A file line as the copy or the listing files it.
    void File(std::string_view name, ReportCategory category = ReportCategory::Added)
    {
        Seam.AddReportEntry(
            {.Name = name, .Path = "/d/", .SizeText = "1", .Kind = "Add", .Category = category});
    }

    Tandemix::Test::TempHome Home;
    ScopedClock Clock{FixedNow};
    ProgramReporter Program{Opts, State, Engine, Home.Folder()};
    Reporter& Seam = Program; // what the engine sees
};

TEST_F(ProgramReporterTest, LogTakesTheRunsRowTheOptionsOfTheMomentAndTheStopRequest)
{
    for (auto [name, size, date, time] :
         {std::tuple{"a.txt", 1, "1/1/97", "1:00:00 AM"}, {"notes.txt", 1234, "7/22/97", "10:01:44 AM"}}) {
        DeltaRow& row = Engine.Delta.Rows.emplace_back();
        std::tie(row.FileName, row.Size, row.DateText, row.TimeText, row.Reason) =
            std::tuple(name, size, date, time, "No Match");
    }
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    Engine.Delta.CurrentRow = 1;
    Seam.WriteLogFile("  Added: notes.txt ", LogKind::AddedFile);
    Engine.Delta.CurrentRow = -1; // between rows: the cells are empty
    Seam.WriteLogFile("Updated: x", LogKind::UpdatedFile);
    Engine.Delta.CurrentRow = 1;
    Opts.ReportFileSizeCheck = false;
    Opts.ReportFileDateCheck = false;
    Seam.WriteLogFile("  Added: again ", LogKind::AddedFile);
    // Each kind of line follows its own check box.
    Opts.ReportAddedFilesCheck = false;
    Opts.ReportFileErrorsCheck = false;
    Seam.WriteLogFile("  Added: hidden", LogKind::AddedFile);
    Seam.WriteLogFile("hidden error", LogKind::FileError);
    Seam.WriteLogFile("Updated: shown", LogKind::UpdatedFile);
    Seam.WriteLogFile("shown error", LogKind::AppError);
    State.OperationState = static_cast<int>(OperationStates::Confirmed);
    Seam.WriteLogFile("", LogKind::CloseSyncLog);
    Opts.UseLogFile = false;
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    Seam.WriteLogFile("not while the log is off", LogKind::Summary);

    EXPECT_THAT(LogText(),
                testing::HasSubstr("  Added: notes.txt \t\t     1234\t  7/22/97\t 10:01:44 AM\r\n"
                                   "Updated: x     \t\t         \t         \t            \r\n"
                                   "  Added: again \t\t 10:01:44 AM\r\n"
                                   "Updated: shown \t\t 10:01:44 AM\r\n"
                                   "shown error\r\n"
                                   "Synchronization Stopped: 7/23/97 10:15:02 AM\r\n"));
    EXPECT_EQ(LogText().find("not while the log is off"), std::string::npos);
}

// A question may wait for the user for as long as it likes, and the program may be ended there:
// the lines of the files copied so far are on disk before it is shown.
TEST_F(ProgramReporterTest, HeldFileLinesAreWrittenBeforeTheStopQuestion)
{
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    Seam.WriteLogFile("  Added: copied.txt", LogKind::AddedFile);
    ASSERT_EQ(LogText().find("copied.txt"), std::string::npos);
    State.OperationState = static_cast<int>(OperationStates::Requested);
    Host.QueueAnswer(DialogResult::No);
    EXPECT_EQ(State.CheckForStop(), 0);
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_NE(LogText().find("  Added: copied.txt"), std::string::npos) << LogText();
}

TEST_F(ProgramReporterTest, OptionsShowTheNamesTheLogsWereOpenedUnder)
{
    Opts.LogFileName = "nightly.txt";
    Opts.PreReportFileName = "";
    Seam.WriteLogFile("", LogKind::OpenSyncLog);
    Seam.WriteLogFile("", LogKind::OpenPreSyncLog);
    EXPECT_EQ(std::tuple(Opts.LogFileName, Opts.PreReportFileName), std::tuple("nightly.Log", "PreSync.Log"));
}

TEST_F(ProgramReporterTest, ReportSwitchesComeFromRunStateAndOptionsAndListingsRestartTheCounter)
{
    File("a.txt");
    EXPECT_TRUE(Program.Lists().List(ReportCategory::Added).Empty()); // no run going on

    State.SyncActive = true;
    Opts.ListUnMatchedFiles = true;
    Opts.UseCompression = true;
    File("a.txt");
    Seam.BeginListing();
    File("A1", ReportCategory::UnMatched);
    File("a2", ReportCategory::UnMatched);
    Seam.BeginListing();
    File("b1", ReportCategory::UnMatched);
    EXPECT_EQ(Program.Lists().Count(ReportCategory::Added), 1);
    const ReportList& list = Program.Lists().List(ReportCategory::UnMatched);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(0).substr(0, 2) + list.At(1).substr(0, 2) + list.At(2).substr(0, 2), "b1a1a2");
    Seam.ClearUnMatched(); // a walk that did not see every pair
    EXPECT_TRUE(list.Empty());

    Opts.UseReportForm = false;
    File("c.txt");
    Seam.AddMessage("Problem");
    EXPECT_EQ(std::tuple(Program.Lists().Count(ReportCategory::Added),
                         Program.Lists().Count(ReportCategory::Messages)),
              std::tuple(1, 1));

    Program.ClearReports();
    EXPECT_EQ(Program.Lists().Count(ReportCategory::Messages), 0);
}

TEST(ViewerTest, ExeAndBatNamesAreStartedEverythingElseIsShownFromTheProgramFolder)
{
    for (const char* name : {"setup.exe.log", "/opt/TOOL.EXE", "run.Bat", "/data/x.exe/notes.txt"}) {
        EXPECT_TRUE(ViewerStartsFile(name)) << name;
    }
    for (const char* name : {"Tandemix.Log", "exe.txt", "batch.log"}) {
        EXPECT_FALSE(ViewerStartsFile(name)) << name;
    }
    // The view buttons show the configured name in the program folder.
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
