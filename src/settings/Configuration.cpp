// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Configuration.h"

#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "settings/ConfigKeys.h"
#include "settings/ConfigLists.h"
#include "settings/ConfigMessages.h"
#include "settings/DateRange.h"
#include "settings/IniFile.h"
#include "settings/LogNames.h"
#include "settings/OptionRules.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <type_traits>
#include <variant>

namespace Tandemix {

namespace {

constexpr int RevisionCodeWritten = 2;
// The platform family the file was written on. Linux stands where the NT family stood: a
// multi-user system with the same file times and attributes, so readers treat the file alike.
constexpr std::string_view WindowsVersionWritten = "WinNT";

// Start marker of the real-time monitor: the queue processor switches it on at its next check.
constexpr int MonitorStartMarker = -33;

// Loading markers of the run state: status messages are ignored while one is set.
constexpr int MarkerWhileCommandLine = 1;
constexpr int MarkerWhileLoading = 2;

// ---- The key table -------------------------------------------------------------------------

const ConfigKey& KeyOf(const KeyField& field)
{
    for (const ConfigKey& key : ConfigKeys) {
        if (key.Field == field) {
            return key;
        }
    }
    // Every option and derived key the loader asks for is in the table; a missing one is a
    // programming error the configuration tests catch at once.
    std::abort();
}

int DefaultNumber(const ConfigKey& key)
{
    int value = 0;
    std::from_chars(key.Default.data(), key.Default.data() + key.Default.size(), value);
    return value;
}

bool ReadSwitch(const IniFile& ini, const ConfigKey& key)
{
    return ini.ReadBool(key.Section, key.Name, key.Default == "1");
}

int ReadNumber(const IniFile& ini, const ConfigKey& key)
{
    return ini.ReadInteger(key.Section, key.Name, DefaultNumber(key));
}

std::string ReadText(const IniFile& ini, const ConfigKey& key)
{
    return ini.ReadString(key.Section, key.Name, key.Default);
}

// Reads every key of one load phase into its option.
void LoadKeys(Options& opts, const IniFile& ini, KeyLoad phase)
{
    for (const ConfigKey& key : ConfigKeys) {
        if (key.Load != phase) {
            continue;
        }
        std::visit(
            [&](auto field) {
                using Field = decltype(field);
                if constexpr (std::is_same_v<Field, bool Options::*>) {
                    opts.*field = ReadSwitch(ini, key);
                } else if constexpr (std::is_same_v<Field, int Options::*>) {
                    opts.*field = ReadNumber(ini, key);
                } else if constexpr (std::is_same_v<Field, std::string Options::*>) {
                    opts.*field = ReadText(ini, key);
                }
            },
            key.Field);
    }
}

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
    std::optional<std::uint32_t> from = StoredDate(ReadText(ini, KeyOf(Derived::DateFrom)));
    const ConfigKey& toKey = KeyOf(Derived::DateTo);
    std::optional<std::uint32_t> to =
        StoredDate(ini.ReadString(toKey.Section, toKey.Name, std::to_string(today)));
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
            ctx.Say(OldDatesWarning(now));
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
    bool fromTo = ReadSwitch(ini, KeyOf(Derived::DatesFromTo));
    bool noDays = ReadSwitch(ini, KeyOf(Derived::DatesNoDays));
    bool all = ReadSwitch(ini, KeyOf(Derived::DatesAll));

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
    opts.RecoverDelFilesFolder = AddTrailingBackslash(folder);
}

// A log that has outgrown the limit is deleted, so the next run starts it afresh. The log
// writer decides which file a configured name means (never one outside the program folder).
void DeleteOversizedLogs(const ConfigContext& ctx)
{
    for (const TrimmedLog& log : TrimLogsAtLoad(ctx.ProgramFolder, ctx.Opts)) {
        if (ctx.LogTrimmed) {
            ctx.LogTrimmed(log);
        }
    }
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

// The range is saved as in force (what the date labels show), not as typed into the edits.
void WriteDerived(ConfigContext& ctx, IniFile& ini, const ConfigKey& key, Derived which)
{
    Options& opts = ctx.Opts; // saving moves each list's selected entry to its front
    switch (which) {
    case Derived::CompileDate:
        ini.WriteString(key.Section, key.Name, Msg::CompileDateText);
        break;
    case Derived::RevisionCode:
        ini.WriteInteger(key.Section, key.Name, RevisionCodeWritten);
        break;
    case Derived::WindowsVersion:
        ini.WriteString(key.Section, key.Name, WindowsVersionWritten);
        break;
    case Derived::DatesFromTo:
        ini.WriteBool(key.Section, key.Name, opts.DatesMode == DateMode::FromTo);
        break;
    case Derived::DateFrom:
        ini.WriteString(key.Section,
                        key.Name,
                        std::to_string(opts.DateFrom == 0 ? PackedTimeFloor : opts.DateFrom));
        break;
    case Derived::DateTo:
        ini.WriteString(key.Section,
                        key.Name,
                        std::to_string(opts.DateTo == 0 ? TodayPacked(ctx.Now()) : opts.DateTo));
        break;
    case Derived::DatesNoDays:
        ini.WriteBool(key.Section, key.Name, opts.DatesMode == DateMode::NoDays);
        break;
    case Derived::DatesAll:
        ini.WriteBool(key.Section, key.Name, opts.DatesMode == DateMode::All);
        break;
    case Derived::Lists:
        WriteExcludeList(ini, opts.ExcludeHistory);
        WriteIncludeList(ini, opts.IncludeHistory);
        WriteBatchFileList(ini, opts.BatchFileLoadList);
        if (!ctx.SourceFolder.empty() && !ctx.TargetFolder.empty()) {
            RememberRecentPair(opts.RecentFolders, RecentPairText(ctx.SourceFolder, ctx.TargetFolder));
        }
        WriteRecentFolders(ini, opts.RecentFolders);
        break;
    case Derived::RealTimeMonitoring:
        // A monitor armed to start is on as far as the next start is concerned.
        ini.WriteBool(key.Section,
                      key.Name,
                      opts.MonitorSourceDriveCheck || opts.MonitorSourceDriveCheckTag == MonitorStartMarker);
        break;
    }
}

void SaveKeys(ConfigContext& ctx, IniFile& ini)
{
    const Options& opts = ctx.Opts;
    for (const ConfigKey& key : ConfigKeys) {
        std::visit(
            [&](auto field) {
                using Field = decltype(field);
                if constexpr (std::is_same_v<Field, Derived>) {
                    WriteDerived(ctx, ini, key, field);
                } else if constexpr (std::is_same_v<Field, bool Options::*>) {
                    ini.WriteBool(key.Section, key.Name, opts.*field);
                } else if constexpr (std::is_same_v<Field, int Options::*>) {
                    ini.WriteInteger(key.Section, key.Name, opts.*field);
                } else {
                    ini.WriteString(key.Section, key.Name, opts.*field);
                }
            },
            key.Field);
    }
}

// Puts the loading marker back to 0 however the load ends.
class LoadingMarker
{
public:
    LoadingMarker(int& tag, int marker)
        : FTag(tag)
    {
        FTag = marker;
    }
    ~LoadingMarker() { FTag = 0; }
    LoadingMarker(const LoadingMarker&) = delete;
    LoadingMarker& operator=(const LoadingMarker&) = delete;

private:
    int& FTag;
};

} // namespace

void LoadConfiguration(ConfigContext& ctx, const std::string& fileName, bool isStartUp)
{
    Options& opts = ctx.Opts;
    // One reading of the file per load: a file changed on disk is seen at the next load.
    const IniFile ini = IniFile::Snapshot(fileName);
    const bool isDefaultFile = fileName == ctx.DefaultConfigPath;
    const std::time_t now = ctx.Now();

    // Another file loaded later must not move the windows away from where the user left them.
    if (isStartUp && isDefaultFile) {
        for (int Options::*field :
             {&Options::MainLeft, &Options::MainTop, &Options::ReportLeft, &Options::ReportTop}) {
            opts.*field = ReadNumber(ini, KeyOf(field));
        }
        opts.HomeLeft = opts.MainLeft;
        opts.RevisionCode = ReadNumber(ini, KeyOf(Derived::RevisionCode));
    }
    LoadKeys(opts, ini, KeyLoad::Plain);
    LoadRecoveryFolder(opts, ReadText(ini, KeyOf(&Options::RecoverDelFilesFolder)));

    opts.CompressExpand = ChoiceIndex(ReadNumber(ini, KeyOf(&Options::CompressExpand)), 2);
    opts.CompressionSpeed = ChoiceIndex(ReadNumber(ini, KeyOf(&Options::CompressionSpeed)), 3);
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
    SetCompressedFileExt(opts, ReadText(ini, KeyOf(&Options::CompressedFileExt)));
    DeleteOversizedLogs(ctx);

    LoadDateEdits(ctx, ini, now);
    LoadDateMode(opts, ini, now);
    LoadLists(ctx, ini);
    LoadKeys(opts, ini, KeyLoad::AfterLists);
    SetDeleteUnmatched(opts, ReadSwitch(ini, KeyOf(&Options::DeleteUnmatched)));
    SetReplicateFolders(opts, opts.DeleteUnmatched && ReadSwitch(ini, KeyOf(&Options::ReplicateFolders)));

    opts.RecentFolders = ReadRecentFolders(ini);
}

RefusedTriggers LoadAutomationOptions(ConfigContext& ctx, const std::string& fileName)
{
    Options& opts = ctx.Opts;
    // One reading of the file per load: a file changed on disk is seen at the next load.
    const IniFile ini = IniFile::Snapshot(fileName);
    if (fileName == ctx.DefaultConfigPath) {
        opts.ShowBottomMenu = ChoiceIndex(ReadNumber(ini, KeyOf(&Options::ShowBottomMenu)), 5);
        opts.ShowTopMenu = ChoiceIndex(ReadNumber(ini, KeyOf(&Options::ShowTopMenu)), 3);
        opts.ExpandOptionsDisplay = ReadSwitch(ini, KeyOf(&Options::ExpandOptionsDisplay));
    }
    if (ReadSwitch(ini, KeyOf(Derived::RealTimeMonitoring))) {
        opts.MonitorSourceDriveCheckTag = MonitorStartMarker;
    }
    // "Pre-Delete" may say "on" with deletion of unmatched items off; taken as stored, as a
    // batch row's value is.
    LoadKeys(opts, ini, KeyLoad::Automation);

    RefusedTriggers refused;
    refused.Polling = !SetPoleEvery(opts, ReadSwitch(ini, KeyOf(&Options::PoleEvery)));
    refused.Schedule = !SetRunSyncSched(opts, ReadSwitch(ini, KeyOf(&Options::RunSyncSched)));
    return refused;
}

bool IsConfigurationFile(const std::string& fileName)
{
    const ConfigKey& key = KeyOf(Derived::CompileDate);
    return !IniFile(fileName).ReadString(key.Section, key.Name, "").empty();
}

bool LoadSettings(ConfigContext& ctx, const std::string& fileName, SettingsLoad how)
{
    if (how != SettingsLoad::DefaultSettings && !IsConfigurationFile(fileName)) {
        if (how == SettingsLoad::ChosenFile) {
            ctx.Say(Msg::UnrecognizableConfigFile);
        }
        return false;
    }
    bool fromCommandLine = how == SettingsLoad::ConfigSwitch;
    LoadingMarker marker(ctx.LoadingMarker, fromCommandLine ? MarkerWhileCommandLine : MarkerWhileLoading);
    LoadConfiguration(ctx, fileName, fromCommandLine);
    (void)LoadAutomationOptions(ctx, fileName);
    return true;
}

SaveResult SaveConfiguration(ConfigContext& ctx, const std::string& fileName)
{
    Options& opts = ctx.Opts;
    if (opts.CompressedFileExt.empty()) {
        SetCompressedFileExt(opts, KeyOf(&Options::CompressedFileExt).Default);
    }
    if (ctx.ScreenWidth > 0 && opts.MainLeft > ctx.ScreenWidth) {
        opts.MainLeft = opts.HomeLeft;
    }
    IniFile ini(fileName);
    try {
        SaveKeys(ctx, ini);
    } catch (const IniWriteError& error) {
        return {false, error.what()};
    }
    return {};
}

} // namespace Tandemix
