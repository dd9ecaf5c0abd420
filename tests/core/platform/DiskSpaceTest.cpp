// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DiskSpace.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fstream>

namespace Tandemix {
namespace {

TEST(FreeSpaceTest, SmallFilesystemFillsUp)
{
    TempTree tree;
    EXPECT_EQ(FreeSpace(tree.Path("missing")), -1);
    std::string mountPoint = tree.AddFolder("small");
    int code = RunOnSmallDisk(mountPoint, "1m", [&] {
        if (FreeSpace(mountPoint) != 1024 * 1024) {
            return 10;
        }
        std::ofstream(mountPoint + "/half") << std::string(512 * 1024, 'x');
        return FreeSpace(mountPoint + "/half") == 512 * 1024 ? 0 : 11;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(code, 0) << "10 wrong size of an empty 1 MiB filesystem, 11 wrong size after 512 KiB";
}

} // namespace
} // namespace Tandemix
