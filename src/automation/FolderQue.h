// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// The work queue of automatic runs: "0" for the window's own folder pair, "1", "2", ... for
// rows of the open batch list. An item is never queued twice, so any number of triggers for one
// folder pair while it waits add up to one run.
struct WorkQueue
{
    std::vector<std::string> Items;
    int Tag = 0; // change notifications since the last processed queue check

    bool Contains(std::string_view item) const
    {
        return std::find(Items.begin(), Items.end(), item) != Items.end();
    }
    bool Add(std::string_view item)
    {
        if (Contains(item)) {
            return false;
        }
        Items.emplace_back(item);
        return true;
    }
    void MoveToFront(std::string_view item)
    {
        auto at = std::find(Items.begin(), Items.end(), item);
        if (at != Items.end()) {
            std::rotate(Items.begin(), at, at + 1);
        }
    }
    void Remove(std::string_view item) { std::erase(Items, std::string(item)); }
    bool Empty() const { return Items.empty(); }
    void Clear() { Items.clear(); }
};

} // namespace Tandemix
