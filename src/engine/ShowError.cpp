// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ShowError.h"

#include "engine/CopyMessages.h"

namespace Tandemix {

namespace {

constexpr std::size_t LogPathWidth = 10;
constexpr std::size_t MessageLabelWidth = 26;

struct Prompt
{
    bool Asks = true;
    std::string Text;
    DialogButtons Buttons = DialogButtons::Ok;
    DialogResult Silent = DialogResult::Ok; // the answer when messages are switched off
};

Prompt PromptFor(const RunContext& ctx, std::string_view message, int code)
{
    Prompt prompt;
    prompt.Text.assign(message);
    switch (code) {
    case ErrorCode::FileAccess:
        prompt.Buttons = DialogButtons::AbortIgnore;
        prompt.Silent = DialogResult::Ignore;
        break;
    case ErrorCode::AskContinue:
        prompt.Text.append("\n").append(CopyMsg::ContinueQuestion);
        prompt.Buttons = DialogButtons::YesCancel;
        prompt.Silent = DialogResult::Yes;
        break;
    case ErrorCode::NetworkPath:
        prompt.Text.assign(CopyMsg::NetworkPathError);
        break;
    case ErrorCode::DiskFull:
        // Only a batch with rows still to come has anything to go on with.
        if (ctx.Opts.RunBatchList && !ctx.Engine.LastBatchRow) {
            prompt.Text.assign(CopyMsg::DiskFullDrive)
                .append(message)
                .append("\n")
                .append(CopyMsg::ContinueBatch);
            prompt.Buttons = DialogButtons::YesCancel;
            prompt.Silent = DialogResult::Yes;
        }
        break;
    case ErrorCode::DiskFullRetry:
        prompt.Buttons = DialogButtons::AbortRetryIgnore;
        prompt.Silent = DialogResult::Cancel;
        break;
    case ErrorCode::LogOnly:
        prompt.Asks = false;
        break;
    default:
        break; // ErrorCode::Notice and every other code: the message with OK
    }
    return prompt;
}

} // namespace

int ShowError(RunContext& ctx, std::string_view message, int code)
{
    CursorShape before = ctx.Hst.CurrentCursorShape();
    if (ctx.Opts.DisplayMessages) {
        // A busy cursor over a question makes it look as if clicking would not be heard.
        ctx.Hst.SetCursorShape(CursorShape::Arrow);
    }

    Prompt prompt = PromptFor(ctx, message, code);
    DialogResult answer = prompt.Silent;
    if (!prompt.Asks) {
        answer = DialogResult::Ok;
    } else if (ctx.Opts.DisplayMessages) {
        ctx.Report.FlushLog();
        answer = ctx.Hst.Ask(prompt.Text, prompt.Buttons);
    }

    if (code == ErrorCode::DiskFull) {
        ctx.Report.WriteLogFile(std::string(CopyMsg::DiskFullLog).append(message), LogKind::FileError);
    } else if (code == ErrorCode::LogOnly) {
        ctx.Report.WriteLogFile(message, LogKind::FileError);
    }
    ctx.Report.AddMessage(message);

    ctx.Hst.SetCursorShape(before);
    return static_cast<int>(answer);
}

std::string ProblemLogLine(std::string_view label, std::string_view path)
{
    return std::string(label).append(" ").append(PadRight(path, LogPathWidth));
}

std::string ProblemMessageLine(std::string_view label, std::string_view path)
{
    return PadRight(label, MessageLabelWidth).append(path);
}

} // namespace Tandemix
