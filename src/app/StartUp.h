// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunState.h"
#include "settings/Options.h"

#include <optional>
#include <string>
#include <vector>

namespace Tandemix {

inline constexpr const char* DefaultConfigName = "TXDef.CFG";
inline constexpr const char* PreviousConfigName = "TX35Def.CFG";
inline constexpr const char* TempFolderName = "TXTEMP00";
inline constexpr const char* CustomTextName = "Custom1.TXT";

// The path of the default configuration in `programFolder`. When only the previous release's
// file exists it is copied first; the copy never replaces an existing file and its failure is
// not an error (the defaults then apply).
std::string PrepareDefaultConfig(const std::string& programFolder);

// Where the zip work keeps its scratch files: in the program folder when it is on a local disk,
// else under the user's cache folder, so archives are not built across a network share.
std::string TempFolderFor(const std::string& programFolder);

// The journal of temporary files kept here by processes that ended is worked off first (their
// recorded leftovers are removed), and this process records its own in it from now on.
// A temporary folder left by an earlier run is removed without a single dialog (messages are
// switched off for the duration and run state marks the work as uninterruptible); it is not
// recreated then. A missing one is created. Failures are silent: the zip operations that need
// the folder report their own errors.
void PrepareTempFolder(const std::string& tempFolder, RunState& state, Options& options);

// The lines of "Custom1.TXT" in the program folder, or nothing when it does not exist.
std::optional<std::vector<std::string>> ReadCustomText(const std::string& programFolder);

} // namespace Tandemix
