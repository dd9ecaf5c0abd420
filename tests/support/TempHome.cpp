// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Tandemix::Test {

TempHome::TempHome()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/txhome.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    FFolder = pattern + "/";
    if (const char* old = std::getenv("TANDEMIX_HOME")) {
        FHadHome = true;
        FOldHome = old;
    }
    setenv("TANDEMIX_HOME", FFolder.c_str(), 1);
}

TempHome::~TempHome()
{
    if (FHadHome) {
        setenv("TANDEMIX_HOME", FOldHome.c_str(), 1);
    } else {
        unsetenv("TANDEMIX_HOME");
    }
    std::error_code ignored;
    std::filesystem::permissions(FFolder, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(FFolder, ignored);
}

void TempHome::Write(const std::string& name, const std::string& content) const
{
    std::ofstream out(Path(name), std::ios::binary);
    out << content;
}

std::string TempHome::Read(const std::string& name) const
{
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace Tandemix::Test
