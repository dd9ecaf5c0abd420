// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAction;

namespace Tandemix {

class TMainSyncForm;

// The archive commands of the file panes' pop-up menu ("Compress File List", "Consolidate File
// List", "Expand Compressed Folder"), and the archive work the panes' commands hand over: deleting
// entries from an archive shown in a pane, and emptying the component's list before a drop.
// UI thread only.
struct ArchiveMenus
{
    QAction* CompressFolder1 = nullptr;
    QAction* ConsolidateFolder1 = nullptr;
    QAction* ExpandFolder1 = nullptr;
};

ArchiveMenus WireArchiveMenus(TMainSyncForm& form);

} // namespace Tandemix
