// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace Tandemix {

// Runs the command line with the console host: no window, no Qt. Returns the exit status
// scripts rely on (0 completed, 1 failed, 2 nothing to run, 3 stopped; see ExitStatus).
int RunUnattended(int argc, char** argv);

} // namespace Tandemix
