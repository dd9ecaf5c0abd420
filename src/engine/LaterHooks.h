// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "engine/RunContext.h"
#include "engine/RunTotals.h"

#include <string>
#include <vector>

namespace Tandemix {

// The folders of one row of the running batch grid; empty when the row names none.
struct BatchRowFolders
{
    std::string Source;
    std::string Target;
};

// Where a run hands over to the subsystems built on top of the engine: the handling of
// unmatched target items, the rows of a batch list and compressed synchronisation. Each
// method does nothing yet (and says so by its result); whoever builds one of those subsystems
// overrides it and installs the object in EngineState::Hooks. UI thread only.
class LaterHooks
{
public:
    virtual ~LaterHooks() = default;

    // ---- Unmatched target items --------------------------------------------------------
    // Lists or deletes what the walk left unmatched: at the end of a run and at every batch
    // item's end. False only when the user cancelled (a batch then ends).
    virtual bool DeleteUnmatchedFiles(RunContext& /*ctx*/, RunSender /*sender*/) { return true; }

    // ---- Batch list --------------------------------------------------------------------
    virtual int BatchRowCount(RunContext& /*ctx*/) { return 0; }
    // Rows are numbered from 1.
    virtual BatchRowFolders BatchRow(RunContext& /*ctx*/, int /*row*/) { return {}; }
    // The row the running batch grid stands on (0: none).
    virtual int BatchCurrentRow(RunContext& /*ctx*/) { return 0; }
    // Applies the row's folders and options to the window: -1 nothing to run, 0 done, 1 a
    // folder of the row is not accessible.
    virtual int InitiateBatchItem(RunContext& /*ctx*/, int /*row*/) { return -1; }
    virtual void ReturnToFirstBatchRow(RunContext& /*ctx*/) {}

    // ---- Compressed synchronisation ------------------------------------------------------
    // Lists the side's archive in place of its folder when the side's compressed view is on
    // (during a compressed run: the side the run reads or writes the archive on). True when the
    // archive took the folder's place; the folder is then not listed.
    virtual bool ListArchiveView(RunContext& /*ctx*/, Side /*side*/, const std::string& /*folder*/)
    {
        return false;
    }
    // Readies the archive side of the folder pair about to be decided.
    virtual void PrepareArchiveSide(RunContext& /*ctx*/) {}
    // Puts one decided file into, or takes it out of, the folder's archive. A CopyResult number:
    // nothing is archived yet, so nothing is counted as done.
    virtual int ArchiveFile(RunContext& /*ctx*/, const DeltaRow& /*row*/) { return 1; }
    // Writes out the folder's archive after its last file.
    virtual void FinishArchiveSide(RunContext& /*ctx*/) {}
    // Deletes the named entries from an archive (the archive itself stays, emptied or not).
    // The names the archive is seen not to hold afterwards; none while nothing can delete them.
    virtual std::vector<std::string> DeleteArchiveEntries(RunContext& /*ctx*/,
                                                          const std::string& /*archive*/,
                                                          const std::vector<std::string>& /*names*/)
    {
        return {};
    }
};

// The hooks installed in the engine, or ones that do nothing when none are.
LaterHooks& HooksOf(RunContext& ctx);

} // namespace Tandemix
