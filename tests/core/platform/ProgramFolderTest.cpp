// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFolder.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tandemix {
namespace {

bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class ProgramFolderTest : public testing::Test
{
protected:
    TempTree Tree;
};

TEST_F(ProgramFolderTest, TandemixHomeWinsIsCreatedAndIsNotCached)
{
    {
        ScopedEnv home("TANDEMIX_HOME", Tree.Path("home/nested"));
        EXPECT_EQ(ProgramFolder(), Tree.Path("home/nested") + "/");
        EXPECT_TRUE(IsFolder(Tree.Path("home/nested")));
        EXPECT_EQ(ProgramFolderFor("/usr/bin"), Tree.Path("home/nested") + "/");
    }
    ScopedEnv home("TANDEMIX_HOME", Tree.Root() + "/");
    EXPECT_EQ(ProgramFolder(), Tree.Root() + "/") << "the trailing slash is not doubled";
}

TEST_F(ProgramFolderTest, WritableExecutableFolderIsUsed)
{
    ScopedEnv home("TANDEMIX_HOME", std::nullopt);
    std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    std::string exeFolder = exe.substr(0, exe.rfind('/'));
    if (IsSystemFolder(exeFolder) || ::faccessat(AT_FDCWD, exeFolder.c_str(), W_OK, AT_EACCESS) != 0) {
        GTEST_SKIP() << "the tests run from a system or unwritable folder: " << exeFolder;
    }
    EXPECT_EQ(ProgramFolder(), exeFolder + "/");
    EXPECT_EQ(ProgramFolderFor(Tree.Root()), Tree.Root() + "/");
}

TEST_F(ProgramFolderTest, SystemOrUnwritableFolderFallsBackToTheUsersConfiguration)
{
    ScopedEnv home("TANDEMIX_HOME", std::nullopt);
    {
        ScopedEnv config("XDG_CONFIG_HOME", Tree.Path("cfg"));
        EXPECT_EQ(ProgramFolderFor("/usr/bin"), Tree.Path("cfg/tandemix/"));
        EXPECT_TRUE(IsFolder(Tree.Path("cfg/tandemix")));
        std::string readOnly = Tree.AddFolder("installed", 0555);
        ScopedNoDacOverride noOverride;
        if (noOverride.Active()) {
            EXPECT_EQ(ProgramFolderFor(readOnly), Tree.Path("cfg/tandemix/"));
        }
    }
    ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg"); // ignored
    ScopedEnv user("HOME", Tree.Path("user"));
    EXPECT_EQ(ProgramFolderFor("/opt/tandemix"), Tree.Path("user/.config/tandemix/"));
    EXPECT_TRUE(IsFolder(Tree.Path("user/.config/tandemix")));
}

TEST(IsSystemFolderTest, WholeComponents)
{
    for (const char* folder :
         {"/usr", "/usr/local/bin", "/bin", "/sbin", "/lib", "/lib64/x", "/opt/app", "/snap/a"}) {
        EXPECT_TRUE(IsSystemFolder(folder)) << folder;
    }
    for (const char* folder : {"/", "/home/u/apps", "/usr2", "/optical", "/binaries", "/tmp/usr", ""}) {
        EXPECT_FALSE(IsSystemFolder(folder)) << folder;
    }
}

} // namespace
} // namespace Tandemix
