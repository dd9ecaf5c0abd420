// SPDX-License-Identifier: GPL-3.0-or-later
#include "unmatched/ui/UnmatchedOptions.h"

#include "app/ui/UiText.h"
#include "settings/OptionRules.h"
#include "unmatched/ui/ReplicateForm.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace Tandemix {

namespace {

constexpr std::string_view TwoPassNote = "Note!  This option will run the sync operation twice. \n\n"
                                         "Once without copying files, then again copying\n"
                                         "them, after UnMatched Target Files have been deleted.";

} // namespace

UnmatchedOptions::UnmatchedOptions(RunContext& ctx, QWidget* parent)
    : QGroupBox(UiText("Unmatched Items"), parent)
    , FCtx(ctx)
{
    setObjectName(QStringLiteral("UnmatchedOptions"));
    auto* column = new QVBoxLayout(this);
    DeleteUnmatched = new QCheckBox(UiText("Delete Unmatched"), this);
    DeleteUnmatched->setObjectName(QStringLiteral("DeleteUnmatched"));
    DeleteUnmatched->setToolTip(UiText("Delete target files with no matching source file"));
    ReplicateFolders = new QCheckBox(UiText("Replicate Folders"), this);
    ReplicateFolders->setObjectName(QStringLiteral("ReplicateFolders"));
    ReplicateFolders->setToolTip(UiText("Replicate target files/folders with source folder"));
    MassDeletionGuard = new QCheckBox(UiText("Guard Against Mass Deletion"), this);
    MassDeletionGuard->setObjectName(QStringLiteral("MassDeletionGuard"));
    MassDeletionGuard->setToolTip(
        UiText("Ask before deleting more than half of a target's files (refused when unattended)"));
    DeleteUnMatchPriorToSync = new QCheckBox(UiText("Delete Unmatched Files Prior to Sync"), this);
    DeleteUnMatchPriorToSync->setObjectName(QStringLiteral("DeleteUnMatchPriorToSync"));
    DeleteUnMatchPriorToSync->setToolTip(
        UiText("Pre-process sync files to delete unmatched target files prior to normal sync operation"));
    SyncOptReplicate = new QCheckBox(UiText("Replicate Folders"));
    SyncOptReplicate->setObjectName(QStringLiteral("SyncOptReplicate"));
    SyncOptReplicate->setToolTip(UiText("Replicate source files/folders in target folder"));
    column->addWidget(DeleteUnmatched);
    column->addWidget(ReplicateFolders);
    column->addWidget(DeleteUnMatchPriorToSync);
    column->addWidget(MassDeletionGuard);
    column->addStretch(1);

    ConfirmDeletion = [this] {
        TReplicateForm form(window());
        return form.Run();
    };
    connect(DeleteUnmatched, &QCheckBox::clicked, this, [this] { DeleteUnmatchedClick(); });
    connect(ReplicateFolders, &QCheckBox::clicked, this, [this] { ReplicateFoldersClick(); });
    connect(SyncOptReplicate, &QCheckBox::clicked, this, [this](bool on) {
        ReplicateFolders->setChecked(on);
        ReplicateFoldersClick();
    });
    connect(DeleteUnMatchPriorToSync, &QCheckBox::clicked, this, [this] { DeleteUnMatchPriorToSyncClick(); });
    connect(MassDeletionGuard, &QCheckBox::toggled, this, [this](bool on) {
        if (!FShowing) {
            FCtx.Opts.MassDeletionGuard = on;
            emit OptionChanged();
        }
    });
    ShowOptions();
}

void UnmatchedOptions::ShowOptions()
{
    FShowing = true;
    const Options& opts = FCtx.Opts;
    DeleteUnmatched->setChecked(opts.DeleteUnmatched);
    ReplicateFolders->setChecked(opts.ReplicateFolders);
    SyncOptReplicate->setChecked(opts.ReplicateFolders);
    MassDeletionGuard->setChecked(opts.MassDeletionGuard);
    DeleteUnMatchPriorToSync->setChecked(opts.DeleteUnMatchPriorToSync);
    FShowing = false;
}

bool UnmatchedOptions::Confirmed()
{
    // A batch row switches deletion on without asking: its rows were confirmed when written.
    if (FCtx.Opts.RunBatchList) {
        return true;
    }
    std::optional<int> delay = ConfirmDeletion ? ConfirmDeletion() : std::nullopt;
    if (!delay) {
        SetDeleteUnmatched(FCtx.Opts, false);
        ShowOptions();
        SyncOptReplicate->setEnabled(false);
        return false;
    }
    FCtx.Opts.DeleteUnmatchedWarningDelay = *delay;
    return true;
}

void UnmatchedOptions::DeleteUnmatchedClick()
{
    bool on = DeleteUnmatched->isChecked();
    Apply(on && !Confirmed(), [this, on] { SetDeleteUnmatched(FCtx.Opts, on); });
}

void UnmatchedOptions::ReplicateFoldersClick()
{
    bool on = ReplicateFolders->isChecked();
    Apply(on && !FCtx.Opts.DeleteUnmatched && !Confirmed(),
          [this, on] { SetReplicateFolders(FCtx.Opts, on); });
}

void UnmatchedOptions::DeleteUnMatchPriorToSyncClick()
{
    bool on = DeleteUnMatchPriorToSync->isChecked();
    if (on) {
        (void)FCtx.Hst.Ask(TwoPassNote, DialogButtons::Ok);
        if (!FCtx.Opts.DeleteUnmatched) {
            // The first pass exists to delete: without deletion it would be a run for nothing.
            if (!Confirmed()) {
                emit ReportingChanged();
                return;
            }
            SetDeleteUnmatched(FCtx.Opts, true);
        }
    }
    Apply(false, [this, on] { FCtx.Opts.DeleteUnMatchPriorToSync = on; });
}

void UnmatchedOptions::Apply(bool cancelled, const std::function<void()>& change)
{
    if (!cancelled) {
        change();
        SyncOptReplicate->setEnabled(true);
        ShowOptions();
        emit FiltersBypassed(FCtx.Opts.ReplicateBypass());
        emit OptionChanged();
    }
    emit ReportingChanged();
}

} // namespace Tandemix
