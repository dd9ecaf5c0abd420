// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The program's own words for compressed synchronisation and the archive commands.
namespace Tandemix::ZipMsg {

inline constexpr std::string_view Preparing = "Preparing";
inline constexpr std::string_view PreparingList = "Preparing list of files...";
inline constexpr std::string_view Compressing = "Compressing";
inline constexpr std::string_view Updating = "Updating";
inline constexpr std::string_view Expanding = "Expanding";
inline constexpr std::string_view Writing = "Writing";
inline constexpr std::string_view CompressingFile = "Compressing file: ";
inline constexpr std::string_view UpdatingFiles = "Updating files: ";
inline constexpr std::string_view ExpandingFile = "Expanding file: ";
inline constexpr std::string_view DeletingCompressed = "Deleting compressed file: ";
inline constexpr std::string_view Listing = "Listing ";
inline constexpr std::string_view ListingFiles = " files...";
inline constexpr std::string_view PasswordIncorrect1 = "File (";
inline constexpr std::string_view PasswordIncorrect2 = ") cannot be accessed.  Password is incorrect!";
inline constexpr std::string_view RootArchive = "ROOT_";

// The archive step's failure, followed by the archive and the library's own reason; the files
// it names were not put into (or taken out of) the archive.
inline constexpr std::string_view ArchiveFailed = "Could Not Write Archive:";
inline constexpr std::string_view ExpandFailed = "Could Not Expand Archive:";
inline constexpr std::string_view LibraryMissing = "the zip libraries could not be loaded";

// Manual commands on the file panes.
inline constexpr std::string_view AreYouSure = "Are you sure you want to ";
inline constexpr std::string_view Consolidate = "Consolidate ";
inline constexpr std::string_view Compress = "Compress ";
inline constexpr std::string_view AndSubFolders = " and all of the sub-folders?";
inline constexpr std::string_view QuestionMark = "?";
inline constexpr std::string_view ExpandQuestion = "Are you sure you want to Expand the compressed folder: ";

// The archive password.
inline constexpr std::string_view WrongOldPassword =
    "Sorry, I do not recognize that Old Password.\nPlease try again.";
inline constexpr std::string_view PasswordNotSaved = "The password file could not be written: ";

} // namespace Tandemix::ZipMsg
