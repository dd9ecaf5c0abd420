// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

#include <string>

namespace Tandemix {

// Whether a folder is one the drive boxes offer as a drive: the root, a mount point, or the
// home folder. Such a folder is never deleted from a tree.
bool IsDriveRoot(const std::string& folder, const std::string& home);

enum class FolderDeletion
{
    NotAllowed, // a drive root: nothing happens
    Declined, // the user said no
    Deleted,
    Failed, // something stayed; reported
};

// "Delete Folder" on a tree: after the question, the folder is emptied (files into the recovery
// folder when one is set, each deletion filed) and removed. A link in the tree is removed as a
// link; below the folder no link is ever entered, so nothing outside it is touched. The free
// space of the sides on the same disk is shown again. UI thread only.
FolderDeletion DeleteLocalDir(RunContext& ctx, const std::string& folder, const std::string& home);

enum class FolderRename
{
    Unchanged, // the same name, or a name already taken: silently nothing
    Renamed,
    Failed, // "Error renaming directory!" was shown
};

// Renames the folder `oldName` in `base` to `newName`. On Linux names differing only in case
// are different names, so such a rename is a real one (on a disk that does not tell them
// apart the name is taken and nothing happens). A name holding a '/' or naming "." or ".."
// would move the folder elsewhere: it fails.
FolderRename RenameDirectory(RunContext& ctx,
                             const std::string& base,
                             const std::string& oldName,
                             const std::string& newName);

// A folder chosen in "Create Folder" that does not exist yet is made, with its missing parents.
// False (and reported) when it cannot be.
bool CreateChosenFolder(RunContext& ctx, const std::string& folder);

} // namespace Tandemix
