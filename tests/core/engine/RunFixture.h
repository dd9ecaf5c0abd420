// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/LaterHooks.h"
#include "engine/RunDriver.h"
#include "support/CoreBundle.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <set>
#include <tuple>

namespace Tandemix::Test {

using Items = std::set<std::pair<std::string, std::string>>; // (name, folder)

// The recording reporter plus what a run asks of the report lists: clearing them, counting
// messages, and the stopped flag of the closing log line. It also notes whether the log was
// switched on when it was opened.
class RunReporter : public RecordingReporter
{
public:
    const Options* Opts = nullptr;
    int UnMatchedClears = 0;
    std::vector<bool> StoppedFlags;
    std::vector<bool> LogOnAtOpen;

    void WriteLogFile(std::string_view text, LogKind kind) noexcept override
    {
        if ((kind == LogKind::OpenSyncLog || kind == LogKind::OpenPreSyncLog) && Opts != nullptr) {
            LogOnAtOpen.push_back(Opts->UseLogFile);
        }
        RecordingReporter::WriteLogFile(text, kind);
    }
    void ClearReports() noexcept override { Entries.clear(); }
    void ClearUnMatched() noexcept override
    {
        ++UnMatchedClears;
        std::erase_if(Entries, [](const Entry& e) { return e.Category == ReportCategory::UnMatched; });
    }
    std::int64_t MessageCount() const noexcept override
    {
        return static_cast<std::int64_t>(EntriesIn(ReportCategory::Messages).size());
    }
    void SetRunStopped(bool stopped) noexcept override { StoppedFlags.push_back(stopped); }

    // What the unmatched list holds after every filing and withdrawal so far.
    Items NetUnmatched() const
    {
        std::multiset<std::tuple<std::string, std::string, std::string, std::string>> lines;
        for (const Entry& e : EntriesIn(ReportCategory::UnMatched)) {
            const auto line = std::tuple(e.Name, e.Path, e.SizeText, e.Detail);
            if (!e.Kind.starts_with("Delete")) {
                lines.insert(line);
            } else if (auto same = lines.find(line); same != lines.end()) {
                lines.erase(same);
            }
        }
        Items net;
        for (const auto& [name, path, size, detail] : lines) {
            net.emplace(name, path);
        }
        return net;
    }
};

// Later subsystems as a test sees them: every hand-over of the unmatched items is recorded
// with what the test wants to know at that moment.
class RecordingHooks : public LaterHooks
{
public:
    struct Call
    {
        RunSender Sender;
        bool PreDeleteOption;
        bool SyncActive; // the run is over for the unmatched items handed over
        Items Unmatched;
    };
    RunReporter* Reporter = nullptr;
    std::vector<Call> UnmatchedCalls;
    std::function<void()> OnDeleteUnmatched;

    bool DeleteUnmatchedFiles(RunContext& ctx, RunSender sender) override
    {
        UnmatchedCalls.push_back(
            Call{sender, ctx.Opts.DeleteUnMatchPriorToSync, ctx.State.SyncActive, Reporter->NetUnmatched()});
        if (OnDeleteUnmatched) {
            OnDeleteUnmatched();
        }
        return true;
    }
};

// A whole run over real folders: "src" and "dst" under a fresh temporary tree, shown as the
// two panes' folders, with every poll pumping the host (PumpEveryPoll).
class RunFixture : public ::testing::Test, public CoreBundleOf<RunReporter>
{
protected:
    void SetUp() override
    {
        PumpEveryPoll();
        Engine.Source.Folder = Src;
        Engine.Target.Folder = Dst;
        // Most cases synchronise straight into dst; the sub-folder rule has cases of its own.
        Opts.CreateSubFolderOption = false;
        Report.Opts = &Opts;
        Hooks.Reporter = &Report;
        Engine.Hooks = &Hooks;
    }

    RunOutcome Run(RunSender sender = RunSender::SyncButton) { return SyncButtonClick(Ctx, sender); }

    std::string S(std::string_view rel) const { return Src + "/" + std::string(rel); }
    std::string D(std::string_view rel) const { return Dst + "/" + std::string(rel); }
    std::string ReadDst(std::string_view rel) const { return Tree.ReadFile("dst/" + std::string(rel)); }

    // lstat's mode, 0 when there is nothing there.
    static mode_t Mode(const std::string& path)
    {
        struct stat st = {};
        return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
    }
    static bool Exists(const std::string& path) { return Mode(path) != 0; }

    static constexpr std::time_t Old = 1'500'000'000; // 2017
    static constexpr std::time_t New = 1'600'000'000; // 2020

    RecordingHooks Hooks;
    TempTree Tree;
    std::string Src = Tree.AddFolder("src");
    std::string Dst = Tree.AddFolder("dst");
};

} // namespace Tandemix::Test
