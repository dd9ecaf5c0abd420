// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/RecentBatchFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

using Items = std::vector<std::string>;

// "/lists/N.SNC" for each N, newest first, and the empty entry last, as the configuration reads
// them back.
Items Listed(const std::vector<std::string>& numbers)
{
    Items items;
    for (const std::string& number : numbers) {
        items.push_back("/lists/" + number + ".SNC");
    }
    items.emplace_back();
    return items;
}

TEST(RecentBatchFilesTest, ANewFileGoesFirstAListedOneMovesThereAndForgettingNeverTakesTheEmptyEntry)
{
    SelectableList list{Listed({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}), 4};
    RememberBatchFile(list, "/lists/new.SNC");
    EXPECT_EQ(list.Items, Listed({"new", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(list.ItemIndex, 0);

    list.ItemIndex = 2;
    RememberBatchFile(list, "/lists/7.SNC");
    EXPECT_EQ(list.Items, Listed({"7", "new", "1", "2", "3", "4", "5", "6", "8", "9"}));
    EXPECT_EQ(list.ItemIndex, 0);

    // Fewer than eleven only grow. Paths are names of the file system: another case is another file.
    SelectableList small{{"/a.SNC", ""}, 1};
    RememberBatchFile(small, "/A.SNC");
    EXPECT_EQ(std::tuple(small.Items, small.ItemIndex), std::tuple(Items{"/A.SNC", "/a.SNC", ""}, 0));

    // Forgetting removes the selected file but never the empty entry.
    small.ItemIndex = 1;
    ForgetSelectedBatchFile(small);
    EXPECT_EQ(std::tuple(small.Items, small.ItemIndex), std::tuple(Items{"/A.SNC", ""}, 1));
    ForgetSelectedBatchFile(small);
    EXPECT_EQ(small.Items, (Items{"/A.SNC", ""}));

    SelectableList none{{"/a.SNC"}, 0};
    ForgetSelectedBatchFile(none);
    EXPECT_EQ(std::tuple(none.Items, none.ItemIndex), std::tuple(Items{""}, 0));
}

} // namespace
} // namespace Tandemix
