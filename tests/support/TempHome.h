// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TempTree.h"

#include <fstream>
#include <sstream>
#include <string>

namespace Tandemix::Test {

// A fresh program folder for one test: TANDEMIX_HOME points at it while the object lives, and
// it is removed with everything in it afterwards.
class TempHome
{
public:
    // With the trailing '/', as the program folder is always handed around.
    const std::string& Folder() const { return FFolder; }
    std::string Path(const std::string& name) const { return FFolder + name; }
    void Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
    }
    // Empty when there is no such file.
    std::string Read(const std::string& name) const
    {
        std::ostringstream text;
        text << std::ifstream(Path(name), std::ios::binary).rdbuf();
        return text.str();
    }

private:
    TempTree FTree;
    std::string FFolder = FTree.Root() + "/";
    ScopedEnv FHome{"TANDEMIX_HOME", FFolder};
};

} // namespace Tandemix::Test
