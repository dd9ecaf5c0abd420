// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace Tandemix {

// The look of the synchronise button and of the two folder labels beside it: what a press of
// the button will do, said before it is pressed. Compression is shown in red on the side that
// is archived: the target when compressing, the source when expanding.
enum class FolderColour
{
    Unchanged,
    Navy,
    Red,
};

struct SyncButtonLook
{
    std::string_view Caption;
    FolderColour Source = FolderColour::Unchanged;
    FolderColour Target = FolderColour::Unchanged;
    bool CompressionShown = false; // the compression indicator in red
};

struct SyncButtonState
{
    bool Replicate = false;
    bool RunBatchChecked = false;
    bool RunBatchEnabled = false;
    bool UseCompression = false;
    int CompressExpand = 0; // 0 compress, 1 expand
};

// The look for the state, or nothing when the button is to stay as it is (a batch list is
// checked but cannot run).
std::optional<SyncButtonLook> SyncButtonCaption(const SyncButtonState& state);

} // namespace Tandemix
