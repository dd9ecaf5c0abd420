// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/ConfigurationFixture.h"
#include "settings/Configuration.h"
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace Tandemix::ConfigTest {
namespace {

// ---- Saving ---------------------------------------------------------------------------------

// Defaults.CFG is what a window left at every default saves: every key, in its order, with its
// value.
TEST_F(ConfigurationTest, SaveWritesEveryKeyInItsOrder)
{
    ASSERT_TRUE(SaveConfiguration(Ctx, DefaultPath).Saved);
    EXPECT_EQ(Home.Read(DefaultName), DataText("Defaults.CFG"));
}

// A load that dropped or misread a key, or a save that wrote one wrongly, changes the bytes.
TEST_F(ConfigurationTest, EveryOptionLoadsAndSavesBackToTheSameBytes)
{
    const std::string text = CustomText();
    PutDefault(text);
    LoadAll(Ctx, DefaultPath);
    EXPECT_TRUE(Host.Questions.empty());
    ASSERT_TRUE(SaveConfiguration(Ctx, Home.Path("Again.CFG")).Saved);
    EXPECT_EQ(Home.Read("Again.CFG"), text);
    // Values derived while loading.
    EXPECT_TRUE(Opts.ReplicateBypass());
    EXPECT_EQ(Opts.MonitorSourceDriveCheckTag, -33);
    EXPECT_EQ(Opts.CompressedExt, ".arc");
    EXPECT_TRUE(fs::is_directory(Home.Path("Recovered")));
}

// What is in force is saved: the range the labels show, a monitor that runs or is armed to
// start (tag -33), the extension a run uses and where the window could be seen.
TEST_F(ConfigurationTest, SaveWritesWhatIsInForce)
{
    SetCompressedFileExt(Opts, "");
    Opts.UseDateFrom = Day("05/05/21"); // typed, not applied
    Opts.DateFrom = Day("01/02/20");
    Opts.HomeLeft = 80;
    Ctx.ScreenWidth = 1920;
    const struct
    {
        int Left, SavedLeft;
        bool Monitor;
        int Tag;
    } rows[] = {{1920 + 500, 80, true, 0}, {1900, 1900, false, -33}, {0, 0, false, 0}};
    for (const auto& row : rows) {
        Opts.MainLeft = row.Left;
        Opts.MonitorSourceDriveCheck = row.Monitor;
        Opts.MonitorSourceDriveCheckTag = row.Tag;
        ASSERT_TRUE(SaveConfiguration(Ctx, DefaultPath).Saved);
        IniFile ini(DefaultPath);
        EXPECT_EQ(ini.ReadInteger("Application Options", "MainLeft", -1), row.SavedLeft);
        EXPECT_EQ(ini.ReadBool("Pro Options", "Real-Time Monitoring", false), row.Monitor || row.Tag != 0);
        EXPECT_EQ(ini.ReadInteger("File Options", "UseDateFrom", 0), static_cast<int>(Day("01/02/20")));
    }
    EXPECT_EQ(IniFile(DefaultPath).ReadString("Compression Options", "CompressedFileExt", "?"), "ZIP");
    EXPECT_EQ(Opts.CompressedExt, ".ZIP");
}

TEST_F(ConfigurationTest, AFailedWriteReportsTheFileAndKeepsWhatWasWrittenBefore)
{
    std::string path = Home.Path("Fault.CFG");
    ASSERT_TRUE(SaveConfiguration(Ctx, path).Saved);
    std::uintmax_t size = fs::file_size(path);

    // Two keys change; the file may be rewritten once more in full, not twice.
    Opts.ShowHint = true; // "Application Options"
    Opts.PoleSecs = "90"; // "Pro Options", written near the end
    SaveResult result;
    {
        ScopedFault fault({.Op = FaultOp::Write,
                           .Error = ENOSPC,
                           .PathContains = "Fault.CFG",
                           .AfterBytes = static_cast<std::int64_t>(size + size / 2)});
        result = SaveConfiguration(Ctx, path);
    }
    EXPECT_FALSE(result.Saved);
    EXPECT_EQ(result.Error, "Unable to write to " + path);
    IniFile ini(path);
    EXPECT_TRUE(ini.ReadBool("Application Options", "ShowHint", false));
    EXPECT_EQ(ini.ReadString("Pro Options", "Pole Source Every", ""), "0");
    EXPECT_EQ(ini.ReadString("Misc Options", "Compile Date", ""), "July 23, 1997");

    path = Home.Path("no such folder/TXDef.CFG");
    result = SaveConfiguration(Ctx, path);
    EXPECT_FALSE(result.Saved);
    EXPECT_EQ(result.Error, "Unable to write to " + path);
}

} // namespace
} // namespace Tandemix::ConfigTest
