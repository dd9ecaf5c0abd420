// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/CommandLine.h"

#include "automation/CommandLineMessages.h"
#include "engine/Messages.h"
#include "support/CoreBundle.h"
#include "support/TempHome.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

using Args = std::vector<std::string>;

TEST(FindParamTest, FindsTheFirstMatchingArgument)
{
    // clang-format off
    const struct { const char* Name; Args Arguments; const char* Word; int Expected; } rows[] = {
        {"WordItself",                          {"/a", "/b", "AUTORUN"},        "AUTORUN", 3},
        {"LowerCaseArgument",                   {"/a", "/b", "autorun"},        "AUTORUN", 3},
        {"LowerCaseWord",                       {"/a", "/b", "AUTORUN"},        "autorun", 3},
        {"DashAFindsAutorun",                   {"/a", "-A"},                   "AUTORUN", 2},
        {"DashSecondLetterFindsAutorun",        {"/a", "-U"},                   "AUTORUN", 2},
        {"FolderContainingMinCountsAsMin",      {"/data/Admin", "/b", "AUTORUN"}, "MIN",   1},
        {"DashICountsAsMin",                    {"/a", "/b", "AUTORUN", "-I"},  "MIN",     4},
        {"DashMCountsAsMin",                    {"/a", "-M"},                   "MIN",     2},
        {"DelayWithSeconds",                    {"/a", "/b", "-D10"},           "-D",      3},
        {"DelayParkedOffScreen",                {"/a", "-DH10"},                "-D",      2},
        {"NumberAfterFirstCharacterCountsForS", {"/a", "X30"},                  "-S",      2},
        {"NumberAfterFirstCharacterCountsForD", {"/a", "X30"},                  "-D",      2},
        {"SignedNumberCountsForS",              {"/a", "--5"},                  "-S",      2},
        {"FirstOfTwoMatches",                   {"-A", "AUTORUN"},              "AUTORUN", 1},
        {"EmptyArgumentIsSkipped",              {"", "AUTORUN"},                "AUTORUN", 2},
        {"NumberDoesNotCountForOtherWords",     {"/a", "X30"},                  "-R",      -1},
        {"IncompleteNumberDoesNotCount",        {"/a", "X30Y"},                 "-S",      -1},
        {"DoubleDashIsNotALetterSwitch",        {"--help"},                     "-C",      -1},
        {"OtherSwitchLetter",                   {"/a", "-S30"},                 "-D",      -1},
        {"DelayIsNotMin",                       {"/a", "-D10"},                 "MIN",     -1},
        {"IgnoreIsNotOverwrite",                {"/a", "-I"},                   "-)",      -1},
        {"PlainFolders",                        {"/a", "/b"},                   "AUTORUN", -1},
        {"NoArguments",                         {},                             "AUTORUN", -1},
        {"EmptyWordIsAnError",                  {"AUTORUN"},                    "",        -1},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(FindParam(row.Arguments, row.Word), row.Expected) << row.Name;
    }
}

// Folder names are the user's words: letters in them never act as switches.
TEST(SwitchWordsTest, FolderArgumentsCarryNoSwitches)
{
    Args pair{"/data/my-copy", "/backup/2024-min", "-I"};
    EXPECT_EQ(FindParam(pair, "-C"), 1) << "the loose rule alone would start a run here";
    EXPECT_EQ(SwitchWords(pair), Args{"-I"}); // which still counts as MIN (the table above)
    EXPECT_EQ(SwitchWords({"JOB.SNC", "AUTORUN"}), Args{"AUTORUN"});
    EXPECT_EQ(SwitchWords({"/src", "AUTORUN"}), Args{"AUTORUN"});
    EXPECT_EQ(SwitchWords({"AUTORUN", "-O"}), (Args{"AUTORUN", "-O"}));
}

TEST(ExpandHomeTest, TildeMeansTheHomeFolder)
{
    ScopedEnv home("HOME", std::string("/home/ann"));
    EXPECT_EQ(ExpandHome("~/x"), "/home/ann/x");
    EXPECT_EQ(ExpandHome("~"), "/home/ann");
    EXPECT_EQ(ExpandHome("~bob/x"), "~bob/x");
    EXPECT_EQ(ExpandHome("/data/~/x"), "/data/~/x");
    EXPECT_EQ(ExpandHome("x"), "x");
    ScopedEnv rootHome("HOME", std::string("/"));
    EXPECT_EQ(ExpandHome("~/x"), "/x") << "no double slash";
}

// Records every request in order as "Name" or "Name value", answers as told, and keeps the
// options as they were when the batch file was opened and when the run started.
class RecordingActions : public CommandLineActions
{
public:
    // Pointers, so that a fresh record can be assigned.
    RecordingActions(const Options& opts, RunState& state, bool window = true)
        : Window(window)
        , FOpts(&opts)
        , FState(&state)
    {}

    bool Window;
    bool OpenSucceeds = true;
    bool StopDuringRun = false; // the user presses Stop while the run goes on
    DelayResult CountdownAnswer = DelayResult::Continue;
    SyncOutcome Outcome = SyncOutcome::Completed;
    const Options* FOpts;
    RunState* FState;
    Args Calls;
    std::optional<ExitStatus> Ended;
    std::string Source, Target, BatchFile;
    std::optional<Options> OptionsAtOpen, OptionsAtRun;
    int MarkerAtRun = -1;

    int IndexOf(const std::string& call) const
    {
        auto it = std::find(Calls.begin(), Calls.end(), call);
        return it == Calls.end() ? -1 : static_cast<int>(it - Calls.begin());
    }
    bool Called(const std::string& call) const { return IndexOf(call) >= 0; }
    std::ptrdiff_t Count(std::string_view prefix) const
    {
        return std::ranges::count_if(Calls, [&](const auto& c) { return c.starts_with(prefix); });
    }
    void Note(const std::string& call) { Calls.push_back(call); }
    void Note(const char* call, int value) { Note(call + (" " + std::to_string(value))); }

    void OptionsLoaded() override { Note("OptionsLoaded"); }
    void ArmPolling(int seconds) override { Note("ArmPolling", seconds); }
    void ArmSchedule(int minutes) override { Note("ArmSchedule", minutes); }
    void SetSettleCount(int count) override { Note("SetSettleCount", count); }
    bool HasWindow() const override { return Window; }
    bool OpenBatchFile(const std::string& path) override
    {
        BatchFile = path;
        OptionsAtOpen = *FOpts;
        Note("OpenBatchFile");
        return OpenSucceeds;
    }
    void PointFolders(const std::string& source, const std::string& target) override
    {
        Source = source;
        Target = target;
        Note("PointFolders");
    }
    void ShowMainWindow() override { Note("ShowMainWindow"); }
    void SelectSynchronizePage() override { Note("SelectSynchronizePage"); }
    DelayResult RunCountdown(int seconds, bool offScreen, bool trayMode) override
    {
        Note("RunCountdown", seconds);
        Calls.back() += std::string(offScreen ? " off-screen" : "") + (trayMode ? " tray" : "");
        return CountdownAnswer;
    }
    void BringWindowBack() override { Note("BringWindowBack"); }
    void ParkInTray() override { Note("ParkInTray"); }
    SyncOutcome RunSync() override
    {
        OptionsAtRun = *FOpts;
        MarkerAtRun = FState->SourceFileListTag;
        Note("RunSync");
        if (StopDuringRun) {
            FState->StopButtonClick();
        }
        return Outcome;
    }
    void MonitorSwitched() override { Note(FOpts->MonitorSourceDriveCheck ? "Monitor on" : "Monitor off"); }
    void SetQueueCheckInterval(int ms) override { Note("SetQueueCheckInterval", ms); }
    void ListEmptySides() override { Note("ListEmptySides"); }
    void EndProgram(ExitStatus status) override { Note("EndProgram", static_cast<int>(*(Ended = status))); }
};

bool ActsAsSwitch(const std::string& path)
{
    const char* const words[] = {"AUTORUN", "MIN", "-C", "-S", "-R", "-D", "-W", "-)", "-O", "-I"};
    return std::ranges::any_of(words, [&](const char* w) { return FindParam({path}, w) > 0; });
}

class CommandLineFixture : public ::testing::Test, public Test::CoreBundle
{
protected:
    // The folder's path must hold nothing the loose switch matching takes for a switch (a
    // temporary name holding "-c" or "min" would turn a folder pair into an automatic run).
    void SetUp() override
    {
        for (int attempt = 0; attempt < 20 && (!Work || ActsAsSwitch(Work->Root())); ++attempt) {
            Work.emplace();
        }
        if (ActsAsSwitch(Work->Root())) {
            GTEST_SKIP() << "no temporary folder free of switch-like names under " << Work->Root();
        }
        Source = Work->AddFolder("src");
        Target = Work->AddFolder("dst");
    }

    CommandLineResult Handle(const Args& args) { return HandleCommandLine(Cfg, State, Actions, args); }
    // A fresh record, with or without a window; the options stay unless `resetOptions`.
    void Fresh(bool window = true, bool resetOptions = false)
    {
        if (resetOptions) {
            Opts = Options{};
        }
        Actions = RecordingActions(Opts, State, window);
    }
    // A configuration file's text; a settings file carries the compile date.
    static std::string ConfigText(bool withCompileDate, const std::string& extra)
    {
        return (withCompileDate ? "[Misc Options]\r\nCompile Date=July 23, 1997\r\n" : "") + extra;
    }

    Tandemix::Test::TempHome Home;
    std::optional<TempTree> Work;
    ConfigContext Cfg{.Opts = Opts,
                      .LoadingMarker = State.SourceFileListTag,
                      .Tell = [this](std::string_view m) { State.GetHost().Ask(m, DialogButtons::Ok); },
                      .ProgramFolder = Home.Folder(),
                      .DefaultConfigPath = Home.Path("TXDef.CFG")};
    RecordingActions Actions{Opts, State};
    std::string Source, Target;
};

using ApplyConfigSwitchTest = CommandLineFixture;

TEST_F(ApplyConfigSwitchTest, OnlyOneToTwentyFourSetTheSettleCount)
{
    // clang-format off
    const std::pair<const char*, const char*> rows[] = {
        {"-W5", "10"}, {"-w1", "2"}, {"-W24", "48"}, {"-W25", ""}, {"-W30", ""}, {"-W0", ""}, {"-W", ""}};
    // clang-format on
    for (const auto& [arg, count] : rows) {
        Fresh();
        EXPECT_TRUE(ApplyConfigSwitch(Cfg, Actions, arg));
        EXPECT_EQ(Actions.Calls, *count ? Args{std::string("SetSettleCount ") + count} : Args{}) << arg;
    }
}

// The schedule (-S minutes) and polling (-P seconds) exclude each other: arming one disarms the
// other, which was on before; a zero arms nothing and leaves the other alone.
TEST_F(ApplyConfigSwitchTest, TriggerSwitchArmsItsTimerAndDisarmsTheOther)
{
    using O = Options;
    // clang-format off
    const struct { const char* Switch; bool O::*On; std::string O::*Text; bool O::*Other; bool Armed; Args Calls; } rows[] = {
        {"-S30", &O::RunSyncSched, &O::RunSyncEveryMin, &O::PoleEvery,    true,  {"ArmSchedule 30", "ArmPolling 0"}},
        {"-P15", &O::PoleEvery,    &O::PoleSecs,        &O::RunSyncSched, true,  {"ArmPolling 15", "ArmSchedule 0"}},
        {"-S0",  &O::RunSyncSched, &O::RunSyncEveryMin, &O::PoleEvery,    false, {"ArmSchedule 0"}},
        {"-P0",  &O::PoleEvery,    &O::PoleSecs,        &O::RunSyncSched, false, {"ArmPolling 0"}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Switch);
        Fresh(true, true);
        Opts.PoleSecs = "20";
        Opts.RunSyncEveryMin = "5";
        Opts.*row.Other = true;
        EXPECT_TRUE(ApplyConfigSwitch(Cfg, Actions, row.Switch));
        EXPECT_EQ(Opts.*row.On, row.Armed);
        EXPECT_EQ(Opts.*row.Other, !row.Armed);
        EXPECT_EQ(Opts.*row.Text, row.Armed ? std::string(row.Switch + 2) : "0");
        EXPECT_EQ(Actions.Calls, row.Calls);
    }
}

TEST_F(ApplyConfigSwitchTest, ConfigFileLoadsOnlyWithACompileDateAndAUsableName)
{
    // Name: in the program folder, or a full path; Refused: no settings file, so the caller must not run.
    // clang-format off
    struct Row { std::string Name; bool Dated; std::string Switch; bool Loaded, Refused; };
    // clang-format on
    const std::string longName = std::string(50, 'n') + "TAIL";
    const std::string elsewhere = Work->Path("elsewhere.cfg");
    // Mixed case on purpose: the switch is read upper-cased, the file name must not be.
    const std::vector<Row> rows{{"Night.Cfg", true, "-c:Night.Cfg", true, false},
                                {elsewhere, true, "-C:" + elsewhere, true, false},
                                {"plain.cfg", false, "-C:plain.cfg", false, true},
                                {"other.cfg", true, "-C:missing.cfg", false, true},
                                {"ab", true, "-C:ab", false, false}, // two characters or less: no name
                                {longName, true, "-C:" + longName, true, false}}; // never cut
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Switch);
        Fresh(true, true);
        const std::string text = ConfigText(row.Dated, "[File Options]\r\nIgnore Target Space=1\r\n");
        row.Name == elsewhere ? (void)Work->AddFile("elsewhere.cfg", text) : Home.Write(row.Name, text);
        std::string problem;
        EXPECT_EQ(ApplyConfigSwitch(Cfg, Actions, row.Switch, &problem), !row.Refused);
        EXPECT_EQ(problem.starts_with(Msg::SettingsFileNotLoaded), row.Refused) << problem;
        EXPECT_EQ(Opts.IgnoreTargetSpace, row.Loaded);
        EXPECT_EQ(Actions.Called("OptionsLoaded"), row.Loaded);
        EXPECT_EQ(State.SourceFileListTag, 0);
        EXPECT_TRUE(Host.Questions.empty()); // refused silently: nobody may be watching
    }
}

using HandleCommandLineTest = CommandLineFixture;

TEST_F(HandleCommandLineTest, WithoutARunnablePairTheWindowShowsAndAConsoleEnds)
{
    const std::string missing = Work->Root() + "/nowhere";
    const std::vector<Args> rows{{},
                                 {Source, Target}, // no AUTORUN
                                 {"AUTORUN"},
                                 {Source, "AUTORUN"},
                                 {"src", Target, "AUTORUN"}, // a relative folder is not a source
                                 {Source, missing, "AUTORUN"},
                                 {"NONE.SNC", "AUTORUN"}};
    for (const Args& args : rows) {
        const bool autorun = args.size() > 0 && args.back() == "AUTORUN";
        for (bool window : {true, false}) {
            SCOPED_TRACE((args.empty() ? "" : args.front()) + (window ? " window" : " console"));
            Fresh(window);
            CommandLineResult result = Handle(args);
            EXPECT_FALSE(result.Ran || Actions.Called("RunSync") || Actions.Called("OpenBatchFile"));
            EXPECT_EQ(result.Status, ExitStatus::NothingToRun);
            EXPECT_TRUE((window && !autorun) || !result.Problem.empty());
            EXPECT_EQ(result.EndProgram, !window);
            EXPECT_EQ(Actions.Ended, window ? std::nullopt : std::optional(ExitStatus::NothingToRun));
            EXPECT_TRUE(!window || autorun || Actions.Called("ShowMainWindow"));
            if (args.size() > 1 && args[1] == missing) {
                EXPECT_NE(result.Problem.find(missing), std::string::npos) << result.Problem;
            } else if (autorun) {
                EXPECT_FALSE(Actions.Called("PointFolders"));
            }
        }
    }
    // Without AUTORUN the window shows the source and keeps its target when that is missing.
    Fresh();
    Handle({Source, missing});
    EXPECT_EQ(std::tuple(Actions.Source, Actions.Target), std::tuple(Source, ""));
}

// One run from a folder pair, with or without a window, and one more switch on the line.
TEST_F(HandleCommandLineTest, FolderPairRunsOnceWithItsSwitchesAndEndsWithTheRunsStatus)
{
    using enum SyncOutcome;
    using S = ExitStatus;
    // "-R" in "a-rather", "MIN" in "admin": only the switch "-C:" itself counts.
    const std::string settings = "-C:" + Work->AddFile("a-rather-admin-job.cfg", ConfigText(true, ""));
    // clang-format off
    const struct { const char* Name; bool Window; SyncOutcome Outcome; S Status; std::string Switch; bool AlwaysOverWrite, IgnoreTargetSpace, Tray; } rows[] = {
        {"WindowCompleted",             true,  Completed, S::Completed, "-A",  false, false, false},
        {"WindowFailed",                true,  Failed,    S::Failed,    "-A",  false, false, false},
        {"ConsoleCompleted",            false, Completed, S::Completed, "-A",  false, false, false},
        {"ConsoleFailed",               false, Failed,    S::Failed,    "-A",  false, false, false},
        {"ParenOverwrites",             true,  Completed, S::Completed, "-)",  true,  false, false},
        {"OOverwrites",                 true,  Completed, S::Completed, "-O",  true,  false, false},
        {"IIgnoresSpaceAndCountsAsMin", true,  Completed, S::Completed, "-I",  false, true,  true},
        {"SettingsFileNameIsNoSwitch",  false, Completed, S::Completed, settings, false, false, false},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Fresh(row.Window, true);
        Actions.Outcome = row.Outcome;
        Args args{Source, Target, "AUTORUN", row.Switch};
        if (row.Switch.starts_with("-C:")) {
            args.erase(args.begin() + 2); // a settings file starts the run by itself
        }
        CommandLineResult result = Handle(args);
        EXPECT_TRUE(result.Ran && result.EndProgram && !result.StaysResident);
        EXPECT_EQ(Actions.Count("RunSync"), 1);
        EXPECT_EQ(result.Status, row.Status);
        // The program ends at once: nothing after the run, in particular no settings saved.
        EXPECT_EQ(Actions.Calls.back(), "EndProgram " + std::to_string(static_cast<int>(row.Status)));
        ASSERT_TRUE(Actions.OptionsAtRun);
        EXPECT_FALSE(Actions.OptionsAtRun->DisplayMessages || Actions.OptionsAtRun->SaveSettingsOnExit);
        EXPECT_EQ(Actions.MarkerAtRun, 0);
        EXPECT_EQ(Actions.OptionsAtRun->AlwaysOverWrite, row.AlwaysOverWrite);
        EXPECT_EQ(Actions.OptionsAtRun->IgnoreTargetSpace, row.IgnoreTargetSpace);
        EXPECT_EQ(Actions.Called("ParkInTray"), row.Tray);
    }
}

TEST_F(HandleCommandLineTest, AutomaticRunFollowsItsStepsInOrder)
{
    // The default configuration's options reach the run, but a schedule and a monitor it arms
    // must not fire into it.
    Home.Write("TXDef.CFG",
               ConfigText(true,
                          "[File Options]\r\nIgnore Target Space=1\r\n[Pro Options]\r\nSched Sync=1\r\n"
                          "Sched Sync Every=10\r\nReal-Time Monitoring=1\r\n"));
    Handle({Source, Target, "AUTORUN", "MIN", "-D3"});
    // clang-format off
    const Args expected{"OptionsLoaded", "PointFolders", "SelectSynchronizePage", "Monitor off",
                        "ArmSchedule 0", "RunCountdown 3 tray", "ParkInTray", "RunSync", "EndProgram 0"};
    // clang-format on
    EXPECT_EQ(Actions.Calls, expected);
    ASSERT_TRUE(Actions.OptionsAtRun);
    EXPECT_TRUE(Actions.OptionsAtRun->IgnoreTargetSpace);
    EXPECT_FALSE(Actions.OptionsAtRun->RunSyncSched || Actions.OptionsAtRun->MonitorSourceDriveCheck);
    EXPECT_EQ(Actions.OptionsAtRun->MonitorSourceDriveCheckTag, 0);

    // "-D0" asks for no countdown; a "~" folder is under the home folder.
    Fresh();
    ScopedEnv home("HOME", Work->Root());
    EXPECT_TRUE(Handle({"~/src", "~/dst", "AUTORUN", "-D0"}).Ran);
    EXPECT_EQ(Actions.Count("RunCountdown"), 0);
    EXPECT_EQ(std::tie(Actions.Source, Actions.Target), std::tie(Source, Target));
}

TEST_F(HandleCommandLineTest, ScheduleOrMonitorAfterAutorunStaysResident)
{
    for (bool window : {true, false}) {
        SCOPED_TRACE(window ? "window" : "console");
        Fresh(window, true);
        CommandLineResult result = Handle({Source, Target, "AUTORUN", "-S30"});
        EXPECT_TRUE(result.Ran && result.StaysResident && Opts.RunSyncSched);
        EXPECT_FALSE(result.EndProgram || Actions.Ended);
        EXPECT_EQ(Opts.RunSyncEveryMin, "30");
        // Disarmed for the run itself, armed after it.
        EXPECT_LT(Actions.IndexOf("ArmSchedule 0"), Actions.IndexOf("RunSync"));
        EXPECT_GT(Actions.IndexOf("ArmSchedule 30"), Actions.IndexOf("RunSync"));
    }

    Fresh(true, true);
    CommandLineResult result = Handle({Source, Target, "AUTORUN", "-R5"});
    EXPECT_TRUE(result.StaysResident && Opts.MonitorSourceDriveCheck);
    EXPECT_TRUE(Actions.Called("SetQueueCheckInterval 5000"));
    EXPECT_EQ(Opts.MonitorSourceDriveCheckTag, -33);
    EXPECT_GT(Actions.IndexOf("Monitor on"), Actions.IndexOf("RunSync"));
    Fresh();
    Handle({Source, Target, "AUTORUN", "-Rx"});
    EXPECT_TRUE(Actions.Called("SetQueueCheckInterval 1000")); // not a number: one second
}

TEST_F(HandleCommandLineTest, BatchFileNameIsTakenInTheProgramFolder)
{
    for (const char* name : {"JOB.SNC", "job.snc"}) {
        SCOPED_TRACE(name);
        Home.Write(name, "");
        Opts.DeleteUnmatchedWarningDelay = 10;
        Fresh();
        CommandLineResult result = Handle({name, "AUTORUN", "MIN"});
        EXPECT_EQ(Actions.BatchFile, Home.Path(name));
        EXPECT_TRUE(result.Ran && !Actions.Called("PointFolders"));
        ASSERT_TRUE(Actions.OptionsAtOpen && Actions.OptionsAtRun);
        EXPECT_FALSE(Actions.OptionsAtOpen->DisplayMessages);
        EXPECT_EQ(Actions.OptionsAtRun->DeleteUnmatchedWarningDelay, 0);
    }

    Opts.DisplayMessages = true;
    Fresh();
    Actions.OpenSucceeds = false;
    CommandLineResult refused = Handle({"JOB.SNC", "AUTORUN"});
    EXPECT_FALSE(Actions.Called("RunSync"));
    EXPECT_EQ(refused.Status, ExitStatus::Failed);
    EXPECT_TRUE(Opts.DisplayMessages); // switched off only while the file was opened
}

TEST_F(HandleCommandLineTest, StoppedCountdownGivesNoRunAndExitEndsAtOnce)
{
    for (DelayResult answer : {DelayResult::Stop, DelayResult::Exit}) {
        for (bool window : {true, false}) {
            SCOPED_TRACE(window ? "window" : "console");
            Fresh(window);
            Actions.CountdownAnswer = answer;
            CommandLineResult result = Handle({Source, Target, "AUTORUN", "-DH10"});
            const bool ends = !window || answer == DelayResult::Exit;
            EXPECT_TRUE(Actions.Called("RunCountdown 10 off-screen"));
            EXPECT_FALSE(result.Ran || Actions.Called("RunSync") || Actions.Called("ParkInTray"));
            EXPECT_EQ(Actions.Called("BringWindowBack"), answer == DelayResult::Stop);
            EXPECT_EQ(result.Status, ExitStatus::Stopped);
            EXPECT_EQ(result.EndProgram, ends);
            EXPECT_EQ(Actions.Calls.back() == "EndProgram 3", ends);
        }
    }
}

TEST_F(HandleCommandLineTest, StopDuringTheRunKeepsTheWindowOpenAndEndsAConsole)
{
    Opts.DeleteUnmatchedWarningDelay = 7;
    Home.Write("JOB.SNC", "");
    Actions.StopDuringRun = true;
    CommandLineResult result = Handle({"JOB.SNC", "AUTORUN", "-S30"});
    EXPECT_TRUE(result.Ran && result.Outcome == SyncOutcome::Stopped);
    EXPECT_EQ(result.Status, ExitStatus::Stopped);
    // A stopped run arms nothing.
    EXPECT_FALSE(result.EndProgram || result.StaysResident || Opts.RunSyncSched);
    EXPECT_EQ(State.StopButtonTag, 0);
    // The end of the command line still runs: listings, the user's warning delay, "Ready".
    EXPECT_EQ(Actions.Calls.back(), "ListEmptySides");
    EXPECT_EQ(Opts.DeleteUnmatchedWarningDelay, 7);
    EXPECT_EQ(Host.LastStatus(), Msg::Ready);

    // Once with Stop pressed during the run, once with a run that reports the stop itself.
    for (bool pressed : {true, false}) {
        Fresh(false);
        Actions.StopDuringRun = pressed;
        Actions.Outcome = pressed ? SyncOutcome::Completed : SyncOutcome::Stopped;
        EXPECT_TRUE(Handle({Source, Target, "AUTORUN"}).EndProgram);
        EXPECT_EQ(Actions.Ended, ExitStatus::Stopped);
    }
}

} // namespace
} // namespace Tandemix
