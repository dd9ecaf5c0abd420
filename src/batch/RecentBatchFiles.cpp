// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/RecentBatchFiles.h"

#include "settings/ConfigLists.h"

#include <algorithm>

namespace Tandemix {

namespace {

constexpr std::size_t MostEntriesBeforeNew = 10;
constexpr std::size_t DroppedPosition = 9;

int IndexOf(const SelectableList& list, std::string_view item)
{
    auto found = std::find(list.Items.begin(), list.Items.end(), item);
    return found == list.Items.end() ? -1 : static_cast<int>(found - list.Items.begin());
}

} // namespace

void RememberBatchFile(SelectableList& recent, std::string_view path)
{
    std::vector<std::string>& items = recent.Items;
    if (IndexOf(recent, path) < 0) {
        if (items.size() > MostEntriesBeforeNew) {
            items.erase(items.begin() + DroppedPosition);
        }
        items.insert(items.begin(), std::string(path));
    }
    recent.ItemIndex = IndexOf(recent, path);
    SelectedToFront(recent);
}

void ForgetSelectedBatchFile(SelectableList& recent)
{
    std::vector<std::string>& items = recent.Items;
    const int selected = recent.ItemIndex;
    if (selected >= 0 && selected < static_cast<int>(items.size())
        && !items[static_cast<std::size_t>(selected)].empty()) {
        items.erase(items.begin() + selected);
    }
    if (IndexOf(recent, "") < 0) {
        items.emplace_back();
    }
    recent.ItemIndex = IndexOf(recent, "");
}

} // namespace Tandemix
