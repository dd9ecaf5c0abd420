// SPDX-License-Identifier: GPL-3.0-or-later
// A shared object under a zip library's name that exports no entry point.
extern "C" __attribute__((visibility("default"))) int NotAZipLibrary()
{
    return 0;
}
