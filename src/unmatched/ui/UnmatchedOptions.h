// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

#include <QGroupBox>

#include <functional>
#include <optional>

class QCheckBox;

namespace Tandemix {

// The unmatched-items switches of the File Options page ("Delete Unmatched", "Replicate
// Folders", the mass-deletion guard) and their mirror beside the run button. Switching deletion
// or replication on is confirmed first ("Replicate Notice"), which also sets the warning delay;
// a cancel leaves all of them off. The rules between the options are the core's.
class UnmatchedOptions : public QGroupBox
{
    Q_OBJECT

public:
    UnmatchedOptions(RunContext& ctx, QWidget* parent = nullptr);

    void ShowOptions();
    // The click handlers, as the check boxes run them.
    void DeleteUnmatchedClick();
    void ReplicateFoldersClick();
    void DeleteUnMatchPriorToSyncClick();

    QCheckBox* DeleteUnmatched = nullptr;
    QCheckBox* ReplicateFolders = nullptr;
    QCheckBox* MassDeletionGuard = nullptr;
    QCheckBox* DeleteUnMatchPriorToSync = nullptr;
    QCheckBox* SyncOptReplicate = nullptr; // shown on the Synchronize page
    // The confirmation: the delay typed, or nothing when cancelled. "Replicate Notice" unless a
    // test puts its own answer here.
    std::function<std::optional<int>()> ConfirmDeletion;

signals:
    void OptionChanged();
    // Deletion switched the report lists on (or let them go): the Reporting page shows it.
    void ReportingChanged();
    // Replication ignores every filter: the filter controls follow.
    void FiltersBypassed(bool bypassed);

private:
    bool Confirmed();
    // A cancelled confirmation changes nothing more; otherwise the change and its consequences.
    void Apply(bool cancelled, const std::function<void()>& change);

    RunContext& FCtx;
    bool FShowing = false;
};

} // namespace Tandemix
