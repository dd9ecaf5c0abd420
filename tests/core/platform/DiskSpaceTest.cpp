// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DiskSpace.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <string>

namespace Tandemix {
namespace {

TEST(FreeSpaceTest, ReadableAndUnreadable)
{
    TempTree tree;
    struct statvfs info;
    ASSERT_EQ(::statvfs(tree.Root().c_str(), &info), 0);
    std::int64_t free = FreeSpace(tree.Root());
    EXPECT_GT(free, 0);
    // Available to users, not the raw free count that includes the root reserve.
    std::int64_t expected =
        static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
    EXPECT_NEAR(static_cast<double>(free), static_cast<double>(expected), 64.0 * 1024 * 1024);
    EXPECT_EQ(FreeSpace(tree.Path("missing")), -1);
}

TEST(FreeSpaceTest, SmallFilesystemFillsUp)
{
    TempTree tree;
    std::string mountPoint = tree.AddFolder("small");
    int code = RunInMountNamespace([&]() {
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0) {
            return NoMountNamespace;
        }
        if (FreeSpace(mountPoint) != 1024 * 1024) {
            return 10;
        }
        std::string file = mountPoint + "/half";
        FILE* out = std::fopen(file.c_str(), "w");
        std::string half(512 * 1024, 'x');
        bool written = out != nullptr && std::fwrite(half.data(), 1, half.size(), out) == half.size();
        if (out != nullptr) {
            std::fclose(out);
        }
        if (!written) {
            return 11;
        }
        return FreeSpace(mountPoint + "/half") == 512 * 1024 ? 0 : 12;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(code, 0) << "10 wrong size of an empty 1 MiB filesystem, 11 write, 12 wrong size after 512 KiB";
}

} // namespace
} // namespace Tandemix
