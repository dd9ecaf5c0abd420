// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartUp.h"

#include "support/CoreBundle.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

namespace fs = std::filesystem;

class StartUpTest : public ::testing::Test, public Test::CoreBundle
{
protected:
    Tandemix::Test::TempHome Home;
};

TEST_F(StartUpTest, FirstStartCopiesThePreviousConfigurationButNeverOverwrites)
{
    std::string path = PrepareDefaultConfig(Home.Folder());
    EXPECT_EQ(path, Home.Path(DefaultConfigName));
    EXPECT_FALSE(fs::exists(path)) << "no configuration at all is not an error";

    Home.Write(PreviousConfigName, "[Misc Options]\r\nCompile Date=July 23, 1997\r\n");
    EXPECT_EQ(PrepareDefaultConfig(Home.Folder()), path);
    EXPECT_EQ(Home.Read(DefaultConfigName), Home.Read(PreviousConfigName));
    EXPECT_TRUE(fs::exists(Home.Path(PreviousConfigName))); // the old file stays

    Home.Write(DefaultConfigName, "current");
    PrepareDefaultConfig(Home.Folder());
    EXPECT_EQ(Home.Read(DefaultConfigName), "current");
}

TEST_F(StartUpTest, StaleTempFolderIsRemovedSilentlyWithoutFollowingLinksAndNotRecreated)
{
    std::string temp = TempFolderFor(Home.Folder());
    EXPECT_EQ(temp, Home.Path(TempFolderName));
    fs::create_directories(temp + "/deep/er");
    Home.Write(std::string(TempFolderName) + "/deep/er/left.zip", "x");
    Home.Write(std::string(TempFolderName) + "/top.tmp", "y");
    fs::permissions(temp + "/top.tmp", fs::perms::owner_read); // read-only leftovers go too
    fs::create_directories(Home.Path("precious"));
    Home.Write("precious/keep.txt", "data"); // but nothing a link inside points to
    fs::create_directory_symlink(Home.Path("precious"), temp + "/link");

    Opts.DisplayMessages = true;
    PrepareTempFolder(temp, State, Opts);
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_EQ(Home.Read("precious/keep.txt"), "data");
    EXPECT_TRUE(Host.Questions.empty());
    EXPECT_EQ(std::tuple(Opts.DisplayMessages, State.SyncActive), std::tuple(true, false)) << "as before";

    // The next start finds none and creates it.
    PrepareTempFolder(temp, State, Opts);
    EXPECT_TRUE(fs::is_directory(temp));
}

TEST_F(StartUpTest, CustomTextIsReadLineByLine)
{
    EXPECT_FALSE(ReadCustomText(Home.Folder()).has_value());
    Home.Write(CustomTextName, "Site rules\r\nline two\nline three");
    EXPECT_EQ(ReadCustomText(Home.Folder()),
              (std::vector<std::string>{"Site rules", "line two", "line three"}));
}

} // namespace
} // namespace Tandemix
