// SPDX-License-Identifier: GPL-3.0-or-later
// The entry point of the window module that the executable loads when there is a display.
#include "app/ui/WindowedMain.h"

extern "C" __attribute__((visibility("default"))) int TandemixRunWindowed(int argc, char** argv)
{
    return Tandemix::RunWindowed(argc, argv);
}
