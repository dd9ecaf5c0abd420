// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace Tandemix {

// "--help" and "--version" as GNU programs answer them. Neither can be a folder argument (folders
// are absolute paths and a batch file names ".SNC"), so no stored command line changes meaning.
std::string_view HelpText();
std::string VersionText();

// When the first argument asks for help or the version: prints it to `out` and gives true.
bool AnswerInfoRequest(int argc, char** argv, std::FILE* out);

} // namespace Tandemix
