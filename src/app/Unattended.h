// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace Tandemix {

// Exit statuses of a run without a display; scripts rely on them.
enum class ExitCode : int
{
    Completed = 0,
    Failed = 1,
    Usage = 2,
    Stopped = 3,
};

// Runs the command line with the console host: no window, no Qt.
int RunUnattended(int argc, char** argv);

} // namespace Tandemix
