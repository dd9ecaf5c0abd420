// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The texts of batch lists and batch files. One place each.
namespace Tandemix::BatchMsg {

// ---- Defaults of the build page ---------------------------------------------------------------
inline constexpr std::string_view DefaultDescription = "Batch Directory Synchronization";
inline constexpr std::string_view DefaultFileName = "NewBatch";
inline constexpr std::string_view FileExtension = ".SNC";
inline constexpr std::string_view DefaultLogFileName = "Tandemix.Log";
inline constexpr std::string_view LogExtension = ".Log";

// ---- File problems, each followed by the path (the label in a 26-character column) ---------
inline constexpr std::string_view OutputFileNotAccessible = "Output File Not Accessible:";
inline constexpr std::string_view BatchFileNotAccessible = "Batch File Not Accessible:";
inline constexpr std::string_view FolderNotAccessible = "(Batch) Folder Not Accessible:";

// ---- Rows that cannot be stored, read or applied ---------------------------------------------
// "Batch row 3 cannot be saved: " + reason.
inline constexpr std::string_view RowNotSavedStart = "Batch row ";
inline constexpr std::string_view RowNotSavedEnd = " cannot be saved: ";
// "Line 5 of the batch file was not read: " + reason.
inline constexpr std::string_view LineNotReadStart = "Line ";
inline constexpr std::string_view LineNotReadEnd = " of the batch file was not read: ";
inline constexpr std::string_view DescriptionNotSaved =
    "The batch list's description cannot be saved: it holds a line break";

// Reasons; the cell's name comes first where one is named.
inline constexpr std::string_view HoldsLineBreak = " holds a TAB, a line break or a null character";
inline constexpr std::string_view NotANumber = " is not a number";
inline constexpr std::string_view NotAChoice = " names no choice";
inline constexpr std::string_view NotADate = " is not a date (mm/dd/yy)";
inline constexpr std::string_view NotAFullPath = " is not a full path";
inline constexpr std::string_view NotUtf8 = " is not valid UTF-8 text";
inline constexpr std::string_view TooManyCells = "it holds more than 34 cells (a cell held a TAB)";
inline constexpr std::string_view CutShort = "the file ends inside this row";
inline constexpr std::string_view NoFolder = "it names no folder";

// The cells' names in those reasons.
inline constexpr std::string_view CellRowNumber = "the row number";
inline constexpr std::string_view CellSource = "the source folder";
inline constexpr std::string_view CellDirection = "the direction marker";
inline constexpr std::string_view CellTarget = "the target folder";
inline constexpr std::string_view CellAttributeMask = "the attribute mask";
inline constexpr std::string_view CellDateMode = "the date mode";
inline constexpr std::string_view CellDateFrom = "the from-date";
inline constexpr std::string_view CellDateTo = "the to-date";
inline constexpr std::string_view CellPastDays = "the number of past days";
inline constexpr std::string_view CellIncludeMask = "the include mask";
inline constexpr std::string_view CellExcludeMask = "the exclude mask";
inline constexpr std::string_view CellMaxFileSize = "the maximum file size";
inline constexpr std::string_view CellMinFileSize = "the minimum file size";
inline constexpr std::string_view CellLogFileName = "the log file name";
inline constexpr std::string_view CellWarningDelay = "the deletion warning delay";
inline constexpr std::string_view CellCompressExpand = "the compress/expand choice";
inline constexpr std::string_view CellCompressionSpeed = "the compression speed";
inline constexpr std::string_view CellPassword = "the archive password";
inline constexpr std::string_view CellOther = "column ";

// ---- The synchronise button, by what a press will do -------------------------------------------
inline constexpr std::string_view SyncBatchCaption = "&Synchronize Batch List";
inline constexpr std::string_view SynchronizeCaption = "Synchronize &Source to Target";
inline constexpr std::string_view CompressCaption = "Compress &Source to Target";
inline constexpr std::string_view ExpandCaption = "Expand &Source to Target";
inline constexpr std::string_view ReplicateCaption = "Replicate &Source to Target";
inline constexpr std::string_view CompressReplicateCaption = "Compress/Replicate &Source to Target";
inline constexpr std::string_view ExpandReplicateCaption = "Expand/Replicate &Source to Target";

// ---- The batch pages ---------------------------------------------------------------------------
inline constexpr std::string_view SourceHeader = "Source Folder";
inline constexpr std::string_view TargetHeader = "Target Folder";
inline constexpr std::string_view NoListOpen = "None";
inline constexpr std::string_view UnsavedRow =
    "Changes have not been saved for current row.\n\nDo you want to save them now?";
inline constexpr std::string_view DeleteRowStart = "Are you sure you want to delete Row: ";
inline constexpr std::string_view DeleteRowEnd = "?";
inline constexpr std::string_view ConfiguringBatch = "Configuring batch settings...";
inline constexpr std::string_view SourceFolderChange = "Source Folder Change";
inline constexpr std::string_view TargetFolderChange = "Target Folder Change";
inline constexpr std::string_view FileFilter = "Tandemix Batch Files (*.SNC)";
inline constexpr std::string_view RunBatchListCaption = "Run Batch List";
inline constexpr std::string_view RunBatchListHint = "Process all folders in current batch listing";

} // namespace Tandemix::BatchMsg
