// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The texts of the deletion of unmatched target items.
namespace Tandemix::UnmatchedMsg {

inline constexpr std::string_view DeletingFile = "Deleting file: ";
inline constexpr std::string_view DeletingFolder = "Deleting folder: ";
inline constexpr std::string_view DeletingFolderStatus = "Deleting Folder";
inline constexpr std::string_view CannotDeleteFile = "Cannot Delete File ";
inline constexpr std::string_view CouldNotDeleteFile = "Could Not Delete File:";
inline constexpr std::string_view CouldNotDeleteFolder = "Could Not Delete Folder:";
inline constexpr std::string_view CouldNotRecover = "Could Not Move To Recovery Folder:";
// The countdown: the number of entries, then these three around the seconds left.
inline constexpr std::string_view CountdownFirst = "UnMatched file(s) and/or folder(s) in";
inline constexpr std::string_view CountdownSecond = "target will be deleted in";
inline constexpr std::string_view CountdownThird = "seconds!";
inline constexpr std::string_view CountdownCaption = "File/Folder Deletion Warning";
inline constexpr std::string_view FileDeleted = "File Deleted";
inline constexpr std::string_view FolderDeleted = "Folder Deleted";
inline constexpr std::string_view FolderDeletedDetail = "---";

// Why the unmatched items of a pair were kept. Each is followed by the folder concerned.
inline constexpr std::string_view HeldSourceMissing =
    "Unmatched items were not deleted: the source folder is missing: ";
inline constexpr std::string_view HeldSourceEmpty =
    "Unmatched items were not deleted: the source folder is empty while the target is not "
    "(an unmounted drive looks so): ";
inline constexpr std::string_view HeldSourceNotMounted =
    "Unmatched items were not deleted: the source folder's drive is not mounted: ";
inline constexpr std::string_view HeldMassDeletion =
    "Unmatched items were not deleted: the deletion would remove more than half of the target's files: ";
inline constexpr std::string_view HeldOutsideTarget = "Not deleted, it lies outside the target: ";
// Entries of an archive: kept when they cannot be named to the zip library alone, when a
// recovery folder is set (an entry cannot be moved there), and when the archive kept them.
inline constexpr std::string_view HeldArchiveName =
    "Not deleted, the name cannot be given to the archive alone: ";
inline constexpr std::string_view HeldArchiveRecovery =
    "Not deleted, a recovery folder is set and archive entries cannot be moved there: ";
inline constexpr std::string_view CouldNotDeleteEntry = "Could Not Delete Compressed File:";
inline constexpr std::string_view AskAnyway = "\n\nDelete them anyway?";
inline constexpr std::string_view FilesToDelete = " files of ";

} // namespace Tandemix::UnmatchedMsg
