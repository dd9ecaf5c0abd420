// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "engine/RunContext.h"
#include "engine/RunState.h"
#include "platform/AtomicFile.h"
#include "settings/Options.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedHost.h"

#include <dirent.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace Tandemix::Test {

// What every core routine is handed: a scripted host, fresh options, the run state, a
// recording reporter and the engine's state, tied together in one context. A fixture derives
// from it (with its own reporter where it needs one) instead of declaring the five again.
template <typename ReporterType = RecordingReporter, typename HostType = ScriptedHost>
class CoreBundleOf
{
public:
    // Every poll pumps the host, so an action queued with OnNextPump lands at the next poll.
    void PumpEveryPoll()
    {
        State.SetClock([this] { return Now += std::chrono::seconds(1); });
    }
    // Does `act` at the first pump where `when` holds.
    void AtFirstPollWhere(std::function<bool()> when, std::function<void()> act)
    {
        Host.OnNextPump([this, when, act] { when() ? act() : AtFirstPollWhere(when, act); });
    }

    // Texts of the messages filed for the user, in order.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& entry : Report.EntriesIn(ReportCategory::Messages)) {
            texts.push_back(entry.Kind);
        }
        return texts;
    }

    HostType Host;
    Options Opts;
    RunState State{Host, Opts};
    ReporterType Report;
    EngineState Engine;
    RunContext Ctx{Opts, State, Host, Report, Engine};
    RunState::Clock::time_point Now = RunState::Clock::time_point{} + std::chrono::hours(1);
};

using CoreBundle = CoreBundleOf<>;

// The names in `folder` that look like the copy's temporary files, whoever made them.
inline std::vector<std::string> TempNamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (IsTempName(entry->d_name)) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

} // namespace Tandemix::Test
