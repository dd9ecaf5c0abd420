// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "filemanager/FileCommands.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QListWidget;

namespace Tandemix {

class TMainSyncForm;

// The file and folder commands of the panes' and trees' pop-up menus: open, delete, details,
// create, rename and delete folders. The work is done in the core; this turns the menus' and
// keys' clicks into those calls and shows their results. UI thread only.
class FileManagerCommands : public QObject
{
    Q_OBJECT

public:
    explicit FileManagerCommands(TMainSyncForm& form);

    // ---- The file pane menu ------------------------------------------------------------------
    QAction* OpenFile1 = nullptr;
    QAction* RenameFile1 = nullptr;
    QAction* DeleteFile1 = nullptr;
    QAction* ShowFileDetails1 = nullptr;
    // ---- The folder tree menu ----------------------------------------------------------------
    QAction* CreateDirectory1 = nullptr;
    QAction* RenameDirectory1 = nullptr;
    QAction* DeleteDirectory1 = nullptr;

    void PrepareFileMenu(Side side);
    void PrepareFolderMenu(Side side);
    void OpenFile1Click(Side side);
    void DeleteFile1Click(Side side);
    void ShowFileDetails1Click(Side side);
    void CreateDirectory1Click(Side side);
    void RenameDirectory1Click(Side side);
    void DeleteLocalDir(Side side);

    // The input box of "Rename Folder": the answer, or nothing when cancelled. Tests put their
    // own answer here.
    std::function<std::optional<QString>(const QString& caption, const QString& prompt, const QString& text)>
        AskText;
    // A folder dialog that can make a new folder: the folder chosen, or nothing.
    std::function<std::optional<QString>(const QString& title, const QString& start)> ChooseFolder;
    // The information box of "Show File Details".
    std::function<void(const QString& text)> ShowInformation;
    // What an archive view deletes through; empty until compression is there.
    ArchiveViewHooks Archive;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Side MenuSide() const;
    QListWidget* FileList(Side side) const;
    FileDeletion DeletionOf(Side side) const;
    // The side's folder again, and the other side's when it lay in what changed.
    void Repoint(Side side, const std::string& from, const std::string& to);

    TMainSyncForm& FForm;
};

} // namespace Tandemix
