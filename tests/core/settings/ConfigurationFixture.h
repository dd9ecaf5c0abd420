// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/StartUp.h"
#include "platform/FaultHook.h"
#include "platform/FileTimes.h"
#include "settings/ConfigLists.h"
#include "settings/Configuration.h"
#include "settings/DateRange.h"
#include "settings/OptionRules.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

// What the configuration tests share: a private program folder, a fixed "today" and a window's
// options away from every default.
namespace Tandemix::ConfigTest {

namespace fs = std::filesystem;

// The hand-made inputs beside the tests: tests/data/config/.
inline std::string DataFile(const std::string& name)
{
    // From the build, not from __FILE__: a compiler cache may have made that path relative.
    return std::string(TANDEMIX_TEST_DATA_DIR) + "/config/" + name;
}

inline std::string DataText(const std::string& name)
{
    std::ifstream in(DataFile(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::uint32_t Day(const char* masked)
{
    return ParseMaskedDate(masked).value();
}

using Tandemix::Test::ByName;
using Tandemix::Test::PrintTo;

class ConfigurationTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ClearFaults();
        EXPECT_TRUE(Host.Unexpected.empty()) << "unexpected question: " << Host.Unexpected.front().Text;
    }

    ConfigContext MakeContext(Options& opts)
    {
        return ConfigContext{
            .Opts = opts,
            .LoadingMarker = State.SourceFileListTag,
            .Tell = [this](std::string_view m) { State.GetHost().Ask(m, DialogButtons::Ok); },
            .ProgramFolder = Home.Folder(),
            .DefaultConfigPath = DefaultPath,
            .SourceFolder = "/srv/data",
            .TargetFolder = "/mnt/copy"};
    }

    // Custom.CFG: every option away from its default, in a combination the window could
    // produce, saved as this program saves it; its recovery folder lies in the program folder.
    std::string CustomText() const
    {
        std::string text = DataText("Custom.CFG");
        return text.replace(text.find("@HOME@"), 6, Home.Folder());
    }

    void LoadAll(ConfigContext& ctx, const std::string& file, bool isStartUp = true)
    {
        LoadConfiguration(ctx, file, isStartUp);
        (void)LoadAutomationOptions(ctx, file);
    }

    void PutDefault(const std::string& text) const { Home.Write(DefaultName, text); }

    static inline std::time_t Now = Tandemix::Test::LocalTime(2024, 3, 15);
    static constexpr const char* DefaultName = "TXDef.CFG";
    ScopedClock FixedClock{[] {
        return Now;
    }};

    Tandemix::Test::TempHome Home;
    Tandemix::Test::ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    std::string DefaultPath = Home.Path(DefaultName);
    ConfigContext Ctx = MakeContext(Opts);
};

} // namespace Tandemix::ConfigTest
