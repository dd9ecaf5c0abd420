// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "engine/TFileData.h"

#include <functional>
#include <string>
#include <vector>

namespace Tandemix {

// What a file pane shows at the moment its menu is asked for.
struct PaneState
{
    int Count = 0; // items in the pane
    int SelectedCount = 0;
    bool HasCurrent = false;
    std::string CurrentItem; // the current item's text (a file name)
    bool ViewCompressedEnabled = false; // the side's "View Compressed" box can be used
};

struct MenuItemState
{
    std::string Caption;
    bool Enabled = false;
};

// The file pane menu as the right click leaves it.
struct FileMenuState
{
    MenuItemState OpenFile1;
    MenuItemState DeleteFile1;
    bool ShowFileDetails1 = false;
    bool ExpandFolder1 = false;
};

// Opening starts a file only when its name says it is a program (".exe", ".bat"); an executable
// bit alone never does: a script is shown, not run, and on a FAT or NTFS disk every file has one.
FileMenuState PrepareFileMenu(const PaneState& pane);

// The archive work behind a pane that shows an archive's entries. Empty until the compression
// component is there: an archive view then deletes nothing.
struct ArchiveViewHooks
{
    // Deletes the named entries from the side's archive; `all`: every entry was named, so the
    // archive itself goes and the side shows its folder again. False when nothing changed.
    std::function<bool(Side side, const std::vector<std::string>& entries, bool all)> DeleteEntries;
    // "Open File" on an archive view: extracts the entry alone into an emptied scratch folder and
    // gives the extracted file's path, or empty when it could not be extracted.
    std::function<std::string(Side side, const std::string& entry)> ExtractForViewing;
};

// One delete command of a file pane.
struct FileDeletion
{
    Side PaneSide = Side::Source;
    std::string Folder; // the side's folder
    std::vector<std::string> Selected; // the selected items, in pane order
    std::string Current; // the current item
    int PaneCount = 0; // every item of the pane (an archive view: all selected deletes it)
    bool Ask = true; // false for the compression commands, which delete without asking
    bool ArchiveView = false;
    const ArchiveViewHooks* Archive = nullptr;
};

// The question before files are deleted: the one file with its attribute letters read from the
// disk, or the number of files.
std::string DeleteFilesQuestion(const FileDeletion& request);

// Deletes the selected files after the question: each file is erased (a link as a link, a
// read-only file without another question), filed in the deletion list, and one that cannot be
// erased is reported and stays while the others still go. A stop ends the walk. Returns the
// number of files deleted; -1 when the user said no. UI thread only.
int DeleteMultipleFiles(RunContext& ctx, const FileDeletion& request);

// "Delete File": DeleteMultipleFiles, then the free space of both sides shown again.
int DeleteFile1Click(RunContext& ctx, const FileDeletion& request);

// The text of "Show File Details", lines separated by CR.
std::string FileDetailsText(const TFileData& file);

// Opens the current item of a pane: starts a program, shows anything else. Nothing for an empty
// name. The viewer reports a missing file itself.
void OpenPaneFile(RunContext& ctx, const std::string& folder, const std::string& name);

} // namespace Tandemix
