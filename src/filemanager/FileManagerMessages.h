// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

// The texts of the panes' file and folder commands and of drag-and-drop.
namespace Tandemix::FileManagerMsg {

// ---- The file pane's menu -------------------------------------------------------------------
inline constexpr std::string_view OpenFile = "Open File";
inline constexpr std::string_view Launch = "Launch: ";
inline constexpr std::string_view View = "View: ";
inline constexpr std::string_view DeleteFile = "Delete File";
inline constexpr std::string_view DeleteFileNamed = "Delete File: ";
inline constexpr std::string_view DeleteCountFirst = "Delete ";
inline constexpr std::string_view DeleteCountSecond = " Files";
inline constexpr std::size_t CaptionNameLength = 75;
// The folder tree's menu.
inline constexpr std::string_view DeleteFolderNamed = "Delete: ";

// ---- Deleting files -------------------------------------------------------------------------
inline constexpr std::string_view SureToDelete = "Are you sure you want to delete ";
inline constexpr std::string_view QuestionFile = "\n\tFile: ";
inline constexpr std::string_view QuestionAttr = "\tAttr: ";
inline constexpr std::string_view QuestionThese = "these ";
inline constexpr std::string_view QuestionFiles = " files?";
inline constexpr std::string_view DeletingFile = "Deleting file: ";
inline constexpr std::string_view FileDeleted = "File Deleted";
inline constexpr std::string_view CouldNotDeleteFile = "Could not Delete File:";
inline constexpr std::string_view ArchiveNotAvailable =
    "The entries of an archive cannot be deleted: compression is not available in this build.";

// ---- File details ---------------------------------------------------------------------------
inline constexpr std::string_view DetailTitle = "Detail File Information:             ";
inline constexpr std::size_t DetailRuleLength = 61;
inline constexpr std::string_view DetailName = "Name: \t";
inline constexpr std::string_view DetailSize = "Size: \t";
inline constexpr std::string_view DetailDate = "Date: \t";
inline constexpr std::string_view DetailTime = "Time: \t";
inline constexpr std::string_view DetailAttr = "Attr: \t";
inline constexpr std::size_t DetailAttrLength = 13;
inline constexpr std::string_view DetailCompressed = "Compressed Size: ";

// ---- Folders --------------------------------------------------------------------------------
inline constexpr std::string_view DeletingFolder = "Deleting folder: ";
inline constexpr std::string_view SureToDeleteFolder = "Are you sure you want to delete:\nFolder: ";
inline constexpr std::string_view AndAllContents = "and all of its contents?";
inline constexpr std::size_t FolderQuestionLength = 75;
inline constexpr std::string_view CouldNotDeleteFolder = "Could Not Delete Folder:";
inline constexpr std::string_view RenameCaption = "Old Name: ";
inline constexpr std::string_view RenamePrompt = "New Name: ";
inline constexpr std::string_view Renaming = "Renaming: ";
inline constexpr std::string_view ErrorRenaming = "Error renaming directory!";
inline constexpr std::string_view SourceFolderSelection = "Source Folder Selection";
inline constexpr std::string_view TargetFolderSelection = "Target Folder Selection";
inline constexpr std::string_view CouldNotCreateFolder = "Could not create folder: ";

// ---- Drives and network shares --------------------------------------------------------------
inline constexpr std::string_view RefreshDriveList = "Refresh Drive List";
inline constexpr std::string_view SelectAlternate = "Select Alternate Drive/Folder";
inline constexpr std::string_view MapNetworkDrive = "Map Network Drive";
inline constexpr std::string_view DisconnectNetworkDrive = "Disconnect Network Drive";
inline constexpr std::string_view NotAShare = "This is not the address of a network share: ";
inline constexpr std::string_view GioMissing =
    "Network drives are mapped with the desktop's \"gio\" program, which is not installed "
    "(Debian package libglib2.0-bin).";
inline constexpr std::string_view CouldNotMap = "Could not map the network drive ";
inline constexpr std::string_view CouldNotDisconnect = "Could not disconnect the network drive ";
inline constexpr std::string_view GioTimedOut = "gio did not answer within a minute.";
inline constexpr std::string_view NoShareMapped = "No network drive is mapped.";
inline constexpr int GioTimeoutMs = 60000;

// ---- Drag-and-drop --------------------------------------------------------------------------
inline constexpr std::string_view ModeSynchronize = "Synchronize";
inline constexpr std::string_view ModeCompress = "COMPRESS";
inline constexpr std::string_view ModeExpand = "EXPAND";
inline constexpr std::string_view DisableDeleteUnmatched =
    "Please disable the \"Delete Unmatched\" feature prior to drag-drop operation";
inline constexpr std::string_view CompressedToCompressed =
    "You cannot synchronize compressed data to compressed data.\n\nUncheck \"View Compressed\" for source "
    "or target files then try again.";
inline constexpr std::string_view SureTo = "Are you sure you want to ";
inline constexpr std::string_view DropFolder = " folder ";
inline constexpr std::string_view DropTo = " To ";
inline constexpr std::string_view DropSourceFile = " Source file: ";
inline constexpr std::string_view DropThe = " the ";
inline constexpr std::string_view DropSelectedFiles = " selected Source files?";
inline constexpr std::size_t DropQuestionLength = 255;

} // namespace Tandemix::FileManagerMsg
