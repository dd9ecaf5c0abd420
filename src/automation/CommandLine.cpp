// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/CommandLine.h"

#include "automation/CommandLineMessages.h"
#include "engine/Messages.h"
#include "platform/AsciiText.h"
#include "platform/FileOps.h"
#include "settings/OptionRules.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <optional>

namespace Tandemix {

namespace {

// A configuration file name and a switch's number are cut there, as they always were.
constexpr std::size_t MaxSwitchText = 50;
constexpr std::size_t MaxDelayDigits = 5;
constexpr int MaxSettleArg = 25;
constexpr int MonitorStartMarker = -33; // the monitor starts at the next tick of the queue timer

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The characters from `from` on that are not letters, at most `limit` of them: "S3O" gives "3".
std::string NonLetters(std::string_view text, std::size_t from, std::size_t limit)
{
    std::string kept;
    for (std::size_t i = from; i < text.size() && kept.size() < limit; ++i) {
        if (!IsLetter(text[i])) {
            kept += text[i];
        }
    }
    return kept;
}

// An optional sign and decimal digits, nothing else, within int range.
bool IsCompleteInteger(std::string_view text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) {
        return false;
    }
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() && value <= INT_MAX;
}

// A switch's number, blanks around it allowed; nothing when the text is not a whole number.
std::optional<int> SwitchNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (!IsCompleteInteger(text)) {
        return std::nullopt;
    }
    bool negative = text.front() == '-';
    if (text.front() == '+' || negative) {
        text.remove_prefix(1);
    }
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return negative ? -value : value;
}

bool IsAbsolute(std::string_view path)
{
    return !path.empty() && path.front() == '/';
}

// Loads the settings file a "-C:file" switch names. The problem, for the user, when it names a
// file that cannot be read or is not a settings file; empty otherwise.
std::string ApplyConfigFile(ConfigContext& cfg, SwitchActions& actions, std::string_view switchText)
{
    std::size_t colon = switchText.find(':');
    if (colon == std::string_view::npos) {
        return {};
    }
    // Case is kept: the upper-cased switch only chooses the letter. The whole path counts: a
    // cut one would name another file, and the run would go on with the wrong settings.
    std::string file(switchText.substr(colon + 1));
    if (CharacterCount(file) <= 2) {
        return {};
    }
    if (file.find('/') == std::string::npos) {
        file = AddTrailingBackslash(cfg.ProgramFolder) + file;
    } else {
        file = ExpandHome(file);
    }
    if (!LoadSettings(cfg, file, SettingsLoad::ConfigSwitch)) {
        return std::string(Msg::SettingsFileNotLoaded) + file;
    }
    actions.OptionsLoaded();
    return {};
}

// What the leading arguments name: a batch file, or a source folder and perhaps a target.
struct NamedWork
{
    std::string BatchFile;
    std::string Source;
    std::string Target;
    std::string TargetProblem; // the second argument looked like a target but is no folder
    std::string Problem; // the first argument names nothing that can run
};

NamedWork ReadLeadingArguments(const ConfigContext& cfg, const std::vector<std::string>& args)
{
    NamedWork named;
    const std::string& first = args.front();
    if (UpperAscii(first).find(".SNC") != std::string::npos) {
        std::string path = ExpandHome(first);
        if (!IsAbsolute(path)) {
            path = AddTrailingBackslash(cfg.ProgramFolder) + path;
        }
        if (FileExists(path)) {
            named.BatchFile = path;
        } else {
            named.Problem = std::string(Msg::BatchFileMissing) + path;
        }
        return named;
    }
    std::string source = ExpandHome(first);
    if (!IsAbsolute(source) || !FolderExists(source)) {
        named.Problem = std::string(Msg::NotFolderOrBatch) + first;
        return named;
    }
    named.Source = source;
    if (args.size() > 1) {
        std::string target = ExpandHome(args[1]);
        if (IsAbsolute(target)) {
            if (FolderExists(target)) {
                named.Target = target;
            } else {
                named.TargetProblem = std::string(Msg::TargetFolderMissing) + args[1];
            }
        }
    }
    return named;
}

ExitStatus StatusOf(SyncOutcome outcome)
{
    switch (outcome) {
    case SyncOutcome::Completed:
        return ExitStatus::Completed;
    case SyncOutcome::Failed:
        return ExitStatus::Failed;
    case SyncOutcome::Stopped:
        return ExitStatus::Stopped;
    }
    return ExitStatus::Failed;
}

// The switch words as the loose search sees them: a "-C:" argument is only its switch. The file
// it names is the user's own words: "-C:/jobs/a-rather-long-name.cfg" must not read as "-R"
// (which keeps the program resident) or a name with "min" in it as MIN.
std::vector<std::string> WordsToMatch(std::vector<std::string> words)
{
    for (std::string& word : words) {
        if (word.size() > 3 && UpperAscii(std::string_view(word).substr(0, 3)) == "-C:") {
            word.resize(3);
        }
    }
    return words;
}

// The command line's steps for one call, so each step reads as the list it is.
class CommandLineRun
{
public:
    CommandLineRun(ConfigContext& cfg,
                   RunState& state,
                   CommandLineActions& actions,
                   const std::vector<std::string>& args)
        : FCfg(cfg)
        , FState(state)
        , FActions(actions)
        , FArgs(args)
        , FSwitches(SwitchWords(args))
        , FMatched(WordsToMatch(FSwitches))
    {}

    CommandLineResult Run();

private:
    int Find(std::string_view word) const { return FindParam(FMatched, word); }
    const std::string& ArgAt(int position) const { return FSwitches[static_cast<std::size_t>(position - 1)]; }
    // False when a "-C" settings file could not be loaded (FResult.Problem says why).
    bool ApplySwitchIfPresent(std::string_view word);
    // From the leading arguments through the automatic run; false when the program ended on the way.
    bool HandleNamedWork();
    bool RunAutomatic();
    void StayResident();
    void EndProgram(ExitStatus status);
    void Finish();

    ConfigContext& FCfg;
    RunState& FState;
    CommandLineActions& FActions;
    const std::vector<std::string>& FArgs;
    std::vector<std::string> FSwitches;
    std::vector<std::string> FMatched; // FSwitches as the search sees them
    CommandLineResult FResult;
    int FWarningDelay = 0;
};

bool CommandLineRun::ApplySwitchIfPresent(std::string_view word)
{
    if (int position = Find(word); position > 0) {
        return ApplyConfigSwitch(FCfg, FActions, ArgAt(position), &FResult.Problem);
    }
    return true;
}

CommandLineResult CommandLineRun::Run()
{
    Options& opts = FCfg.Opts;
    // A batch run silences the deletion warning; the user's delay comes back at the end.
    FWarningDelay = opts.DeleteUnmatchedWarningDelay;
    (void)LoadAutomationOptions(FCfg, FCfg.DefaultConfigPath);
    FActions.OptionsLoaded();
    FState.SourceFileListTag = 1;

    if (Find("-)") > 0 || Find("-O") > 0) {
        opts.AlwaysOverWrite = true;
    }
    if (Find("-I") > 0) {
        opts.IgnoreTargetSpace = true;
    }
    ApplySwitchIfPresent("-W");

    if (FArgs.empty()) {
        FActions.ShowMainWindow();
        if (!FActions.HasWindow()) {
            FResult.Problem = Msg::NothingToRunWithoutWindow;
        }
    } else if (!HandleNamedWork()) {
        return FResult;
    }
    Finish();
    return FResult;
}

bool CommandLineRun::HandleNamedWork()
{
    Options& opts = FCfg.Opts;
    const bool automatic = Find("AUTORUN") > 0 || Find("-C") > 0;
    NamedWork named = ReadLeadingArguments(FCfg, FArgs);
    if (!named.Problem.empty()) {
        FResult.Problem = named.Problem;
        return true;
    }
    // Running unattended into whatever target the window happened to show could overwrite or
    // delete in the wrong folder, so an automatic run of a folder pair needs both folders.
    if (automatic && !named.Source.empty() && named.Target.empty()) {
        FResult.Problem =
            named.TargetProblem.empty() ? std::string(Msg::NoTargetFolder) : named.TargetProblem;
        return true;
    }

    if (!named.BatchFile.empty()) {
        opts.DeleteUnmatchedWarningDelay = 0;
        const bool displayMessages = opts.DisplayMessages;
        opts.DisplayMessages = false;
        const bool opened = FActions.OpenBatchFile(named.BatchFile);
        opts.DisplayMessages = displayMessages;
        if (!opened) {
            FResult.Problem = std::string(Msg::BatchFileNotOpened) + named.BatchFile;
            FResult.Status = ExitStatus::Failed;
            return true;
        }
    } else {
        FActions.PointFolders(named.Source, named.Target);
    }

    if (!ApplySwitchIfPresent("-C")) {
        // A nightly job must never run with the default filters and deletion settings in
        // place of the ones it names.
        FResult.Status = ExitStatus::NothingToRun;
        return true;
    }
    FState.StatusMsg(Msg::Ready);

    if (!automatic) {
        FActions.ShowMainWindow();
        if (!named.Source.empty()) {
            FActions.PointFolders(named.Source, named.Target);
        }
        // The window shows what it could; only a display-less program has to say it ran nothing.
        FResult.Problem =
            FActions.HasWindow() ? named.TargetProblem : std::string(Msg::NothingToRunWithoutWindow);
        return true;
    }
    return RunAutomatic();
}

bool CommandLineRun::RunAutomatic()
{
    Options& opts = FCfg.Opts;
    RunState& state = FState;
    FActions.SelectSynchronizePage();
    // Nobody is there to answer a question or to want this run's settings kept.
    opts.SaveSettingsOnExit = false;
    opts.DisplayMessages = false;
    opts.MonitorSourceDriveCheck = false;
    opts.MonitorSourceDriveCheckTag = 0;
    FActions.MonitorSwitched();
    (void)SetRunSyncSched(opts, false);
    FActions.ArmSchedule(0);
    state.GetHost().ProcessMessages();

    const bool trayMode = Find("MIN") > 0;
    const int delayAt = Find("-D");
    const DelayRequest delay = ParseDelayArg(delayAt > 0 ? std::string_view(ArgAt(delayAt)) : "_");
    if (delay.Seconds > 0) {
        switch (FActions.RunCountdown(delay.Seconds, delay.OffScreen, trayMode)) {
        case DelayResult::Continue:
            break;
        case DelayResult::Stop:
            FActions.BringWindowBack();
            FResult.Status = ExitStatus::Stopped;
            return true;
        case DelayResult::Exit:
            EndProgram(ExitStatus::Stopped);
            return false;
        }
    }
    if (trayMode) {
        FActions.ParkInTray();
    }

    state.SourceFileListTag = 0;
    SyncOutcome outcome = FActions.RunSync();
    FResult.Ran = true;
    // A stop confirmed inside the run counts even when the run itself reported something else.
    if (state.StopButtonTag != 0 || outcome == SyncOutcome::Stopped) {
        state.StopButtonTag = 0;
        outcome = SyncOutcome::Stopped;
    }
    FResult.Outcome = outcome;
    FResult.Status = StatusOf(outcome);
    if (outcome == SyncOutcome::Stopped) {
        return true;
    }

    if (Find("-S") <= 0 && Find("-R") <= 0) {
        EndProgram(FResult.Status);
        return false;
    }
    StayResident();
    return true;
}

void CommandLineRun::StayResident()
{
    ApplySwitchIfPresent("-S");
    if (int position = Find("-R"); position > 0) {
        std::string_view text = ArgAt(position);
        text.remove_prefix(std::min<std::size_t>(2, text.size()));
        int seconds = SwitchNumber(text).value_or(1);
        if (seconds > 0) {
            FActions.SetQueueCheckInterval(std::min(seconds, INT_MAX / 1000) * 1000);
        }
        FCfg.Opts.MonitorSourceDriveCheck = true;
        FCfg.Opts.MonitorSourceDriveCheckTag = MonitorStartMarker;
        FActions.MonitorSwitched();
        FState.GetHost().ProcessMessages();
    }
    FResult.StaysResident = true;
}

void CommandLineRun::EndProgram(ExitStatus status)
{
    FResult.Status = status;
    FResult.EndProgram = true;
    FActions.EndProgram(status);
}

void CommandLineRun::Finish()
{
    FState.SourceFileListTag = 0;
    FActions.ListEmptySides();
    FCfg.Opts.DeleteUnmatchedWarningDelay = FWarningDelay;
    FState.StatusMsg(Msg::Ready);
    if (!FActions.HasWindow() && !FResult.StaysResident) {
        EndProgram(FResult.Status);
    }
}

} // namespace

SyncOutcome SyncOutcomeOf(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Completed:
        return SyncOutcome::Completed;
    case RunOutcome::Stopped:
        return SyncOutcome::Stopped;
    case RunOutcome::Failed:
    case RunOutcome::NotStarted:
        break;
    }
    return SyncOutcome::Failed;
}

int FindParam(const std::vector<std::string>& args, std::string_view word)
{
    const std::string w = UpperAscii(word);
    if (w.empty()) {
        return -1;
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string a = UpperAscii(args[i]);
        if (a.empty()) {
            continue;
        }
        const std::string_view rest = std::string_view(a).substr(1);
        const bool numberStart =
            !rest.empty() && (IsDigit(rest.front()) || rest.front() == '+' || rest.front() == '-');
        bool matches = false;
        if (!numberStart) {
            matches = a.find(w) != std::string::npos || (a.size() > 1 && a[0] == '-' && a[1] == w[0])
                      || (a.size() > 1 && w.size() > 1 && a[0] == '-' && a[1] == w[1]);
        } else {
            matches = w.size() > 1 && (w[1] == 'S' || w[1] == 'D') && IsCompleteInteger(rest);
        }
        if (matches) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

DelayRequest ParseDelayArg(std::string_view arg)
{
    std::string text = UpperAscii(arg);
    if (!text.empty() && text.front() == '-') {
        text.erase(0, 1);
    }
    DelayRequest request;
    if (text.empty() || text.front() != 'D') {
        return request;
    }
    std::size_t from = 1;
    if (text.size() > 1 && text[1] == 'H') {
        request.OffScreen = true;
        from = 2;
    }
    request.Seconds = std::max(0, SwitchNumber(NonLetters(text, from, MaxDelayDigits)).value_or(0));
    return request;
}

std::vector<std::string> SwitchWords(const std::vector<std::string>& args)
{
    std::size_t work = 0;
    if (!args.empty()) {
        const std::string& first = args[0];
        if (UpperAscii(first).find(".SNC") != std::string::npos) {
            work = 1;
        } else if (IsAbsolute(ExpandHome(first))) {
            work = 1;
            if (args.size() > 1 && IsAbsolute(ExpandHome(args[1]))) {
                work = 2;
            }
        }
    }
    return std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(work), args.end());
}

std::string ExpandHome(std::string_view path)
{
    if (path != "~" && !path.starts_with("~/")) {
        return std::string(path);
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return std::string(path);
    }
    std::string expanded(home);
    std::string_view rest = path.substr(1);
    if (!expanded.empty() && expanded.back() == '/' && !rest.empty()) {
        expanded.pop_back();
    }
    expanded += rest;
    return expanded;
}

bool ApplyConfigSwitch(ConfigContext& cfg, SwitchActions& actions, std::string_view arg, std::string* problem)
{
    std::string_view original = arg;
    if (!original.empty() && original.front() == '-') {
        original.remove_prefix(1);
    }
    const std::string upper = UpperAscii(original);
    if (upper.empty()) {
        return true;
    }
    Options& opts = cfg.Opts;
    const std::string digits = NonLetters(upper, 1, MaxSwitchText);
    const int number = SwitchNumber(digits).value_or(0);
    switch (upper.front()) {
    case 'C': {
        std::string refused = ApplyConfigFile(cfg, actions, original);
        if (!refused.empty()) {
            if (problem != nullptr) {
                *problem = std::move(refused);
            }
            return false;
        }
        break;
    }
    case 'P': {
        // Polling and the schedule exclude each other; arming one disarms the other's timer.
        const bool scheduled = opts.RunSyncSched;
        opts.PoleSecs = digits;
        const bool armed = SetPoleEvery(opts, true);
        actions.ArmPolling(armed ? std::max(number, 1) : 0);
        if (scheduled && !opts.RunSyncSched) {
            actions.ArmSchedule(0);
        }
        break;
    }
    case 'S': {
        const bool polling = opts.PoleEvery;
        opts.RunSyncEveryMin = digits;
        const bool armed = SetRunSyncSched(opts, true);
        actions.ArmSchedule(armed ? std::max(number, 1) : 0);
        if (polling && !opts.PoleEvery) {
            actions.ArmPolling(0);
        }
        break;
    }
    case 'W':
        if (number > 0 && number < MaxSettleArg) {
            actions.SetSettleCount(2 * number);
        }
        break;
    default:
        break;
    }
    return true;
}

CommandLineResult HandleCommandLine(ConfigContext& cfg,
                                    RunState& state,
                                    CommandLineActions& actions,
                                    const std::vector<std::string>& args)
{
    return CommandLineRun(cfg, state, actions, args).Run();
}

} // namespace Tandemix
