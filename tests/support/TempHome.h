// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace Tandemix::Test {

// A fresh program folder for one test: TANDEMIX_HOME points at it while the object lives, and
// it is removed with everything in it afterwards.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // With the trailing '/', as the program folder is always handed around.
    const std::string& Folder() const { return FFolder; }
    std::string Path(const std::string& name) const { return FFolder + name; }
    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;

private:
    std::string FFolder;
    std::string FOldHome;
    bool FHadHome = false;
};

} // namespace Tandemix::Test
