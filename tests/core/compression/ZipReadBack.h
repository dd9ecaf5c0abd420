// SPDX-License-Identifier: GPL-3.0-or-later
// Archives made and read back outside our code, by python3's zipfile.
#pragma once

#include "support/TempTree.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Tandemix::Test {

// Runs python3 with `script` and `args`: its standard output.
inline std::string Python(const std::string& script, const std::vector<std::string>& args)
{
    TempTree scratch;
    std::string command = "python3 '" + scratch.AddFile("s.py", script) + "'";
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"), ::pclose);
    std::array<char, 4096> buffer{};
    while (pipe != nullptr && std::fgets(buffer.data(), buffer.size(), pipe.get()) != nullptr) {
        out += buffer.data();
    }
    return out;
}

// The entry names, sorted, separated by blanks; empty when there is none or no archive to read.
inline std::string EntriesOf(const std::string& archive)
{
    return Python("import sys, zipfile\n"
                  "print(' '.join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())), end='')\n",
                  {archive});
}

// An archive holding each named entry (its content is its name), dated 2017-07-14 02:40.
inline void MakeArchive(const std::string& archive, const std::vector<std::string>& names)
{
    std::vector<std::string> args{archive};
    args.insert(args.end(), names.begin(), names.end());
    Python("import sys, zipfile\n"
           "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
           "    for n in sys.argv[2:]:\n"
           "        z.writestr(zipfile.ZipInfo(n, (2017, 7, 14, 2, 40, 0)), n)\n",
           args);
}

} // namespace Tandemix::Test
