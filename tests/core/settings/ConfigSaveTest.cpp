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

// Section and key names of a file in the order they appear, each followed by '|'.
std::string KeysInOrder(const std::string& text)
{
    std::string keys;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        std::string line = text.substr(pos, end - pos);
        pos = end == std::string::npos ? text.size() : end + 2;
        if (!line.empty()) {
            keys += (line.front() == '[' ? line : line.substr(0, line.find('='))) + "|";
        }
    }
    return keys;
}

TEST_F(ConfigurationTest, SaveWritesEveryKeyInItsOrder)
{
    ASSERT_TRUE(SaveConfiguration(Ctx, DefaultPath).Saved);
    EXPECT_EQ(KeysInOrder(Home.Read(DefaultName)),
              "[Misc Options]|Compile Date|Revision Code|Windows Version|"
              "[Compression Options]|Use Compression|CompressExpand|Compression Speed|CompressedFileExt|"
              "[Application Options]|MainLeft|MainTop|ReportLeft|ReportTop|ShowHint|MenuAutoPopup|"
              "ShowBottomMenu|ShowTopMenu|ExpandOptionsDisplay|SaveSettingsOnExit|RecoverDelFilesFolder|"
              "SortFileLists|DisplayMessages|"
              "[Report Options]|UseLogFile|ReportLogOverwrite|ReportPreLogOverwrite|ReportEmptyFolders|"
              "ReportUpdateFiles|ReportAddedFiles|ReportFileDate|ReportFileTime|ReportFileSize|"
              "ReportFileErrors|ReportAppErrors|ReportDirCreation|LogFileName|PreReportFileName|LogSize|"
              "UseReportForm|ListUnMatchedFiles|"
              "[File Options]|UseDatesFromTo|UseDateFrom|UseDateTo|TodayFrom|UseDatesNoDays|PastDaysCount|"
              "UseDatesAll|CheckNormal|CheckArchive|CheckReadOnly|CheckSystem|CheckHidden|IncludeString|"
              "CreateSubFolderOption|UpdateFilesOption|AddFilesOption|IncludeSubFolderOption|MaxFileSize|"
              "MinFileSize|DeleteUnmatched|DeleteUnmatchedWarningDelay|ReplicateFolders|Ignore Target Space|"
              "[Exclude File List]|0|[Include Filter List]|1|[Recent Folder List]|Recent Folder1|"
              "[Pro Options]|Real-Time Monitoring|Pre-Delete Unmatched Files|Reset File Archive Attrib|"
              "Pole Source|Pole Source Every|Sched Sync|Sched Sync Every|");

    IniFile ini(DefaultPath);
    EXPECT_EQ(ini.ReadString("Misc Options", "Compile Date", ""), "July 23, 1997");
    EXPECT_EQ(ini.ReadString("Misc Options", "Revision Code", ""), "2");
    EXPECT_EQ(ini.ReadString("Misc Options", "Windows Version", ""), "WinNT");
    EXPECT_EQ(ini.ReadString("Exclude File List", "0", ""), "_BLANK_");
    EXPECT_EQ(ini.ReadString("Recent Folder List", "Recent Folder1", ""), "/srv/data >> /mnt/copy");
    EXPECT_NE(Home.Read(DefaultName).find("\r\n"), std::string::npos);
}

TEST_F(ConfigurationTest, SaveLoadSaveGivesTheSameBytes)
{
    Options first = CustomOptions();
    ConfigContext firstCtx = MakeContext(first);
    ASSERT_TRUE(SaveConfiguration(firstCtx, DefaultPath).Saved);

    LoadAll(Ctx, DefaultPath);
    EXPECT_TRUE(Host.Questions.empty());
    ASSERT_TRUE(SaveConfiguration(Ctx, Home.Path("Again.CFG")).Saved);
    EXPECT_EQ(Home.Read("Again.CFG"), Home.Read(DefaultName));

    // Spot checks that the values went through the options, not only through the file.
    EXPECT_EQ(Opts.UseDateFrom, Day("02/01/21"));
    EXPECT_EQ(Opts.DateTo, Day("03/31/22"));
    EXPECT_TRUE(Opts.ReplicateBypass());
    EXPECT_EQ(Opts.MonitorSourceDriveCheckTag, -33);
    EXPECT_EQ(Opts.CompressedExt, ".arc");
    EXPECT_EQ(Opts.RecoverDelFilesFolder, Home.Path("Recovered/"));
    EXPECT_TRUE(fs::is_directory(Home.Path("Recovered")));
}

TEST_F(ConfigurationTest, AnEmptyExtensionIsSavedAsZipAndAWindowOffScreenAtItsHomePosition)
{
    SetCompressedFileExt(Opts, "");
    Opts.HomeLeft = 80;
    Ctx.ScreenWidth = 1920;
    for (auto [left, saved] : {std::pair{1920 + 500, 80}, {1900, 1900}}) {
        Opts.MainLeft = left;
        ASSERT_TRUE(SaveConfiguration(Ctx, DefaultPath).Saved);
        EXPECT_EQ(IniFile(DefaultPath).ReadInteger("Application Options", "MainLeft", 0), saved);
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
