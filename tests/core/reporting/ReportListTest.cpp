// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

TEST(ReportListTest, InsertPutsTheLineBeforeTheRowAndPastTheEndAppends)
{
    ReportList list;
    list.Insert(0, "b");
    list.Insert(0, "a");
    list.Insert(2, "d");
    list.Insert(2, "c");
    list.Insert(99, "e");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(list.At(3), "d");
}

TEST(ReportListTest, FindAndRemoveTakeTheFirstOfIdenticalLines)
{
    ReportList list;
    for (const char* line : {"x", "dup", "y", "dup", "z"}) {
        list.Append(line);
    }
    EXPECT_EQ(list.Find("dup"), 1u);
    EXPECT_TRUE(list.RemoveLine("dup"));
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"x", "y", "dup", "z"}));
    EXPECT_EQ(list.Find("dup"), 2u);
    EXPECT_FALSE(list.RemoveLine("absent"));
    EXPECT_FALSE(list.Find("du").has_value()); // whole lines only
}

TEST(ReportListTest, RevisionChangesWithEveryChange)
{
    ReportList list;
    std::uint64_t before = list.Revision();
    list.Append("a");
    std::uint64_t afterInsert = list.Revision();
    EXPECT_NE(afterInsert, before);
    (void)list.RemoveLine("missing");
    EXPECT_EQ(list.Revision(), afterInsert);
    list.RemoveAt(0);
    EXPECT_NE(list.Revision(), afterInsert);
}

// The list against a plain vector doing the same things the slow way: random inserts, removals
// by line and by row, with many identical lines so that "the first of them" matters.
TEST(ReportListTest, BehavesLikeAPlainVectorUnderRandomUse)
{
    std::mt19937 random(20240611);
    ReportList list;
    std::vector<std::string> model;
    auto pick = [&](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound)(random);
    };

    for (int step = 0; step < 20000; ++step) {
        std::string line = "line" + std::to_string(pick(300));
        std::size_t action = pick(9);
        if (action < 5 || model.empty()) {
            std::size_t row = pick(model.size() + 2);
            list.Insert(row, line);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(std::min(row, model.size())), line);
        } else if (action < 8) {
            auto found = std::find(model.begin(), model.end(), line);
            ASSERT_EQ(list.RemoveLine(line), found != model.end());
            if (found != model.end()) {
                model.erase(found);
            }
        } else {
            std::size_t row = pick(model.size() - 1);
            list.RemoveAt(row);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(row));
        }

        ASSERT_EQ(list.Count(), model.size());
        if (!model.empty()) {
            std::size_t row = pick(model.size() - 1);
            ASSERT_EQ(list.At(row), model[row]);
            auto first = std::find(model.begin(), model.end(), model[row]);
            ASSERT_EQ(list.Find(model[row]), static_cast<std::size_t>(first - model.begin()));
        }
        if (step % 1000 == 0) {
            ASSERT_EQ(list.Lines(), model);
        }
    }
    ASSERT_EQ(list.Lines(), model);
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.Contains(model.empty() ? "line1" : model.front()));
}

// A run that lists, matches and copies 200,000 files inserts at the top, at the middle and at a
// moving counter, and withdraws almost every line again. With per-operation work that grows
// with the list (a vector's shifting, a linear search) this takes minutes; the bound leaves
// ample room for an unoptimised or sanitised build.
TEST(ReportListTest, TwoHundredThousandLinesStayFast)
{
    constexpr std::size_t Lines = 200000;
    auto started = std::chrono::steady_clock::now();

    ReportList list;
    std::size_t counter = 0;
    for (std::size_t i = 0; i < Lines; ++i) {
        std::string line = "file" + std::to_string(i) + ".txt\t      10\t 7/22/97 10:01:44 AM\t/data/dst/";
        switch (i % 3) {
        case 0:
            list.Insert(0, std::move(line));
            break;
        case 1:
            list.Insert(list.Count() / 2, std::move(line));
            break;
        default:
            list.Insert(std::min(counter++, list.Count()), std::move(line));
            break;
        }
    }
    ASSERT_EQ(list.Count(), Lines);
    for (std::size_t row = 0; row < Lines; row += 997) {
        EXPECT_FALSE(list.At(row).empty());
    }
    std::vector<std::size_t> order(Lines);
    for (std::size_t i = 0; i < Lines; ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (std::size_t i : order) {
        ASSERT_TRUE(
            list.RemoveLine("file" + std::to_string(i) + ".txt\t      10\t 7/22/97 10:01:44 AM\t/data/dst/"));
    }
    EXPECT_TRUE(list.Empty());

    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_LT(elapsed, std::chrono::seconds(10));
}

} // namespace
} // namespace Tandemix
