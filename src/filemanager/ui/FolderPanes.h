// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "platform/Mounts.h"

#include <QPersistentModelIndex>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QTreeView;

namespace Tandemix {

// The controls of one side: drive box (mount points), folder tree, file pane and figures.
struct SidePane
{
    QComboBox* DriveBox = nullptr;
    QTreeView* DirectoryListBox = nullptr;
    QFileSystemModel* FolderModel = nullptr;
    QListWidget* FileList = nullptr;
    QLabel* FolderLabel = nullptr; // SyncSource / SyncTarget
    QLabel* PathLabel = nullptr; // SourcePath / TargetPath
    QLabel* FileCount = nullptr;
    QLabel* DirSize = nullptr;
    QLabel* DriveSpaceValue = nullptr;
    // "View Compressed": the folder's archive in place of its files. The panel is what a batch
    // row locks; the box itself can be used only while the folder has an archive.
    QWidget* ViewPanel = nullptr;
    QCheckBox* ViewCompressed = nullptr; // SourceViewCompressed / TargetViewCompressed
    // The folder the tree was pointed at, kept in sight until the user moves the tree.
    QPersistentModelIndex KeepInSight;
};

// The folder-selection page: both sides' folder trees and file panes. Choosing a folder emits
// FolderChosen; the window lists that side in the core and hands the listing back here.
class FolderPanes : public QWidget
{
    Q_OBJECT

public:
    explicit FolderPanes(QWidget* parent = nullptr);

    SidePane& Pane(Side side) { return side == Side::Source ? FSource : FTarget; }

    // Points the side's drive box and tree at a folder without emitting FolderChosen.
    void PointTreeAt(Side side, const std::string& folder);
    // `archiveShown`: the list holds the folder's archive entries (shown in red), not its files.
    void ShowListing(Side side, const SideListing& listing, bool sorted, bool archiveShown = false);
    void ClearFileList(Side side);
    void RefreshDriveBoxes();

    // The mounts the drive boxes are built from: this process's view; tests put their own here.
    std::function<std::vector<MountInfo>()> Mounts;

signals:
    void FolderChosen(Tandemix::Side side, const QString& folder);
    // The user checked or unchecked a side's "View Compressed" box.
    void ViewCompressedClicked(Tandemix::Side side, bool checked);
    // A folder of a tree was double-clicked.
    void TreeDoubleClicked(Tandemix::Side side);

private:
    QWidget* BuildSide(Side side);
    void OnTreeClicked(Side side);
    void OnDriveChosen(Side side);
    void KeepPointedFolderInSight(Side side);
    void ShowArchiveColour(Side side, bool archiveShown);

    SidePane FSource;
    SidePane FTarget;
    bool FPointing = false;
};

} // namespace Tandemix
