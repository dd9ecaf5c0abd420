// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "platform/AsciiText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Tandemix {

// The codes callers hand to ShowError; each picks the question's buttons and the answer given
// when messages are switched off. Any other code is shown with an OK button.
namespace ErrorCode {
constexpr int FileAccess = 2; // Abort / Ignore; silently Ignore
constexpr int AskContinue = 5; // Yes / Cancel with "Do you want to continue?"; silently Yes
constexpr int Notice = 15; // OK
constexpr int NetworkPath = 53; // OK, with the network error text instead of the message
constexpr int DiskFull = 101; // OK, or Yes / Cancel in the middle of a batch
constexpr int DiskFullRetry = 112; // Abort / Retry / Ignore; silently Cancel
constexpr int LogOnly = 2500; // never asks: logged and listed only
} // namespace ErrorCode

// The engine's one error prompt. Asks the host (unless DisplayMessages is off, when it answers
// by itself), then files the message in the log and the report's message list. Returns the
// dialog result number: 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
// UI thread only.
int ShowError(RunContext& ctx, std::string_view message, int code);

// The two forms a file problem takes: the log line ("Label: " then the path in at least ten
// characters) and the line of the report's message list (label in a 26-character column).
std::string ProblemLogLine(std::string_view label, std::string_view path);
std::string ProblemMessageLine(std::string_view label, std::string_view path);

} // namespace Tandemix
