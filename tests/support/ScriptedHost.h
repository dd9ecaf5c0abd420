// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Host.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Tandemix::Test {

// A host for tests: questions are answered from a queue filled in advance, and everything the
// engine shows is recorded. A question nobody expected gets the safest button (No, Cancel) and
// is recorded, so a fixture can fail on it.
class ScriptedHost : public Host
{
public:
    struct Question
    {
        std::string Text;
        DialogButtons Buttons;
        DialogResult Answer;
    };

    void QueueAnswer(DialogResult answer) { FAnswers.push_back(answer); }
    std::size_t UnusedAnswers() const { return FAnswers.size(); }

    // Runs inside ProcessMessages, as a click on a button would during a long operation.
    void OnNextPump(std::function<void()> action) { FPumpActions.push_back(std::move(action)); }

    std::vector<std::string> Statuses;
    std::vector<Question> Questions;
    std::vector<Question> Unexpected;
    std::vector<std::string> ElapsedTexts;
    std::vector<bool> ControlsEnabled;
    int PumpCount = 0;
    int RunsFinished = 0; // the end of a run, told once per run (the window relists its panes)
    bool StopEnabled = false;
    bool ElapsedTimerRunning = false;
    CursorShape Cursor = CursorShape::Default;

    void ShowStatus(std::string_view text) noexcept override { Statuses.emplace_back(text); }
    void SetCursorShape(CursorShape shape) noexcept override { Cursor = shape; }
    CursorShape CurrentCursorShape() const noexcept override { return Cursor; }
    void SetStopEnabled(bool enabled) noexcept override { StopEnabled = enabled; }
    void EnableControls(bool enable) noexcept override { ControlsEnabled.push_back(enable); }
    void SetElapsedTimerRunning(bool running) noexcept override { ElapsedTimerRunning = running; }
    void ShowElapsed(std::string_view text) noexcept override { ElapsedTexts.emplace_back(text); }
    void ProcessMessages() override;
    void RunFinished() noexcept override { ++RunsFinished; }
    DialogResult Ask(std::string_view text, DialogButtons buttons) override;

    std::string LastStatus() const { return Statuses.empty() ? std::string() : Statuses.back(); }
    std::string LastQuestion() const { return Questions.empty() ? std::string() : Questions.back().Text; }

private:
    std::deque<DialogResult> FAnswers;
    std::deque<std::function<void()>> FPumpActions;
};

} // namespace Tandemix::Test
