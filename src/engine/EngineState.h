// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunTotals.h"
#include "engine/TFileData.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

namespace Tandemix {

class FolderPrefetch;
class LaterHooks;

enum class Side : int
{
    Source = 1,
    Target = 2,
};

// One side's listing and the figures shown beside its pane.
struct SideListing
{
    std::string Folder; // the folder the side's tree points at
    std::vector<TFileData> Files; // SourceFileList / TargetFileList
    int FileCount = 0; // files listed (SourceFileCount / TargetFileCount)
    std::int64_t ByteTotal = 0; // SDirSize / TDirSize
    std::string FreeSpaceText; // SDriveSpaceValue / TDriveSpaceValue
    bool ViewCompressedEnabled = false; // the folder has an archive to show
    bool ViewCompressed = false; // the archive is shown in place of the folder
    // Target side only. The filters choose which target files are shown, counted and can be
    // unmatched, not which twins a source file has: the files they left out are kept here
    // (never shown, counted or unmatched), so that a source file is still decided against its
    // real twin and never "added" over a newer file the pane does not show.
    std::vector<TFileData> Unlisted;
    // Target entries that are not files (fifos, sockets, devices), by name: a source file of
    // that name is never copied over one.
    std::vector<TFileData> Special;
};

// One decided file: a row of TargetDeltaGrid.
struct DeltaRow
{
    std::string FileName;
    std::int64_t Size = 0;
    std::string DateText;
    std::string TimeText;
    std::string AttrLetters;
    std::string Reason; // "No Match" (add) or an update reason
    std::string SourceFolder; // with trailing separator
    std::string TargetFolder; // with trailing separator
    std::uint32_t PackedTime = 0;
    std::int64_t CompressedSize = -1;
    bool IsLink = false;
    // The target twin this row was decided against, by its own name (which may differ from
    // FileName in case); empty for an add. An update writes to exactly this file.
    std::string TargetName;
    timespec SourceMTime{}; // the source's last write as listed (UTC, full precision)
};

struct TargetDeltaGrid
{
    std::vector<DeltaRow> Rows;
    std::int64_t AddByteValue = 0;
    std::int64_t UpdateByteValue = 0;
    int DeltaCount = 0;
    // The row the run is handling (-1: none); the log's size, date and time columns of an
    // added or updated file are read from it.
    int CurrentRow = -1;
};

// The engine's program-wide working state between the panes, the decision and the copy.
struct EngineState
{
    SideListing Source;
    SideListing Target;
    TargetDeltaGrid Delta;
    std::vector<std::string> ExcludeList;
    std::string ExcludeListText; // the exclusion text ExcludeList was built from
    std::int64_t TargetFreeSpace = 0; // -1: cannot be known
    bool TargetFreeSpaceCounted = false; // counted down from copies since the disk was last asked
    // While a run walks its folders: reads each pair's target folder while the source is listed.
    FolderPrefetch* Prefetch = nullptr;
    std::string RemainingTargetSpace;
    int TotalFileCount = 0; // source files seen during a run
    int TotalFilesCheckedValue = 0; // source files examined by the decision during a run
    std::int64_t DecidedBytes = 0; // every decided row's size (compression progress)
    int FileGauge = 0;
    int DirGauge = 0;
    bool SkipFileEnabled = false;
    std::vector<std::string> DirDelList; // folders created during the run
    bool PreReportRun = false; // a report-only run: nothing on disk changes
    std::string ArchiveBeingWritten; // full path of the archive the run writes, if any
    std::string CompressionMessage; // what the zip work is doing; empty: nothing to show
    bool LastBatchRow = true; // for the disk-full question of a batch
    // ---- The run driver's state --------------------------------------------------------
    RunTotals Totals; // counters and gauges of the run
    RunFolders Folders; // target root, folders made or to be made
    bool RunGuard = false; // a run is going on: another request to start one is ignored
    std::deque<FolderPair> FolderQueue; // folder pairs still to walk
    LaterHooks* Hooks = nullptr; // subsystems a run hands over to; none: they do nothing
};

} // namespace Tandemix
