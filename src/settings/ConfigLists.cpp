// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigLists.h"

#include "platform/AsciiText.h"

#include <algorithm>

namespace Tandemix {

namespace {

constexpr std::string_view BlankMarker = "_BLANK_";
constexpr std::string_view RecentKeyPrefix = "Recent Folder";
constexpr std::string_view IncludeAll = "*.*";

// The value part of a "key=value" entry of ReadSectionValues.
std::string ValueOf(const std::string& entry)
{
    std::size_t equals = entry.find('=');
    return equals == std::string::npos ? std::string() : entry.substr(equals + 1);
}

std::string RecentKey(int number)
{
    return std::string(RecentKeyPrefix) + std::to_string(number);
}

bool Contains(const std::vector<std::string>& items, std::string_view wanted)
{
    return std::find(items.begin(), items.end(), wanted) != items.end();
}

} // namespace

void SelectedToFront(SelectableList& list)
{
    if (list.ItemIndex <= 0 || list.ItemIndex >= static_cast<int>(list.Items.size())) {
        return;
    }
    std::string selected = std::move(list.Items[static_cast<std::size_t>(list.ItemIndex)]);
    list.Items.erase(list.Items.begin() + list.ItemIndex);
    list.Items.insert(list.Items.begin(), std::move(selected));
    list.ItemIndex = 0;
}

SelectableList ReadExcludeList(const IniFile& ini)
{
    SelectableList list;
    bool hasEmpty = false;
    for (const std::string& entry : ini.ReadSectionValues(ExcludeListSection)) {
        if (entry.find(std::string("=") + std::string(BlankMarker)) != std::string::npos) {
            list.Items.emplace_back();
            hasEmpty = true;
        } else {
            list.Items.push_back(ValueOf(entry));
        }
    }
    if (!hasEmpty) {
        list.Items.emplace_back();
    }
    list.ItemIndex = 0;
    return list;
}

void WriteExcludeList(IniFile& ini, SelectableList& list)
{
    SelectedToFront(list);
    ini.EraseSection(ExcludeListSection);
    for (std::size_t i = 0; i < list.Items.size(); ++i) {
        const std::string& mask = list.Items[i];
        ini.WriteString(ExcludeListSection, std::to_string(i), mask.empty() ? BlankMarker : mask);
    }
}

SelectableList ReadIncludeList(const IniFile& ini)
{
    SelectableList list;
    for (const std::string& entry : ini.ReadSectionValues(IncludeListSection)) {
        list.Items.push_back(ValueOf(entry));
    }
    if (!Contains(list.Items, IncludeAll)) {
        list.Items.emplace_back(IncludeAll);
    }
    list.ItemIndex = 0;
    return list;
}

void WriteIncludeList(IniFile& ini, SelectableList& list)
{
    SelectedToFront(list);
    ini.EraseSection(IncludeListSection);
    int number = 0;
    for (const std::string& mask : list.Items) {
        if (!mask.empty()) {
            ini.WriteString(IncludeListSection, std::to_string(++number), mask);
        }
    }
}

SelectableList ReadBatchFileList(const IniFile& ini)
{
    SelectableList list;
    for (const std::string& entry : ini.ReadSectionValues(BatchListSection)) {
        list.Items.push_back(ValueOf(entry));
    }
    if (!Contains(list.Items, "")) {
        list.Items.emplace_back();
    }
    return list;
}

void WriteBatchFileList(IniFile& ini, SelectableList& list)
{
    SelectedToFront(list);
    ini.EraseSection(BatchListSection);
    for (std::size_t i = 0; i < list.Items.size(); ++i) {
        if (!list.Items[i].empty()) {
            ini.WriteString(BatchListSection, std::to_string(i), list.Items[i]);
        }
    }
}

RecentFolderList ReadRecentFolders(const IniFile& ini)
{
    RecentFolderList recent;
    for (int n = 1; n <= 4; ++n) {
        recent[static_cast<std::size_t>(n - 1)] = ini.ReadString(RecentListSection, RecentKey(n), "");
    }
    return recent;
}

void WriteRecentFolders(IniFile& ini, const RecentFolderList& recent)
{
    ini.EraseSection(RecentListSection);
    for (int n = 1; n <= 4; ++n) {
        const std::string& pair = recent[static_cast<std::size_t>(n - 1)];
        if (!pair.empty()) {
            ini.WriteString(RecentListSection, RecentKey(n), pair);
        }
    }
}

std::string RecentPairText(std::string_view sourceFolder, std::string_view targetFolder)
{
    std::string pair(sourceFolder);
    pair.append(" >> ").append(targetFolder);
    return pair;
}

int RecentFolderIndex(const RecentFolderList& recent, std::string_view pair)
{
    for (std::size_t i = 0; i < recent.size(); ++i) {
        if (EqualsNoCaseAscii(recent[i], pair)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

void RememberRecentPair(RecentFolderList& recent, std::string_view pair)
{
    int index = RecentFolderIndex(recent, pair);
    if (index > 1) {
        recent[static_cast<std::size_t>(index - 1)] = recent[0];
    } else if (index == 0) {
        // Everything moves, empty entries too: skipping them would copy the entry below an empty
        // one into two places.
        for (std::size_t n = recent.size() - 1; n >= 1; --n) {
            recent[n] = recent[n - 1];
        }
    }
    recent[0].assign(pair);
}

} // namespace Tandemix
