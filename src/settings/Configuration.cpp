// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Configuration.h"

#include "engine/DateFilter.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "reporting/LogFile.h"
#include "settings/ConfigLists.h"
#include "settings/ConfigMessages.h"
#include "settings/IniFile.h"
#include "settings/OptionRules.h"

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace Tandemix {

namespace {

constexpr std::string_view MiscSection = "Misc Options";
constexpr std::string_view AppSection = "Application Options";
constexpr std::string_view CompressionSection = "Compression Options";
constexpr std::string_view ReportSection = "Report Options";
constexpr std::string_view FileSection = "File Options";
constexpr std::string_view ProSection = "Pro Options";

constexpr std::string_view CompileDateKey = "Compile Date";
constexpr int RevisionCodeWritten = 2;
// The platform family the file was written on. Linux stands where the NT family stood: a
// multi-user system with the same file times and attributes, so readers treat the file alike.
constexpr std::string_view WindowsVersionWritten = "WinNT";
constexpr std::string_view DefaultCompressedExt = "ZIP";

// Start marker of the real-time monitor: the queue processor switches it on at its next check.
constexpr int MonitorStartMarker = -33;

// Loading markers of the run state: status messages are ignored while one is set.
constexpr int MarkerWhileCommandLine = 1;
constexpr int MarkerWhileLoading = 2;

// An index into a fixed set of choices; anything else picks the first.
int ChoiceIndex(int value, int count)
{
    return value >= 0 && value < count ? value : 0;
}

// A date of the range as stored: a packed date-time written as an integer. Older releases wrote
// the signed 32-bit value, so negative numbers are the same bit patterns as large unsigned ones.
// Anything else, text dates of still older releases included, is not one.
std::optional<std::uint32_t> StoredDate(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t value = 0;
        const char* end = text.data() + text.size();
        auto [ptr, error] = std::from_chars(text.data() + 2, end, value, 16);
        return error == std::errc{} && ptr == end ? std::optional<std::uint32_t>(value) : std::nullopt;
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || error != std::errc{} || ptr != end || value < INT32_MIN || value > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// The date as the date edit shows and reads it back ("mm/dd/yy"): nothing when it is no date.
std::optional<std::uint32_t> AsEditDate(std::uint32_t packed)
{
    return ParseMaskedDate(MaskedDateText(packed));
}

std::string OldDatesWarning(std::time_t now)
{
    std::string text(Msg::OldDatesParagraph1);
    text.append("\n\n")
        .append(Msg::OldDatesParagraph2Start)
        .append(ShortDateText(UnpackFileTime(PackedTimeFloor)))
        .append(Msg::OldDatesParagraph2Middle)
        .append(ShortDateText(now))
        .append(Msg::OldDatesParagraph2End)
        .append("\n\n")
        .append(Msg::OldDatesParagraph3);
    return text;
}

// The two dates the user entered for a From/To range.
void LoadDateEdits(ConfigContext& ctx, const IniFile& ini, std::time_t now)
{
    Options& opts = ctx.Opts;
    const std::uint32_t today = TodayPacked(now);
    std::optional<std::uint32_t> from = StoredDate(ini.ReadString(FileSection, "UseDateFrom", "2162688"));
    std::optional<std::uint32_t> to =
        StoredDate(ini.ReadString(FileSection, "UseDateTo", std::to_string(today)));
    if (from && *from == 0) {
        from = PackedTimeFloor;
    }
    if (to && *to == 0) {
        to = today;
    }
    // Plain values rather than optionals: GCC 12's optimiser misreads the optional here.
    std::uint32_t fromDay = PackedTimeFloor;
    std::uint32_t toDay = today;
    bool valid = false;
    if (from && to) {
        std::optional<std::uint32_t> fromEdit = AsEditDate(*from);
        std::optional<std::uint32_t> toEdit = AsEditDate(*to);
        if (fromEdit.has_value() && toEdit.has_value()) {
            fromDay = fromEdit.value();
            toDay = toEdit.value();
            valid = true;
        }
    }
    if (!valid) {
        // The mode counts as it was before this load: a range in use is about to change.
        if (opts.DatesMode == DateMode::FromTo) {
            ctx.State.GetHost().Ask(OldDatesWarning(now), DialogButtons::Ok);
        }
        fromDay = PackedTimeFloor;
        toDay = today;
    }
    UseDateFromChange(opts, MaskedDateText(fromDay), now);
    UseDateToChange(opts, MaskedDateText(toDay), now);
}

// The radio buttons are set in the file's order, each one set clearing the others, so the last
// one set wins; with none set "All" applies. The selected mode then derives the range.
void LoadDateMode(Options& opts, const IniFile& ini, std::time_t now)
{
    bool fromTo = ini.ReadBool(FileSection, "UseDatesFromTo", false);
    opts.TodayFrom = ini.ReadBool(FileSection, "TodayFrom", false);
    bool noDays = ini.ReadBool(FileSection, "UseDatesNoDays", false);
    opts.PastDaysCount = ini.ReadString(FileSection, "PastDaysCount", "3");
    bool all = ini.ReadBool(FileSection, "UseDatesAll", true);

    if (!all && !noDays && fromTo) {
        opts.DatesMode = DateMode::FromTo;
        opts.DateFrom = opts.UseDateFrom;
        opts.DateTo = opts.UseDateTo;
        SetSyncDateLabel(opts, now);
    } else if (!all && noDays) {
        UseDatesNoDaysClick(opts, now);
    } else {
        UseDatesAllClick(opts, now);
    }
    opts.TodayFrom = opts.DatesMode == DateMode::FromTo;
}

void LoadRecoveryFolder(Options& opts, const std::string& folder)
{
    opts.RecoverDelFilesFolder = folder;
    if (folder.empty()) {
        return;
    }
    if (!FolderExists(folder)) {
        (void)CreateFolder(folder); // without it, deleted files are simply erased
    }
    opts.RecoverDelFilesFolder = AddTrailingSlash(folder);
}

// A log that has outgrown the limit is deleted, so the next run starts it afresh. The log
// writer decides which file a configured name means (never one outside the program folder).
void DeleteOversizedLogs(const ConfigContext& ctx)
{
    TrimLogsAtLoad(ctx.ProgramFolder, LogSettingsFrom(ctx.Opts));
}

void LoadReportOptions(Options& opts, const IniFile& ini)
{
    opts.UseLogFile = ini.ReadBool(ReportSection, "UseLogFile", true);
    opts.ReportLogOverwrite = ini.ReadBool(ReportSection, "ReportLogOverwrite", false);
    opts.ReportPreLogOverwrite = ini.ReadBool(ReportSection, "ReportPreLogOverwrite", false);
    opts.ReportEmptyFoldersCheck = ini.ReadBool(ReportSection, "ReportEmptyFolders", true);
    opts.ReportUpdateFilesCheck = ini.ReadBool(ReportSection, "ReportUpdateFiles", true);
    opts.ReportAddedFilesCheck = ini.ReadBool(ReportSection, "ReportAddedFiles", true);
    opts.ReportFileDateCheck = ini.ReadBool(ReportSection, "ReportFileDate", true);
    opts.ReportFileTimeCheck = ini.ReadBool(ReportSection, "ReportFileTime", true);
    opts.ReportFileSizeCheck = ini.ReadBool(ReportSection, "ReportFileSize", true);
    opts.ReportFileErrorsCheck = ini.ReadBool(ReportSection, "ReportFileErrors", true);
    opts.ReportAppErrorsCheck = ini.ReadBool(ReportSection, "ReportAppErrors", true);
    opts.ReportDirectoryCreationCheck = ini.ReadBool(ReportSection, "ReportDirCreation", true);
    opts.LogFileName = ini.ReadString(ReportSection, "LogFileName", "Tandemix.Log");
    opts.PreReportFileName = ini.ReadString(ReportSection, "PreReportFileName", "PreSync.Log");
    opts.LogSize = ini.ReadInteger(ReportSection, "LogSize", 32000);
    opts.UseReportForm = ini.ReadBool(ReportSection, "UseReportForm", true);
    opts.ListUnMatchedFiles = ini.ReadBool(ReportSection, "ListUnMatchedFiles", false);
}

void LoadFileSelection(Options& opts, const IniFile& ini)
{
    opts.CheckNormal = ini.ReadBool(FileSection, "CheckNormal", true);
    opts.CheckArchive = ini.ReadBool(FileSection, "CheckArchive", true);
    opts.CheckReadOnly = ini.ReadBool(FileSection, "CheckReadOnly", true);
    opts.CheckSystem = ini.ReadBool(FileSection, "CheckSystem", true);
    opts.CheckHidden = ini.ReadBool(FileSection, "CheckHidden", true);
    opts.CreateSubFolderOption = ini.ReadBool(FileSection, "CreateSubFolderOption", true);
    opts.UpdateFilesOption = ini.ReadBool(FileSection, "UpdateFilesOption", true);
    opts.AddFilesOption = ini.ReadBool(FileSection, "AddFilesOption", true);
    opts.IncludeSubFolderOption = ini.ReadBool(FileSection, "IncludeSubFolderOption", true);
    opts.MaxFileSize = ini.ReadString(FileSection, "MaxFileSize", "0");
    opts.MinFileSize = ini.ReadString(FileSection, "MinFileSize", "0");
}

void LoadLists(ConfigContext& ctx, const IniFile& ini)
{
    Options& opts = ctx.Opts;
    opts.BatchFileLoadList = ReadBatchFileList(ini);
    SelectableList& batch = opts.BatchFileLoadList;
    // Applying row 1 of a reopened list may change options; the keys read after this overrule it.
    if (ctx.ReopenBatchList && ctx.ReopenBatchList(batch.Items.front())) {
        batch.ItemIndex = 0;
    } else {
        batch.ItemIndex = 0;
        while (!batch.Items[static_cast<std::size_t>(batch.ItemIndex)].empty()) {
            ++batch.ItemIndex;
        }
    }

    opts.ExcludeHistory = ReadExcludeList(ini);
    opts.ExcludeString = opts.ExcludeHistory.Items.front();
    if (ctx.ExcludeStringChanged) {
        ctx.ExcludeStringChanged();
    }
    opts.IncludeHistory = ReadIncludeList(ini);
    opts.IncludeString = opts.IncludeHistory.Items.front();
}

void WriteApplicationOptions(IniFile& ini, const Options& opts)
{
    ini.WriteInteger(AppSection, "MainLeft", opts.MainLeft);
    ini.WriteInteger(AppSection, "MainTop", opts.MainTop);
    ini.WriteInteger(AppSection, "ReportLeft", opts.ReportLeft);
    ini.WriteInteger(AppSection, "ReportTop", opts.ReportTop);
    ini.WriteBool(AppSection, "ShowHint", opts.ShowHint);
    ini.WriteBool(AppSection, "MenuAutoPopup", opts.MenuAutoPopup);
    ini.WriteInteger(AppSection, "ShowBottomMenu", opts.ShowBottomMenu);
    ini.WriteInteger(AppSection, "ShowTopMenu", opts.ShowTopMenu);
    ini.WriteBool(AppSection, "ExpandOptionsDisplay", opts.ExpandOptionsDisplay);
    ini.WriteBool(AppSection, "SaveSettingsOnExit", opts.SaveSettingsOnExit);
    ini.WriteString(AppSection, "RecoverDelFilesFolder", opts.RecoverDelFilesFolder);
    ini.WriteBool(AppSection, "SortFileLists", opts.SortFileLists);
    ini.WriteBool(AppSection, "DisplayMessages", opts.DisplayMessages);
}

void WriteReportOptions(IniFile& ini, const Options& opts)
{
    ini.WriteBool(ReportSection, "UseLogFile", opts.UseLogFile);
    ini.WriteBool(ReportSection, "ReportLogOverwrite", opts.ReportLogOverwrite);
    ini.WriteBool(ReportSection, "ReportPreLogOverwrite", opts.ReportPreLogOverwrite);
    ini.WriteBool(ReportSection, "ReportEmptyFolders", opts.ReportEmptyFoldersCheck);
    ini.WriteBool(ReportSection, "ReportUpdateFiles", opts.ReportUpdateFilesCheck);
    ini.WriteBool(ReportSection, "ReportAddedFiles", opts.ReportAddedFilesCheck);
    ini.WriteBool(ReportSection, "ReportFileDate", opts.ReportFileDateCheck);
    ini.WriteBool(ReportSection, "ReportFileTime", opts.ReportFileTimeCheck);
    ini.WriteBool(ReportSection, "ReportFileSize", opts.ReportFileSizeCheck);
    ini.WriteBool(ReportSection, "ReportFileErrors", opts.ReportFileErrorsCheck);
    ini.WriteBool(ReportSection, "ReportAppErrors", opts.ReportAppErrorsCheck);
    ini.WriteBool(ReportSection, "ReportDirCreation", opts.ReportDirectoryCreationCheck);
    ini.WriteString(ReportSection, "LogFileName", opts.LogFileName);
    ini.WriteString(ReportSection, "PreReportFileName", opts.PreReportFileName);
    ini.WriteInteger(ReportSection, "LogSize", opts.LogSize);
    ini.WriteBool(ReportSection, "UseReportForm", opts.UseReportForm);
    ini.WriteBool(ReportSection, "ListUnMatchedFiles", opts.ListUnMatchedFiles);
}

// The range is saved as in force (what the date labels show), not as typed into the edits.
void WriteFileOptions(IniFile& ini, const Options& opts, std::time_t now)
{
    std::uint32_t from = opts.DateFrom == 0 ? PackedTimeFloor : opts.DateFrom;
    std::uint32_t to = opts.DateTo == 0 ? TodayPacked(now) : opts.DateTo;
    ini.WriteBool(FileSection, "UseDatesFromTo", opts.DatesMode == DateMode::FromTo);
    ini.WriteString(FileSection, "UseDateFrom", std::to_string(from));
    ini.WriteString(FileSection, "UseDateTo", std::to_string(to));
    ini.WriteBool(FileSection, "TodayFrom", opts.TodayFrom);
    ini.WriteBool(FileSection, "UseDatesNoDays", opts.DatesMode == DateMode::NoDays);
    ini.WriteString(FileSection, "PastDaysCount", opts.PastDaysCount);
    ini.WriteBool(FileSection, "UseDatesAll", opts.DatesMode == DateMode::All);
    ini.WriteBool(FileSection, "CheckNormal", opts.CheckNormal);
    ini.WriteBool(FileSection, "CheckArchive", opts.CheckArchive);
    ini.WriteBool(FileSection, "CheckReadOnly", opts.CheckReadOnly);
    ini.WriteBool(FileSection, "CheckSystem", opts.CheckSystem);
    ini.WriteBool(FileSection, "CheckHidden", opts.CheckHidden);
    ini.WriteString(FileSection, "IncludeString", opts.IncludeString);
    ini.WriteBool(FileSection, "CreateSubFolderOption", opts.CreateSubFolderOption);
    ini.WriteBool(FileSection, "UpdateFilesOption", opts.UpdateFilesOption);
    ini.WriteBool(FileSection, "AddFilesOption", opts.AddFilesOption);
    ini.WriteBool(FileSection, "IncludeSubFolderOption", opts.IncludeSubFolderOption);
    ini.WriteString(FileSection, "MaxFileSize", opts.MaxFileSize);
    ini.WriteString(FileSection, "MinFileSize", opts.MinFileSize);
    ini.WriteBool(FileSection, "DeleteUnmatched", opts.DeleteUnmatched);
    ini.WriteInteger(FileSection, "DeleteUnmatchedWarningDelay", opts.DeleteUnmatchedWarningDelay);
    ini.WriteBool(FileSection, "ReplicateFolders", opts.ReplicateFolders);
}

void WriteProOptions(IniFile& ini, const Options& opts)
{
    // A monitor armed to start is on as far as the next start is concerned.
    bool monitoring = opts.MonitorSourceDriveCheck || opts.MonitorSourceDriveCheckTag == MonitorStartMarker;
    ini.WriteBool(ProSection, "Real-Time Monitoring", monitoring);
    ini.WriteBool(ProSection, "Pre-Delete Unmatched Files", opts.DeleteUnMatchPriorToSync);
    ini.WriteBool(ProSection, "Reset File Archive Attrib", opts.CheckResetArchive);
    ini.WriteBool(ProSection, "Pole Source", opts.PoleEvery);
    ini.WriteString(ProSection, "Pole Source Every", opts.PoleSecs);
    ini.WriteBool(ProSection, "Sched Sync", opts.RunSyncSched);
    ini.WriteString(ProSection, "Sched Sync Every", opts.RunSyncEveryMin);
    ini.WriteBool(FileSection, "Ignore Target Space", opts.IgnoreTargetSpace);
}

// Puts the loading marker back to 0 however the load ends.
class LoadingMarker
{
public:
    LoadingMarker(RunState& state, int marker)
        : FState(state)
    {
        FState.SourceFileListTag = marker;
    }
    ~LoadingMarker() { FState.SourceFileListTag = 0; }
    LoadingMarker(const LoadingMarker&) = delete;
    LoadingMarker& operator=(const LoadingMarker&) = delete;

private:
    RunState& FState;
};

} // namespace

void LoadConfiguration(ConfigContext& ctx, const std::string& fileName, bool isStartUp)
{
    Options& opts = ctx.Opts;
    const IniFile ini(fileName);
    const bool isDefaultFile = fileName == ctx.DefaultConfigPath;
    const std::time_t now = ctx.Now();

    // Another file loaded later must not move the windows away from where the user left them.
    if (isStartUp && isDefaultFile) {
        opts.MainLeft = ini.ReadInteger(AppSection, "MainLeft", 50);
        opts.HomeLeft = opts.MainLeft;
        opts.MainTop = ini.ReadInteger(AppSection, "MainTop", 100);
        opts.ReportLeft = ini.ReadInteger(AppSection, "ReportLeft", 50);
        opts.ReportTop = ini.ReadInteger(AppSection, "ReportTop", 100);
        opts.RevisionCode = ini.ReadInteger(MiscSection, "Revision Code", 0);
    }
    opts.ShowHint = ini.ReadBool(AppSection, "ShowHint", false);
    opts.MenuAutoPopup = ini.ReadBool(AppSection, "MenuAutoPopup", true);
    opts.SaveSettingsOnExit = ini.ReadBool(AppSection, "SaveSettingsOnExit", true);
    opts.DisplayMessages = ini.ReadBool(AppSection, "DisplayMessages", true);
    LoadRecoveryFolder(opts, ini.ReadString(AppSection, "RecoverDelFilesFolder", ""));

    opts.UseCompression = ini.ReadBool(CompressionSection, "Use Compression", false);
    opts.CompressExpand = ChoiceIndex(ini.ReadInteger(CompressionSection, "CompressExpand", 0), 2);
    opts.CompressionSpeed = ChoiceIndex(ini.ReadInteger(CompressionSection, "Compression Speed", 0), 3);
    // The passwords belong to this installation, not to a settings file passed around.
    if (isDefaultFile) {
        if (ctx.Passwords != nullptr) {
            if (auto passwords = ctx.Passwords->ReadPasswords(ctx.ProgramFolder)) {
                opts.PassWordName = passwords->first;
                opts.AdminPassWord = passwords->second;
            }
        }
        opts.SavePasswordEnabled = false;
    }
    SetCompressedFileExt(opts, ini.ReadString(CompressionSection, "CompressedFileExt", DefaultCompressedExt));

    LoadReportOptions(opts, ini);
    DeleteOversizedLogs(ctx);

    LoadDateEdits(ctx, ini, now);
    LoadDateMode(opts, ini, now);
    LoadFileSelection(opts, ini);
    LoadLists(ctx, ini);
    opts.SortFileLists = ini.ReadBool(AppSection, "SortFileLists", false);

    SetDeleteUnmatched(opts, ini.ReadBool(FileSection, "DeleteUnmatched", false));
    opts.DeleteUnmatchedWarningDelay = ini.ReadInteger(FileSection, "DeleteUnmatchedWarningDelay", 10);
    SetReplicateFolders(opts, opts.DeleteUnmatched && ini.ReadBool(FileSection, "ReplicateFolders", false));

    opts.RecentFolders = ReadRecentFolders(ini);
}

RefusedTriggers LoadAutomationOptions(ConfigContext& ctx, const std::string& fileName)
{
    Options& opts = ctx.Opts;
    const IniFile ini(fileName);
    if (fileName == ctx.DefaultConfigPath) {
        opts.ShowBottomMenu = ChoiceIndex(ini.ReadInteger(AppSection, "ShowBottomMenu", 0), 5);
        opts.ShowTopMenu = ChoiceIndex(ini.ReadInteger(AppSection, "ShowTopMenu", 0), 3);
        opts.ExpandOptionsDisplay = ini.ReadBool(AppSection, "ExpandOptionsDisplay", false);
    }
    if (ini.ReadBool(ProSection, "Real-Time Monitoring", false)) {
        opts.MonitorSourceDriveCheckTag = MonitorStartMarker;
    }
    // A file may say "on" here with deletion of unmatched items off; taken as stored, as a
    // batch row's value is.
    opts.DeleteUnMatchPriorToSync = ini.ReadBool(ProSection, "Pre-Delete Unmatched Files", false);
    opts.CheckResetArchive = ini.ReadBool(ProSection, "Reset File Archive Attrib", false);

    RefusedTriggers refused;
    opts.PoleSecs = ini.ReadString(ProSection, "Pole Source Every", "0");
    refused.Polling = !SetPoleEvery(opts, ini.ReadBool(ProSection, "Pole Source", false));
    opts.RunSyncEveryMin = ini.ReadString(ProSection, "Sched Sync Every", "0");
    refused.Schedule = !SetRunSyncSched(opts, ini.ReadBool(ProSection, "Sched Sync", false));

    opts.IgnoreTargetSpace = ini.ReadBool(FileSection, "Ignore Target Space", false);
    return refused;
}

bool IsConfigurationFile(const std::string& fileName)
{
    return !IniFile(fileName).ReadString(MiscSection, CompileDateKey, "").empty();
}

bool LoadSettings(ConfigContext& ctx, const std::string& fileName, SettingsLoad how)
{
    if (how != SettingsLoad::DefaultSettings && !IsConfigurationFile(fileName)) {
        if (how == SettingsLoad::ChosenFile) {
            ctx.State.GetHost().Ask(Msg::UnrecognizableConfigFile, DialogButtons::Ok);
        }
        return false;
    }
    bool fromCommandLine = how == SettingsLoad::ConfigSwitch;
    LoadingMarker marker(ctx.State, fromCommandLine ? MarkerWhileCommandLine : MarkerWhileLoading);
    LoadConfiguration(ctx, fileName, fromCommandLine);
    (void)LoadAutomationOptions(ctx, fileName);
    return true;
}

SaveResult SaveConfiguration(ConfigContext& ctx, const std::string& fileName)
{
    Options& opts = ctx.Opts;
    IniFile ini(fileName);
    try {
        ini.WriteString(MiscSection, CompileDateKey, Msg::CompileDateText);
        ini.WriteInteger(MiscSection, "Revision Code", RevisionCodeWritten);
        ini.WriteString(MiscSection, "Windows Version", WindowsVersionWritten);

        if (opts.CompressedFileExt.empty()) {
            SetCompressedFileExt(opts, DefaultCompressedExt);
        }
        ini.WriteBool(CompressionSection, "Use Compression", opts.UseCompression);
        ini.WriteInteger(CompressionSection, "CompressExpand", opts.CompressExpand);
        ini.WriteInteger(CompressionSection, "Compression Speed", opts.CompressionSpeed);
        ini.WriteString(CompressionSection, "CompressedFileExt", opts.CompressedFileExt);

        if (ctx.ScreenWidth > 0 && opts.MainLeft > ctx.ScreenWidth) {
            opts.MainLeft = opts.HomeLeft;
        }
        WriteApplicationOptions(ini, opts);
        WriteReportOptions(ini, opts);
        WriteFileOptions(ini, opts, ctx.Now());

        WriteExcludeList(ini, opts.ExcludeHistory);
        WriteIncludeList(ini, opts.IncludeHistory);
        WriteBatchFileList(ini, opts.BatchFileLoadList);
        if (!ctx.SourceFolder.empty() && !ctx.TargetFolder.empty()) {
            RememberRecentPair(opts.RecentFolders, RecentPairText(ctx.SourceFolder, ctx.TargetFolder));
        }
        WriteRecentFolders(ini, opts.RecentFolders);

        WriteProOptions(ini, opts);
    } catch (const IniWriteError& error) {
        return {false, error.what()};
    }
    return {};
}

} // namespace Tandemix
