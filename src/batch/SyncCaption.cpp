// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/SyncCaption.h"

#include "batch/BatchMessages.h"

namespace Tandemix {

std::optional<SyncButtonLook> SyncButtonCaption(const SyncButtonState& state)
{
    if (state.RunBatchChecked) {
        if (!state.RunBatchEnabled) {
            return std::nullopt;
        }
        return SyncButtonLook{BatchMsg::SyncBatchCaption};
    }
    SyncButtonLook look{{}, FolderColour::Navy, FolderColour::Navy, false};
    if (!state.UseCompression) {
        look.Caption = state.Replicate ? BatchMsg::ReplicateCaption : BatchMsg::SynchronizeCaption;
        return look;
    }
    look.CompressionShown = true;
    if (state.CompressExpand == 1) {
        look.Caption = state.Replicate ? BatchMsg::ExpandReplicateCaption : BatchMsg::ExpandCaption;
        look.Source = FolderColour::Red;
    } else {
        look.Caption = state.Replicate ? BatchMsg::CompressReplicateCaption : BatchMsg::CompressCaption;
        look.Target = FolderColour::Red;
    }
    return look;
}

} // namespace Tandemix
