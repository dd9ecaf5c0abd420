// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Plain C++ on purpose: the program entry includes this without pulling Qt into the core.
namespace Tandemix {

// Creates the application and its windows in the program's fixed order and runs the event loop.
int RunWindowed(int argc, char** argv);

} // namespace Tandemix
