// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/IniFile.h"
#include "settings/Options.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// The four list sections of the configuration file. Each is erased and written anew on save, so
// entries removed from a list do not linger in the file. Writers throw IniWriteError.

inline constexpr std::string_view ExcludeListSection = "Exclude File List";
inline constexpr std::string_view IncludeListSection = "Include Filter List";
inline constexpr std::string_view BatchListSection = "Batch File List";
inline constexpr std::string_view RecentListSection = "Recent Folder List";

using RecentFolderList = std::array<std::string, 4>;

// Moves the selected entry, if any, to the front and selects it there: the newest comes first.
void SelectedToFront(SelectableList& list);

// Exclusion masks. The empty mask (no exclusion) is stored as "_BLANK_" under the keys "0", "1"...
// (the position); reading always yields an empty entry, appended when the file has none, and
// selects entry 0.
SelectableList ReadExcludeList(const IniFile& ini);
void WriteExcludeList(IniFile& ini, SelectableList& list);

// Include masks under "1", "2"... counting the non-empty ones only. Reading appends "*.*" when
// the file does not hold it and selects entry 0.
SelectableList ReadIncludeList(const IniFile& ini);
void WriteIncludeList(IniFile& ini, SelectableList& list);

// Batch files under their position; empty entries are skipped, which leaves gaps in the keys.
// Reading appends an empty entry when there is none; nothing is selected.
SelectableList ReadBatchFileList(const IniFile& ini);
void WriteBatchFileList(IniFile& ini, SelectableList& list);

// Recent folder pairs under "Recent Folder1" to "Recent Folder4", the empty ones left out.
RecentFolderList ReadRecentFolders(const IniFile& ini);
void WriteRecentFolders(IniFile& ini, const RecentFolderList& recent);

// "source >> target".
std::string RecentPairText(std::string_view sourceFolder, std::string_view targetFolder);
// 1 to 4: the entry holding `pair` (compared without regard to ASCII case); 0 when none does.
int RecentFolderIndex(const RecentFolderList& recent, std::string_view pair);
// Puts `pair` first. A pair already listed swaps places with the first entry; a new one pushes
// the others down, the oldest falling out.
void RememberRecentPair(RecentFolderList& recent, std::string_view pair);

} // namespace Tandemix
