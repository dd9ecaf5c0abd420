// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/ApplyBatchRow.h"
#include "batch/BatchFile.h"
#include "platform/WallClock.h"

#include <array>
#include <string>
#include <vector>

namespace Tandemix::Test {

// A batch file's text named "Nightly", with one row per pair {source, target, include mask},
// each row with the default options otherwise and no sub-folder of the source in the target.
inline std::string BatchText(const std::vector<std::array<std::string, 3>>& pairs)
{
    BatchList list;
    list.Description = "Nightly";
    int number = 0;
    for (const auto& [source, target, include] : pairs) {
        Options opts;
        opts.IncludeString = include;
        opts.CreateSubFolderOption = false;
        list.Rows.push_back(NewBatchRow(++number, source, target, opts, Now()));
    }
    return BatchFileText(list);
}

} // namespace Tandemix::Test
