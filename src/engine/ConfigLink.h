// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunState.h"
#include "settings/Configuration.h"
#include "settings/PasswordFile.h"

#include <string_view>

namespace Tandemix {

// A configuration load or save wired to the program's run state: its loading marker is the one
// option handlers and status messages read, and its messages go to the host's question box.
inline ConfigContext ConfigContextOf(Options& opts, RunState& state)
{
    // Stateless: one store serves every load.
    static FilePasswordStore passwords;
    return ConfigContext{
        .Opts = opts,
        .LoadingMarker = state.SourceFileListTag,
        .Tell = [&state](std::string_view message) { state.GetHost().Ask(message, DialogButtons::Ok); },
        .Passwords = &passwords};
}

} // namespace Tandemix
