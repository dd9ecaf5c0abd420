// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line parser: the words (split at NUL) searched for every switch, the countdown
// argument and the home-folder expansion.
#include "FuzzInput.h"
#include "automation/CommandLine.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tandemix;
    std::string_view text = Fuzz::Text(data, size);
    std::vector<std::string> args;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = std::min(text.find('\0', start), text.size());
        args.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (std::string_view word : {"AUTORUN", "MIN", "-C", "-S", "-R", "-D", "-W", "-)", "-O", "-I", ".SNC"}) {
        int at = FindParam(args, word);
        Fuzz::Require(at == -1 || (at >= 1 && at <= static_cast<int>(args.size())));
    }
    (void)SwitchWords(args);
    for (const std::string& arg : args) {
        (void)ParseDelayArg(arg);
        (void)ExpandHome(arg);
    }
    return 0;
}
