// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <string>
#include <vector>

namespace Tandemix {

// Starting other programs. No shell is ever involved: the path travels as one argv element, so
// blanks, quotes, ';' or "$(...)" in a file name are only characters. The started program is
// not waited for and leaves no zombie behind. Program names are looked up in PATH.

// Runs a regular executable file itself; anything else is handed to xdg-open.
// Fails: ENOENT (missing file, or no xdg-open for a non-executable one), EACCES, ENOEXEC.
SysStatus LaunchFile(const std::string& path);
// Shows a file: xdg-open when present; otherwise $VISUAL or $EDITOR (split on blanks, the path
// appended) inside x-terminal-emulator -e. ENOENT when nothing can show it.
SysStatus OpenInViewer(const std::string& path);

// How a program run to its end went.
struct ProgramRun
{
    int ExitStatus = -1; // the exit code; -1 when it was killed (a signal, the time ran out)
    bool TimedOut = false;
    std::string Output; // what it wrote to stdout and stderr, together
};

// Runs `argv` (argv[0] looked up in PATH, empty entries skipped) with `input` on its stdin and
// waits for it, at most `timeoutMs`; then it is killed. No shell. Fails: ENOENT when the program
// is not installed, and the errors of pipe, fork and exec.
SysResult<ProgramRun>
RunAndWait(const std::vector<std::string>& argv, const std::string& input, int timeoutMs);

} // namespace Tandemix
