// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/DropCopy.h"

#include "engine/BusySection.h"
#include "engine/FileListing.h"
#include "engine/LaterHooks.h"
#include "engine/Messages.h"
#include "engine/RunDriver.h"
#include "engine/RunMessages.h"
#include "engine/SyncFolder.h"
#include "filemanager/FileManagerMessages.h"
#include "platform/AsciiText.h"

#include <exception>
#include <unordered_set>

namespace Tandemix {

namespace {

namespace M = FileManagerMsg;

std::string CountLine(long long count, std::string_view label)
{
    return PadLeft(std::to_string(count), RunMsg::CountWidth).append(label);
}

// Whatever happens in a drop, the compression settings it made for itself are put back.
struct KeepCompression
{
    explicit KeepCompression(Options& opts)
        : Opts(opts)
        , UseCompression(opts.UseCompression)
        , CompressExpand(opts.CompressExpand)
    {}
    ~KeepCompression()
    {
        Opts.UseCompression = UseCompression;
        Opts.CompressExpand = CompressExpand;
    }
    KeepCompression(const KeepCompression&) = delete;
    KeepCompression& operator=(const KeepCompression&) = delete;

    Options& Opts;
    bool UseCompression;
    int CompressExpand;
};

// Another operation is going on: a drop then does nothing at all.
bool Busy(const RunContext& ctx)
{
    return ctx.State.BusyCount > 0 || ctx.Engine.RunGuard || ctx.State.SyncActive;
}

// Settles the mode: false when the drop is refused (told) or there is nothing to do.
bool ApplyMode(RunContext& ctx, const DropPanes& panes, const DropHooks* hooks, std::string& mode)
{
    DropMode chosen = ChooseDropMode(panes);
    if (chosen.Mode.empty()) {
        (void)ctx.Hst.Ask(M::CompressedToCompressed, DialogButtons::Ok);
        return false;
    }
    ctx.Opts.UseCompression = chosen.UseCompression;
    ctx.Opts.CompressExpand = chosen.CompressExpand;
    if (ctx.Opts.UseCompression && hooks != nullptr && hooks->ClearFilesToProcess) {
        hooks->ClearFilesToProcess();
    }
    mode = chosen.Mode;
    return true;
}

} // namespace

DropMode ChooseDropMode(const DropPanes& p)
{
    const bool sourceCounts = p.SourceViewChecked && p.SourceViewEnabled;
    const bool targetCounts = p.TargetViewChecked && p.TargetViewEnabled;
    const bool compress = p.CompressExpand == 0;
    DropMode mode;
    mode.UseCompression = p.UseCompression;
    mode.CompressExpand = p.CompressExpand;
    auto set = [&mode](std::string_view name, bool use, int kind) {
        mode.Mode = name;
        mode.UseCompression = use;
        mode.CompressExpand = kind;
    };
    if (p.SourceArchiveView && p.TargetArchiveView) {
        return {};
    }
    if (p.SourceArchiveView) {
        set(M::ModeExpand, true, 1);
        mode.SourceViewCompressed = true;
    } else if (p.TargetArchiveView) {
        set(M::ModeCompress, true, 0);
        mode.TargetViewCompressed = true;
    } else if (sourceCounts) {
        set(M::ModeExpand, true, 1);
        mode.TargetViewCompressed = false;
    } else if (targetCounts) {
        set(M::ModeCompress, true, 0);
        mode.SourceViewCompressed = false;
    } else if (p.UseCompression && compress && !p.TargetViewEnabled) {
        set(M::ModeCompress, true, 0);
        mode.TargetViewCompressed = true;
    } else if (!p.TargetViewChecked && p.TargetViewEnabled && p.UseCompression) {
        set(M::ModeSynchronize, false, p.CompressExpand);
    } else if (!p.SourceViewChecked && p.SourceViewEnabled && p.UseCompression) {
        set(M::ModeSynchronize, false, p.CompressExpand);
    } else if (p.UseCompression && !compress) {
        set(M::ModeExpand, true, 1);
        mode.SourceViewCompressed = true;
    } else if (p.UseCompression) {
        set(M::ModeCompress, true, 0);
        mode.TargetViewCompressed = true;
        mode.TargetPaneRed = true;
    } else {
        set(M::ModeSynchronize, false, p.CompressExpand);
    }
    return mode;
}

std::string DropFolderQuestion(std::string_view mode, const std::string& folder, const std::string& target)
{
    return std::string(M::SureTo)
               .append(mode)
               .append(M::DropFolder)
               .append(folder)
               .append(M::DropTo)
               .append(target)
           + "?";
}

std::string DropFilesQuestion(std::string_view mode, std::size_t selected, const std::string& current)
{
    std::string question = std::string(M::SureTo).append(mode);
    if (selected == 1) {
        question.append(M::DropSourceFile).append(current).append("?");
    } else {
        question.append(M::DropThe).append(std::to_string(selected)).append(M::DropSelectedFiles);
    }
    return std::string(FirstCharacters(question, M::DropQuestionLength));
}

bool RefuseDropForDeletion(RunContext& ctx)
{
    if (!ctx.Opts.DeleteUnmatched) {
        return false;
    }
    (void)ctx.Hst.Ask(M::DisableDeleteUnmatched, DialogButtons::Ok);
    return true;
}

int DropSelectedFiles(RunContext& ctx, const std::vector<std::string>& names)
{
    EngineState& engine = ctx.Engine;
    RunTotals& totals = engine.Totals;
    RunState& state = ctx.State;
    int result = 0;
    {
        BusySection busy(state);
        state.EnableControls(false);
        state.StartTimingEvent();
        totals.TotFilesAdded = 0;
        totals.TotFilesUpdated = 0;
        totals.FilesNotCopied = 0;
        engine.Folders = RunFolders{};
        engine.Folders.SourceRoot = engine.Source.Folder;
        engine.Folders.TargetRoot = engine.Target.Folder;
        ctx.Report.WriteLogFile({}, LogKind::OpenSyncLog);

        // A drop copies files into the folder on screen and nowhere else.
        const bool subFolders = ctx.Opts.IncludeSubFolderOption;
        const bool createSubFolder = ctx.Opts.CreateSubFolderOption;
        ctx.Opts.IncludeSubFolderOption = false;
        ctx.Opts.CreateSubFolderOption = false;
        // Decided against the folders as they are now, not as the panes were last listed.
        (void)BuildFileListing(ctx, Side::Source);
        (void)BuildFileListing(ctx, Side::Target);
        const std::unordered_set<std::string> wanted(names.begin(), names.end());
        int checked = 0;
        for (TFileData& file : engine.Source.Files) {
            file.Selected = wanted.contains(file.FileName);
            checked += file.Selected ? 1 : 0;
        }
        const bool suppressed = state.SuppressUnmatchedReport;
        state.SuppressUnmatchedReport = true; // a drop judges nothing unmatched
        state.SyncActive = true;
        try {
            result = SyncFolder(ctx, RunSender::TargetFileList);
        } catch (const std::exception&) {
            result = 4;
        }
        state.SyncActive = false;
        state.SuppressUnmatchedReport = suppressed;
        engine.TotalFilesCheckedValue = checked;
        ctx.Opts.IncludeSubFolderOption = subFolders;
        ctx.Opts.CreateSubFolderOption = createSubFolder;
        RefreshFileListings(ctx);

        engine.DirGauge = 0;
        totals.ActiveFileSize = 0;
        totals.DirFileCount = 0;
        BatchRowFolders first = HooksOf(ctx).BatchRow(ctx, 1);
        if (first.Source.empty() || first.Target.empty()) {
            ctx.Opts.RunBatchList = false;
        }
        ctx.Report.WriteLogFile(std::string(RunMsg::TrailerRuleWidth, RunMsg::TrailerRuleChar),
                                LogKind::Summary);
        ctx.Report.WriteLogFile(CountLine(totals.TotFilesUpdated, RunMsg::FilesUpdated), LogKind::Summary);
        ctx.Report.WriteLogFile(CountLine(totals.TotFilesAdded, RunMsg::FilesAdded), LogKind::Summary);
        ctx.Report.WriteLogFile(CountLine(engine.TotalFilesCheckedValue, RunMsg::FilesChecked),
                                LogKind::Summary);
        ctx.Report.SetRunStopped(state.OperationState > 0 || result == 4);
        ctx.Report.WriteLogFile({}, LogKind::CloseSyncLog);
        state.StopTiming();
        state.EnableControls(true);
    }
    ctx.Hst.ShowRunProgress(engine);
    return result;
}

bool TargetFileListDragDrop(RunContext& ctx, const FileDrop& drop)
{
    if (Busy(ctx) || RefuseDropForDeletion(ctx)) {
        return false;
    }
    bool done = false;
    {
        KeepCompression keep(ctx.Opts);
        std::string mode;
        try {
            if (ApplyMode(ctx, drop.Panes, drop.Hooks, mode) && !drop.Selected.empty()) {
                std::string question = DropFilesQuestion(mode, drop.Selected.size(), drop.Current);
                if (ctx.Hst.Ask(question, DialogButtons::YesNo) == DialogResult::Yes) {
                    (void)DropSelectedFiles(ctx, drop.Selected);
                    done = true;
                }
            }
        } catch (const std::exception&) {
            // Ends the drop silently, as any error inside it does; the settings go back.
        }
    }
    ctx.State.StatusMsg(Msg::Ready);
    return done;
}

bool TargetFolderDrop(RunContext& ctx,
                      const std::string& folder,
                      const DropPanes& panes,
                      const DropHooks* hooks)
{
    if (Busy(ctx) || RefuseDropForDeletion(ctx)) {
        return false;
    }
    bool done = false;
    {
        KeepCompression keep(ctx.Opts);
        std::string mode;
        try {
            if (ApplyMode(ctx, panes, hooks, mode)) {
                std::string question = DropFolderQuestion(mode, folder, ctx.Engine.Target.Folder);
                if (ctx.Hst.Ask(question, DialogButtons::YesNo) == DialogResult::Yes) {
                    ctx.Engine.Source.Folder = folder;
                    if (panes.TargetArchiveView || panes.SourceArchiveView) {
                        ctx.Opts.UseCompression = true;
                        ctx.Opts.CompressExpand = panes.TargetArchiveView ? 0 : 1;
                    } else {
                        ctx.Opts.UseCompression = false;
                    }
                    (void)SyncButtonClick(ctx, RunSender::SyncButton);
                    done = true;
                }
            }
        } catch (const std::exception&) {
        }
    }
    ctx.State.StatusMsg(Msg::Ready);
    return done;
}

} // namespace Tandemix
