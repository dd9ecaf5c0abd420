// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Tandemix {

// The state of both panes and of the compression switches when something is dropped.
struct DropPanes
{
    bool SourceArchiveView = false; // the source pane shows an archive's entries (drawn red)
    bool TargetArchiveView = false;
    bool SourceViewChecked = false; // "View Compressed" of the source side
    bool SourceViewEnabled = false;
    bool TargetViewChecked = false;
    bool TargetViewEnabled = false;
    bool UseCompression = false;
    int CompressExpand = 0; // 0 compress, 1 expand
};

// What a drop is and the settings it makes for itself.
struct DropMode
{
    std::string Mode; // "Synchronize", "COMPRESS" or "EXPAND"; empty: refused
    bool UseCompression = false;
    int CompressExpand = 0;
    std::optional<bool> SourceViewCompressed; // set when the drop changes the box
    std::optional<bool> TargetViewCompressed;
    bool TargetPaneRed = false;
};

// The mode of a drop, the first matching rule winning: archive onto archive is refused, an
// archive onto a folder expands, a folder onto an archive compresses, and so on down to a plain
// synchronisation with compression off.
DropMode ChooseDropMode(const DropPanes& panes);

// The questions before a drop: a folder, one file (by name) or several (by count). Cut to 255
// characters.
std::string DropFolderQuestion(std::string_view mode, const std::string& folder, const std::string& target);
std::string DropFilesQuestion(std::string_view mode, std::size_t selected, const std::string& current);

// Where a compressed drop hands over to the compression component; empty until it is there.
struct DropHooks
{
    std::function<void()> ClearFilesToProcess; // empties the component's list of files
};

// Synchronises the named source files (not their folders) into the target folder on screen, as
// a run does with just them: the sync log opened with its header, each file logged, the summary
// written, the log closed. Sub-folders are neither walked nor made, whatever the options say;
// both switches are back afterwards, as are the compression settings. Returns the result of the
// folder (0 done, 4 stopped, 3 no room). UI thread only.
int DropSelectedFiles(RunContext& ctx, const std::vector<std::string>& names);

struct FileDrop
{
    std::vector<std::string> Selected; // in pane order
    std::string Current; // the pane's current item
    DropPanes Panes;
    const DropHooks* Hooks = nullptr;
};
// A drop of files onto the target pane: ignored while another operation goes on, refused while
// "Delete Unmatched" is on, then the mode, the question, and on Yes DropSelectedFiles. The
// compression settings are back afterwards whatever happened. True when the files were
// synchronised.
bool TargetFileListDragDrop(RunContext& ctx, const FileDrop& drop);

// A drop of the source tree's folder onto the target pane: after the same checks and the
// question, an ordinary run of that folder into the target on screen, compressing into a
// target shown as an archive or expanding a source shown as one.
bool TargetFolderDrop(RunContext& ctx,
                      const std::string& folder,
                      const DropPanes& panes,
                      const DropHooks* hooks);

// Refuses a drop while "Delete Unmatched" is on, with its message; true when refused.
bool RefuseDropForDeletion(RunContext& ctx);

} // namespace Tandemix
