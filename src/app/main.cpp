// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry. With a display the window opens; without one (cron, ssh) the same engine runs
// through the console host and Qt's GUI is never initialised.
#include "app/CommandHelp.h"
#include "app/Unattended.h"
#include "app/WindowModule.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

bool HasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0')
           || (platform != nullptr && platform[0] != '\0');
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (Tandemix::AnswerInfoRequest(argc, argv, stdout)) {
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (HasDisplay()) {
            return Tandemix::RunWindowModule(argc, argv);
        }
        return Tandemix::RunUnattended(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tandemix: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "tandemix: unexpected error\n");
    }
    return 70; // EX_SOFTWARE
}
