// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Options.h"

#include <string_view>

namespace Tandemix {

// The recently opened batch files (Options::BatchFileLoadList, kept by the configuration): full
// paths, the newest first, and one empty entry that stands for "no list open". Paths are
// compared exactly, as the file system names them.

// Remembers a batch file just opened for running: a path not listed yet is put first, and when
// the list already holds more than 10 entries, the tenth goes. The tenth rather than the last:
// the last is normally the empty entry, which must stay. The path's entry is then first and
// selected.
void RememberBatchFile(SelectableList& recent, std::string_view path);

// Removes the selected entry (the Delete key on the list) and selects the empty one. The empty
// entry itself is never removed.
void ForgetSelectedBatchFile(SelectableList& recent);

} // namespace Tandemix
