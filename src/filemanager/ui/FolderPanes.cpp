// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/ui/FolderPanes.h"

#include "app/ui/UiText.h"
#include "engine/FileHelpers.h"
#include "filemanager/NetworkShares.h"
#include "platform/FileOps.h"
#include "platform/Mounts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace Tandemix {

namespace {

QLabel* Figure(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(name);
    return label;
}

} // namespace

FolderPanes::FolderPanes(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Folder Selection"));
    Mounts = [] {
        return ListMounts();
    };
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(BuildSide(Side::Source));
    row->addWidget(BuildSide(Side::Target));
    RefreshDriveBoxes();
}

QWidget* FolderPanes::BuildSide(Side side)
{
    bool source = side == Side::Source;
    SidePane& pane = Pane(side);
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(2, 2, 2, 2);

    pane.FolderLabel = new QLabel(box);
    pane.FolderLabel->setObjectName(source ? QStringLiteral("SyncSource") : QStringLiteral("SyncTarget"));
    pane.FolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A deep folder's path is cut at the pane's edge instead of widening the window.
    pane.FolderLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pane.DriveBox = new QComboBox(box);
    pane.DriveBox->setObjectName(source ? QStringLiteral("SourceDriveBox")
                                        : QStringLiteral("TargetDriveBox"));
    pane.DriveBox->setToolTip(source ? UiText("Change source drive") : UiText("Change target drive"));

    pane.FolderModel = new QFileSystemModel(box);
    pane.FolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    pane.FolderModel->setRootPath(QStringLiteral("/"));
    pane.DirectoryListBox = new QTreeView(box);
    pane.DirectoryListBox->setObjectName(source ? QStringLiteral("DirectoryListBox1")
                                                : QStringLiteral("DirectoryListBox2"));
    pane.DirectoryListBox->setToolTip(source ? UiText("Source folder selection")
                                             : UiText("Target folder selection"));
    pane.DirectoryListBox->setModel(pane.FolderModel);
    for (int column = 1; column < pane.FolderModel->columnCount(); ++column) {
        pane.DirectoryListBox->hideColumn(column);
    }
    pane.DirectoryListBox->header()->setVisible(false);

    pane.FileList = new QListWidget(box);
    pane.FileList->setObjectName(source ? QStringLiteral("SourceFileList")
                                        : QStringLiteral("TargetFileList"));
    pane.FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pane.FileList->setUniformItemSizes(true);

    pane.PathLabel = new QLabel(box);
    pane.PathLabel->setObjectName(source ? QStringLiteral("SourcePath") : QStringLiteral("TargetPath"));
    pane.FileCount =
        Figure(source ? QStringLiteral("SourceFileCount") : QStringLiteral("TargetFileCount"), box);
    pane.DirSize = Figure(source ? QStringLiteral("SourceDirSize") : QStringLiteral("TargetDirSize"), box);
    pane.DriveSpaceValue =
        Figure(source ? QStringLiteral("SDriveSpaceValue") : QStringLiteral("TDriveSpaceValue"), box);

    grid->addWidget(new QLabel(source ? UiText("Source:") : UiText("Target:"), box), 0, 0);
    grid->addWidget(pane.FolderLabel, 0, 1, 1, 3);
    grid->addWidget(pane.DriveBox, 1, 0, 1, 4);
    // The user shares the height between folders and files; both start with half of it.
    auto* split = new QSplitter(Qt::Vertical, box);
    split->setObjectName(source ? QStringLiteral("SourceSplitter") : QStringLiteral("TargetSplitter"));
    split->setChildrenCollapsible(false);
    split->addWidget(pane.DirectoryListBox);
    split->addWidget(pane.FileList);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    pane.DirectoryListBox->setMinimumHeight(pane.DirectoryListBox->fontMetrics().height() * 3);
    pane.FileList->setMinimumHeight(pane.FileList->fontMetrics().height() * 3);
    grid->addWidget(split, 2, 0, 1, 4);
    pane.ViewPanel = new QWidget(box);
    pane.ViewPanel->setObjectName(source ? QStringLiteral("SourceViewPanel")
                                         : QStringLiteral("TargetViewPanel"));
    auto* viewRow = new QHBoxLayout(pane.ViewPanel);
    viewRow->setContentsMargins(0, 0, 0, 0);
    pane.ViewCompressed = new QCheckBox(UiText("View Compressed"), pane.ViewPanel);
    pane.ViewCompressed->setObjectName(source ? QStringLiteral("SourceViewCompressed")
                                              : QStringLiteral("TargetViewCompressed"));
    pane.ViewCompressed->setToolTip(UiText("Display compressed folder file contents"));
    pane.ViewCompressed->setEnabled(false); // until the folder is found to have an archive
    viewRow->addWidget(pane.ViewCompressed);
    viewRow->addStretch(1);
    grid->addWidget(pane.ViewPanel, 3, 0, 1, 4);
    grid->addWidget(pane.PathLabel, 4, 0, 1, 4);
    grid->addWidget(new QLabel(UiText("Files:"), box), 5, 0);
    grid->addWidget(pane.FileCount, 5, 1);
    grid->addWidget(new QLabel(UiText("Size:"), box), 5, 2);
    grid->addWidget(pane.DirSize, 5, 3);
    grid->addWidget(new QLabel(UiText("Free:"), box), 6, 0);
    grid->addWidget(pane.DriveSpaceValue, 6, 1, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    // The highlighted folder is the folder in use, however the highlight moved there: a click,
    // the arrow keys, a right click, a typed name.
    connect(pane.DirectoryListBox->selectionModel(),
            &QItemSelectionModel::currentChanged,
            this,
            [this, side] { OnTreeClicked(side); });
    // The tree lists a folder's siblings, and those of every folder above it, after it has been
    // pointed at: rows arriving or sorted above it would push it out of sight.
    auto keepInSight = [this, side] {
        KeepPointedFolderInSight(side);
    };
    connect(pane.FolderModel, &QAbstractItemModel::rowsInserted, this, keepInSight);
    connect(pane.FolderModel, &QAbstractItemModel::layoutChanged, this, keepInSight);
    auto userMovesTheTree = [this, side] {
        Pane(side).KeepInSight = QPersistentModelIndex();
    };
    connect(pane.DirectoryListBox, &QTreeView::expanded, this, userMovesTheTree);
    connect(pane.DirectoryListBox, &QTreeView::collapsed, this, userMovesTheTree);
    connect(pane.DirectoryListBox->verticalScrollBar(),
            &QAbstractSlider::actionTriggered,
            this,
            userMovesTheTree);
    connect(pane.DriveBox, &QComboBox::activated, this, [this, side] { OnDriveChosen(side); });
    connect(pane.DirectoryListBox, &QTreeView::doubleClicked, this, [this, side] {
        emit TreeDoubleClicked(side);
    });
    connect(pane.ViewCompressed, &QCheckBox::clicked, this, [this, side](bool checked) {
        emit ViewCompressedClicked(side, checked);
    });
    return box;
}

void FolderPanes::RefreshDriveBoxes()
{
    const std::vector<MountInfo> mounts = Mounts();
    std::vector<std::string> roots = SyncableRoots(mounts, CoreText(QDir::homePath()));
    // Each share the desktop mounted is a drive of its own, below the one gvfs mount.
    const std::vector<std::string> shares = MountedShares(mounts);
    for (const std::string& share : shares) {
        if (std::find(roots.begin(), roots.end(), share) == roots.end()) {
            roots.push_back(share);
        }
    }
    const QIcon network = style()->standardIcon(QStyle::SP_DriveNetIcon);
    for (Side side : {Side::Source, Side::Target}) {
        QComboBox* box = Pane(side).DriveBox;
        QString current = box->currentText();
        box->clear();
        for (const std::string& root : roots) {
            if (std::find(shares.begin(), shares.end(), root) != shares.end()) {
                box->addItem(network, UiText(root));
            } else {
                box->addItem(UiText(root));
            }
        }
        int index = box->findText(current);
        box->setCurrentIndex(index >= 0 ? index : 0);
    }
}

void FolderPanes::OnTreeClicked(Side side)
{
    if (FPointing) {
        return;
    }
    SidePane& pane = Pane(side);
    pane.KeepInSight = QPersistentModelIndex();
    QString folder = pane.FolderModel->filePath(pane.DirectoryListBox->currentIndex());
    if (!folder.isEmpty()) {
        emit FolderChosen(side, folder);
    }
}

void FolderPanes::OnDriveChosen(Side side)
{
    QString root = Pane(side).DriveBox->currentText();
    if (!root.isEmpty()) {
        emit FolderChosen(side, root);
    }
}

void FolderPanes::KeepPointedFolderInSight(Side side)
{
    SidePane& pane = Pane(side);
    QModelIndex current = pane.DirectoryListBox->currentIndex();
    if (pane.KeepInSight.isValid() && current == pane.KeepInSight) {
        pane.DirectoryListBox->scrollTo(current);
    }
}

void FolderPanes::PointTreeAt(Side side, const std::string& folder)
{
    SidePane& pane = Pane(side);
    FPointing = true;
    QString path = UiText(folder);
    QModelIndex index = pane.FolderModel->index(path);
    if (index.isValid()) {
        pane.DirectoryListBox->setCurrentIndex(index);
        pane.DirectoryListBox->scrollTo(index);
        pane.DirectoryListBox->expand(index);
        pane.KeepInSight = index;
    }
    // A folder on a share is shown by the share's entry, added to both boxes when it is new
    // (a share reached through the folder browser).
    SysResult<std::string> resolved = ResolvedPath(folder);
    std::string root = NetworkRootOf(Mounts(), resolved ? *resolved : folder);
    if (!root.empty() && Pane(side).DriveBox->findText(UiText(root)) < 0) {
        for (Side each : {Side::Source, Side::Target}) {
            if (Pane(each).DriveBox->findText(UiText(root)) < 0) {
                Pane(each).DriveBox->addItem(style()->standardIcon(QStyle::SP_DriveNetIcon), UiText(root));
            }
        }
    }
    // The entry nearest the folder: the home folder for a folder in it, though no mount.
    std::vector<MountInfo> entries;
    for (int item = 0; item < pane.DriveBox->count(); ++item) {
        entries.push_back({CoreText(pane.DriveBox->itemText(item)), {}, {}});
    }
    int drive = pane.DriveBox->findText(UiText(LongestMountPrefix(entries, folder)));
    if (drive >= 0) {
        pane.DriveBox->setCurrentIndex(drive);
    }
    pane.FolderLabel->setText(path);
    FPointing = false;
}

void FolderPanes::ClearFileList(Side side)
{
    Pane(side).FileList->clear();
}

void FolderPanes::ShowArchiveColour(Side side, bool archiveShown)
{
    SidePane& pane = Pane(side);
    // Red says the entries are inside an archive, not files of the folder; otherwise the
    // theme's own colours.
    QPalette list = pane.FileList->parentWidget()->palette();
    QPalette figures = pane.FileCount->parentWidget()->palette();
    if (archiveShown) {
        list.setColor(QPalette::Text, QColor(Qt::red));
        figures.setColor(QPalette::WindowText, QColor(Qt::red));
    }
    pane.FileList->setPalette(list);
    pane.FileCount->setPalette(figures);
    pane.DirSize->setPalette(figures);
}

void FolderPanes::ShowListing(Side side, const SideListing& listing, bool sorted, bool archiveShown)
{
    SidePane& pane = Pane(side);
    pane.ViewCompressed->setChecked(listing.ViewCompressed);
    pane.ViewCompressed->setEnabled(listing.ViewCompressedEnabled);
    ShowArchiveColour(side, archiveShown);
    pane.FileList->setUpdatesEnabled(false);
    pane.FileList->clear();
    QStringList names;
    names.reserve(static_cast<qsizetype>(listing.Files.size()));
    for (const TFileData& file : listing.Files) {
        names << UiText(file.FileName);
    }
    // Sorting is decided before the items go in: with it on, the list would sort them as they
    // arrive and keep that order even after sorting is switched off.
    pane.FileList->setSortingEnabled(sorted);
    pane.FileList->addItems(names);
    if (sorted) {
        pane.FileList->sortItems();
    }
    pane.FileList->setUpdatesEnabled(true);
    QString folder = UiText(listing.Folder);
    pane.PathLabel->setText(pane.PathLabel->fontMetrics().elidedText(folder,
                                                                     Qt::ElideMiddle,
                                                                     std::max(120, pane.PathLabel->width())));
    pane.PathLabel->setToolTip(folder);
    pane.FolderLabel->setText(folder);
    pane.FileCount->setText(QString::number(listing.FileCount));
    pane.DirSize->setText(listing.ByteTotal == 0 ? QStringLiteral("0")
                                                 : UiText(FormatSize(listing.ByteTotal)));
    pane.DriveSpaceValue->setText(UiText(listing.FreeSpaceText));
}

} // namespace Tandemix
