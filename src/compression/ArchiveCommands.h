// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "compression/CompressedSync.h"
#include "engine/EngineState.h"
#include "engine/RunContext.h"

namespace Tandemix {

// The file panes' archive commands, for the side the pop-up menu was opened on: "Compress File
// List" (consolidate false), "Consolidate File List" (consolidate true: the files then leave the
// folder) and "Expand Compressed Folder"; with sub-folders on, each sub-folder gets the same with
// its own archive. Each asks first. UI thread only.
void CompressFolder1Click(RunContext& ctx, CompressionHooks& zip, Side side, bool consolidate);
void ExpandFolder1Click(RunContext& ctx, CompressionHooks& zip, Side side);

// "Open File" on a side that shows its archive: the entry is extracted alone into
// `scratchFolder`, emptied first so that nothing of an earlier entry is opened in its place. The
// extracted file's path, or empty when it could not be extracted (the component said why).
std::string ExtractEntryForViewing(RunContext& ctx,
                                   CompressionHooks& zip,
                                   Side side,
                                   const std::string& entry,
                                   const std::string& scratchFolder);

} // namespace Tandemix
