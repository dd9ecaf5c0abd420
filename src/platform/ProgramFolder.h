// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// The folder holding the configuration, logs and password file, with a trailing '/':
// $TANDEMIX_HOME when set (created when missing); else the executable's folder when it is
// writable and not a system folder, so a portable copy keeps its files beside itself; else
// $XDG_CONFIG_HOME/tandemix/ (default ~/.config/tandemix/), created at the first call.
// Not cached: the environment is read on every call.
std::string ProgramFolder();
// The same choice for a given executable folder.
std::string ProgramFolderFor(const std::string& exeFolder);
std::string ExecutablePath(); // /proc/self/exe; empty when unreadable
// /usr, /bin, /sbin, /lib, /lib64, /opt, /snap or anything under them.
bool IsSystemFolder(std::string_view folder);
// Where a module of ours (the window, the zip libraries) may be, most likely first: beside the
// executable (a build folder, a portable copy), then the installed layout's private library
// folder, found relative to the executable so that an unpacked package works where it lies.
std::vector<std::string> ModuleCandidates(std::string_view name);

} // namespace Tandemix
