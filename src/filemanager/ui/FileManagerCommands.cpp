// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/ui/FileManagerCommands.h"

#include "app/ui/MainMenus.h"
#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "engine/FileListing.h"
#include "engine/Messages.h"
#include "filemanager/FileManagerMessages.h"
#include "filemanager/FolderCommands.h"
#include "filemanager/ui/BrowseDr.h"
#include "filemanager/ui/FolderPanes.h"
#include "filemanager/ui/MenuItem.h"
#include "platform/FileOps.h"
#include "platform/PathText.h"

#include <QAction>
#include <QDir>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QTreeView>

namespace Tandemix {

namespace {

namespace M = FileManagerMsg;

// The highlighted folder of a tree is always the side's folder.
std::string TreeFolder(TMainSyncForm& form, Side side)
{
    return ListingOf(form.Engine(), side).Folder;
}

// `path` with the folder `from` at its start replaced by `to`; nothing when it is not there.
std::optional<std::string> Moved(const std::string& path, const std::string& from, const std::string& to)
{
    std::string_view base = WithoutTrailingSlashes(from);
    if (path == base) {
        return to;
    }
    if (path.size() > base.size() && path.starts_with(base) && path[base.size()] == '/') {
        return std::string(WithoutTrailingSlashes(to)) + path.substr(base.size());
    }
    return std::nullopt;
}

} // namespace

FileManagerCommands::FileManagerCommands(TMainSyncForm& form)
    : QObject(&form)
    , FForm(form)
{
    setObjectName(QStringLiteral("FileManagerCommands"));
    AskText =
        [this](const QString& caption, const QString& prompt, const QString& text) -> std::optional<QString> {
        bool ok = false;
        QString answer = QInputDialog::getText(&FForm, caption, prompt, QLineEdit::Normal, text, &ok);
        return ok ? std::optional<QString>(answer) : std::nullopt;
    };
    ChooseFolder = [this](const QString& title, const QString& start) -> std::optional<QString> {
        return TBrowseDirectoryDlg::Browse(&FForm, title, start);
    };
    ShowInformation = [this](const QString& text) {
        FForm.HostSeam().Inform(CoreText(text), -125, -75);
    };

    QMenu* files = FForm.FilePopUpMenu1;
    files->addSeparator();
    OpenFile1 = MenuItem(files, "OpenFile1", M::OpenFile, this);
    RenameFile1 = MenuItem(files, "RenameFile1", "Rename File", this);
    DeleteFile1 = MenuItem(files, "DeleteFile1", M::DeleteFile, this);
    ShowFileDetails1 = MenuItem(files, "ShowFileDetails1", "Show File Details", this);
    QMenu* folders = FForm.DirPopUpMenu1;
    folders->addSeparator();
    CreateDirectory1 = MenuItem(folders, "CreateDirectory1", "Create Folder", this);
    RenameDirectory1 = MenuItem(folders, "RenameDirectory1", "Rename Folder", this);
    DeleteDirectory1 = MenuItem(folders, "DeleteDirectory1", "Delete Folder", this);

    connect(files, &QMenu::aboutToShow, this, [this] { PrepareFileMenu(MenuSide()); });
    connect(folders, &QMenu::aboutToShow, this, [this] { PrepareFolderMenu(MenuSide()); });
    connect(OpenFile1, &QAction::triggered, this, [this] { OpenFile1Click(MenuSide()); });
    connect(DeleteFile1, &QAction::triggered, this, [this] { DeleteFile1Click(MenuSide()); });
    connect(ShowFileDetails1, &QAction::triggered, this, [this] { ShowFileDetails1Click(MenuSide()); });
    connect(CreateDirectory1, &QAction::triggered, this, [this] { CreateDirectory1Click(MenuSide()); });
    connect(RenameDirectory1, &QAction::triggered, this, [this] { RenameDirectory1Click(MenuSide()); });
    connect(DeleteDirectory1, &QAction::triggered, this, [this] { DeleteLocalDir(MenuSide()); });
    for (Side side : {Side::Source, Side::Target}) {
        FileList(side)->installEventFilter(this);
    }
}

Side FileManagerCommands::MenuSide() const
{
    return FForm.PopUpSide();
}

QListWidget* FileManagerCommands::FileList(Side side) const
{
    return FForm.Panes->Pane(side).FileList;
}

void FileManagerCommands::PrepareFileMenu(Side side)
{
    QListWidget* list = FileList(side);
    PaneState pane;
    pane.Count = list->count();
    pane.SelectedCount = static_cast<int>(list->selectedItems().size());
    pane.HasCurrent = list->currentItem() != nullptr;
    pane.CurrentItem = pane.HasCurrent ? CoreText(list->currentItem()->text()) : std::string();
    pane.ViewCompressedEnabled = ListingOf(FForm.Engine(), side).ViewCompressedEnabled;
    FileMenuState menu = Tandemix::PrepareFileMenu(pane);
    OpenFile1->setText(MenuCaption(menu.OpenFile1.Caption));
    OpenFile1->setEnabled(menu.OpenFile1.Enabled);
    DeleteFile1->setText(MenuCaption(menu.DeleteFile1.Caption));
    DeleteFile1->setEnabled(menu.DeleteFile1.Enabled);
    ShowFileDetails1->setEnabled(menu.ShowFileDetails1);
    RenameFile1->setEnabled(false); // files are renamed in the desktop's file manager
}

void FileManagerCommands::PrepareFolderMenu(Side side)
{
    std::string folder = TreeFolder(FForm, side);
    DeleteDirectory1->setText(
        MenuCaption(std::string(M::DeleteFolderNamed) + std::string(LastComponent(folder))));
    bool usable = !folder.empty() && !FForm.State().SyncActive;
    // A drive (the root, the home folder, a mount point) is neither renamed nor deleted here.
    bool drive = usable && IsDriveRoot(folder, CoreText(QDir::homePath()));
    DeleteDirectory1->setEnabled(usable && !drive);
    RenameDirectory1->setEnabled(usable && !drive);
    CreateDirectory1->setEnabled(usable);
}

void FileManagerCommands::OpenFile1Click(Side side)
{
    QListWidget* list = FileList(side);
    QListWidgetItem* current = list->currentItem();
    std::string name = list->count() > 0 && current != nullptr ? CoreText(current->text()) : std::string();
    if (!name.empty() && ListingOf(FForm.Engine(), side).ViewCompressed && Archive.ExtractForViewing) {
        // An archive view lists entries, not files: the entry is opened from a copy of its own.
        const std::string extracted = Archive.ExtractForViewing(side, name);
        if (!extracted.empty()) {
            OpenPaneFile(FForm.Context(), extracted.substr(0, extracted.rfind('/') + 1), name);
        }
        FForm.Context().State.StatusMsg(Msg::Ready);
        return;
    }
    OpenPaneFile(FForm.Context(), ListingOf(FForm.Engine(), side).Folder, name);
}

FileDeletion FileManagerCommands::DeletionOf(Side side) const
{
    QListWidget* list = FileList(side);
    FileDeletion request;
    request.PaneSide = side;
    request.Folder = ListingOf(FForm.Engine(), side).Folder;
    request.PaneCount = list->count();
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected()) {
            request.Selected.push_back(CoreText(list->item(row)->text()));
        }
    }
    if (QListWidgetItem* current = list->currentItem()) {
        request.Current = CoreText(current->text());
    }
    if (request.Selected.empty() && !request.Current.empty()) {
        request.Selected.push_back(request.Current);
    }
    if (request.Selected.size() == 1) {
        request.Current = request.Selected.front();
    }
    request.Archive = &Archive;
    return request;
}

void FileManagerCommands::DeleteFile1Click(Side side)
{
    if (FileList(side)->count() == 0 || FForm.State().SyncActive) {
        return;
    }
    if (Tandemix::DeleteFile1Click(FForm.Context(), DeletionOf(side)) != -1) {
        FForm.RefreshFileListings();
    }
}

void FileManagerCommands::ShowFileDetails1Click(Side side)
{
    QListWidgetItem* current = FileList(side)->currentItem();
    if (current == nullptr) {
        return;
    }
    std::string name = CoreText(current->text());
    for (const TFileData& file : ListingOf(FForm.Engine(), side).Files) {
        if (file.FileName == name) {
            ShowInformation(UiText(FileDetailsText(file)));
            return;
        }
    }
}

void FileManagerCommands::CreateDirectory1Click(Side side)
{
    std::string current = ListingOf(FForm.Engine(), side).Folder;
    std::optional<QString> chosen =
        ChooseFolder(UiText("Create Folder"), UiText(current.empty() ? std::string("/") : current));
    if (!chosen) {
        return;
    }
    std::string folder = CoreText(QDir::cleanPath(*chosen));
    if (!CreateChosenFolder(FForm.Context(), folder)) {
        return;
    }
    FForm.DirectoryListBox1Change(side, folder);
}

void FileManagerCommands::RenameDirectory1Click(Side side)
{
    std::string folder(WithoutTrailingSlashes(TreeFolder(FForm, side)));
    std::string oldName(LastComponent(folder));
    if (oldName.empty() || FForm.State().SyncActive || IsDriveRoot(folder, CoreText(QDir::homePath()))) {
        return;
    }
    std::string base(ParentFolder(folder));
    std::optional<QString> answer =
        AskText(UiText(std::string(M::RenameCaption) + oldName), UiText(M::RenamePrompt), UiText(oldName));
    if (!answer) {
        return;
    }
    std::string newName = CoreText(*answer);
    if (RenameDirectory(FForm.Context(), base, oldName, newName) == FolderRename::Renamed) {
        Repoint(side, folder, AddTrailingBackslash(base) + newName);
    }
}

void FileManagerCommands::Repoint(Side side, const std::string& from, const std::string& to)
{
    for (Side each : {side, side == Side::Source ? Side::Target : Side::Source}) {
        const std::string shown = ListingOf(FForm.Engine(), each).Folder;
        if (std::optional<std::string> moved = Moved(shown, from, to)) {
            FForm.DirectoryListBox1Change(each, *moved);
        } else if (each == side) {
            FForm.DirectoryListBox1Change(each, shown);
        }
    }
}

void FileManagerCommands::DeleteLocalDir(Side side)
{
    std::string folder(WithoutTrailingSlashes(TreeFolder(FForm, side)));
    if (folder.empty() || FForm.State().SyncActive) {
        return;
    }
    FolderDeletion result = Tandemix::DeleteLocalDir(FForm.Context(), folder, CoreText(QDir::homePath()));
    if (result == FolderDeletion::NotAllowed || result == FolderDeletion::Declined) {
        return;
    }
    // Either side that showed the folder, or a folder in it, goes to the folder's parent.
    std::string parent(WithoutTrailingSlashes(ParentFolder(folder)));
    for (Side each : {side, side == Side::Source ? Side::Target : Side::Source}) {
        const std::string shown = ListingOf(FForm.Engine(), each).Folder;
        if (Moved(shown, folder, parent) || each == side) {
            FForm.DirectoryListBox1Change(each, parent);
        }
    }
    FForm.RefreshFileListings();
}

bool FileManagerCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        for (Side side : {Side::Source, Side::Target}) {
            if (watched != FileList(side)) {
                continue;
            }
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Delete) {
                DeleteFile1Click(side);
                return true;
            }
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && FileList(side)->selectedItems().size() == 1) {
                OpenFile1Click(side);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace Tandemix
