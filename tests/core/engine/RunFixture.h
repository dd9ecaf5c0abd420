// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/LaterHooks.h"
#include "engine/RunDriver.h"
#include "support/CoreBundle.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix::Test {

// The recording reporter plus what a run asks of the report lists: clearing them, counting
// messages, and the stopped flag of the closing log line. It also notes whether the log was
// switched on when it was opened.
class RunReporter : public RecordingReporter
{
public:
    const Options* Opts = nullptr;
    int ClearCount = 0;
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

    void ClearReports() noexcept override
    {
        ++ClearCount;
        Entries.clear();
    }
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

    // What the unmatched list holds after every filing and withdrawal so far: (name, folder).
    std::set<std::pair<std::string, std::string>> NetUnmatched() const
    {
        std::vector<Entry> lines;
        for (const Entry& e : Entries) {
            if (e.Category != ReportCategory::UnMatched) {
                continue;
            }
            if (e.Kind.starts_with("Delete")) {
                auto same = std::find_if(lines.begin(), lines.end(), [&](const Entry& l) {
                    return l.Name == e.Name && l.Path == e.Path && l.SizeText == e.SizeText
                           && l.Detail == e.Detail;
                });
                if (same != lines.end()) {
                    lines.erase(same);
                }
            } else {
                lines.push_back(e);
            }
        }
        std::set<std::pair<std::string, std::string>> net;
        for (const Entry& l : lines) {
            net.emplace(l.Name, l.Path);
        }
        return net;
    }
};

// Later subsystems as a test sees them: every hand-over is recorded with what the test wants
// to know at that moment.
class RecordingHooks : public LaterHooks
{
public:
    struct Call
    {
        RunSender Sender;
        bool PreDeleteOption;
        bool SyncActive; // the run is over for the unmatched items handed over
        std::set<std::pair<std::string, std::string>> Unmatched;
    };
    RunReporter* Reporter = nullptr;
    std::vector<Call> UnmatchedCalls;
    std::function<void()> OnDeleteUnmatched;

    bool DeleteUnmatchedFiles(RunContext& ctx, RunSender sender) override
    {
        UnmatchedCalls.push_back(Call{sender,
                                      ctx.Opts.DeleteUnMatchPriorToSync,
                                      ctx.State.SyncActive,
                                      Reporter != nullptr ? Reporter->NetUnmatched()
                                                          : std::set<std::pair<std::string, std::string>>{}});
        if (OnDeleteUnmatched) {
            OnDeleteUnmatched();
        }
        return true;
    }
};

// A whole run over real folders: "src" and "dst" under a fresh temporary tree, shown as the
// two panes' folders. Every poll pumps the host, so a click queued with OnNextPump lands at
// the very next poll.
class RunFixture : public ::testing::Test, public CoreBundleOf<RunReporter>
{
protected:
    void SetUp() override
    {
        PumpEveryPoll();
        Src = Tree.AddFolder("src");
        Dst = Tree.AddFolder("dst");
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

    static bool IsFolder(const std::string& path)
    {
        struct stat st
        {};
        return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    static bool IsLink(const std::string& path)
    {
        struct stat st
        {};
        return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }
    static bool Exists(const std::string& path)
    {
        struct stat st
        {};
        return ::lstat(path.c_str(), &st) == 0;
    }
    static timespec MTime(const std::string& path)
    {
        struct stat st
        {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st.st_mtim;
    }

    static constexpr std::time_t Old = 1'500'000'000; // 2017
    static constexpr std::time_t New = 1'600'000'000; // 2020

    RecordingHooks Hooks;
    TempTree Tree;
    std::string Src;
    std::string Dst;
};

} // namespace Tandemix::Test
