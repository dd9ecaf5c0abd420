// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs with "Delete Unmatched" on, from tree/src to tree/dst, reported by the program's own
// reporter, so the report lists fill as the window sees them.
#pragma once

#include "engine/RunDriver.h"
#include "reporting/ProgramReporter.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Tandemix::Test {

// A host whose deletion countdown answers as told, with or without a user watching.
class CountdownHost : public ScriptedHost
{
public:
    CountdownAnswer Answer = CountdownAnswer::Delete;
    std::vector<std::pair<int, std::size_t>> Countdowns;
    bool Watched = true;
    int ShownSelected = 0;

    CountdownAnswer DeletionCountdown(int seconds, std::size_t entries) override
    {
        Countdowns.emplace_back(seconds, entries);
        return Answer;
    }
    bool CanAsk() const noexcept override { return Watched; }
    void ShowUnmatchedSelected() noexcept override { ++ShownSelected; }
};

// Public: table rows arrange their case on it. HooksType: the unmatched list's or the archive's.
template <typename HooksType>
class UnmatchedRun : public ::testing::Test
{
public:
    void SetUp() override
    {
        Engine.Source.Folder = Src;
        Engine.Target.Folder = Dst;
        Engine.Hooks = &Hooks;
        Opts.CreateSubFolderOption = false;
        Opts.DeleteUnmatched = Opts.UseReportForm = Opts.ListUnMatchedFiles = true;
        Opts.DeleteUnmatchedWarningDelay = 0;
        Opts.DisplayMessages = false;
    }

    RunOutcome Run(RunSender sender = RunSender::SyncButton) { return SyncButtonClick(Ctx, sender); }
    std::vector<std::string> Lines(ReportCategory category) const
    {
        return Reporter.Lists().List(category).Lines();
    }
    bool MessageSays(std::string_view text) const
    {
        return std::ranges::any_of(Lines(ReportCategory::Messages), [text](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }

    TempHome Home;
    TempTree Tree;
    std::string Src = Tree.AddFolder("src");
    std::string Dst = Tree.AddFolder("dst");
    CountdownHost Host;
    Options Opts;
    RunState State{Host, Opts};
    EngineState Engine;
    ProgramReporter Reporter{Opts, State, Engine, Home.Folder()};
    HooksType Hooks{Reporter.Lists()};
    RunContext Ctx{Opts, State, Host, Reporter, Engine};
};

} // namespace Tandemix::Test
