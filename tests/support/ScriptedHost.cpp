// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedHost.h"

namespace Tandemix::Test {

namespace {

DialogResult SafestAnswer(DialogButtons buttons)
{
    switch (buttons) {
    case DialogButtons::Ok:
        return DialogResult::Ok;
    case DialogButtons::OkCancel:
    case DialogButtons::YesCancel:
        return DialogResult::Cancel;
    case DialogButtons::YesNo:
        return DialogResult::No;
    case DialogButtons::AbortIgnore:
    case DialogButtons::AbortRetryIgnore:
        return DialogResult::Abort;
    }
    return DialogResult::Cancel;
}

} // namespace

void ScriptedHost::ProcessMessages()
{
    ++PumpCount;
    if (!FPumpActions.empty()) {
        std::function<void()> action = std::move(FPumpActions.front());
        FPumpActions.pop_front();
        action();
    }
}

DialogResult ScriptedHost::Ask(std::string_view text, DialogButtons buttons)
{
    Question question{std::string(text), buttons, DialogResult::None};
    if (FAnswers.empty()) {
        question.Answer = SafestAnswer(buttons);
        Unexpected.push_back(question);
    } else {
        question.Answer = FAnswers.front();
        FAnswers.pop_front();
    }
    Questions.push_back(question);
    return question.Answer;
}

} // namespace Tandemix::Test
