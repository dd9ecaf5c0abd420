// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace Tandemix {

// The window lives in a module of its own (libtandemix_gui.so), loaded only when there is a
// display: an unattended run never pays for loading the toolkit's libraries.
inline constexpr const char* WindowModuleName = "libtandemix_gui.so";
inline constexpr const char* WindowModuleEntry = "TandemixRunWindowed";

// Loads the module from beside the executable (or the install's lib/tandemix folder) and runs
// the window. Says why on stderr and returns 70 when the module cannot be loaded.
int RunWindowModule(int argc, char** argv);

} // namespace Tandemix
