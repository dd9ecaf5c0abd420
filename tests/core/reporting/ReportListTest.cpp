// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

// The list against a plain vector doing the same things the slow way: random inserts (past the
// end appends), removals by line and by row, with many identical lines so that "the first of
// them" matters, and prefixes of other lines ("line1", "line10") so that only whole lines match.
// The revision moves with every change, and only then.
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
        const std::uint64_t revision = list.Revision();
        const std::size_t count = model.size();
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
        ASSERT_EQ(list.Revision() != revision, model.size() != count);
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
    const std::uint64_t revision = list.Revision();
    list.Append("appended");
    EXPECT_NE(list.Revision(), revision);
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.Contains(model.empty() ? "line1" : model.front()));
}

} // namespace
} // namespace Tandemix
