// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Mounts.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace Tandemix {
namespace {

const char* const SampleMountInfo =
    "22 1 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
    "40 27 0:35 / /mnt/my\\040disk rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw,fmask=0022\n"
    "41 27 0:36 / /home/u/share rw,relatime - nfs4 fileserver:/export/home\\040dirs rw,vers=4.2\n"
    "this line is broken\n"
    "42 27 0:37 / /no/dash rw,relatime ext4 /dev/x rw\n"
    "\n   \n"
    "1 2 3 4 5 6 -\n"
    "44 27 0:39 / /a\\9b\\977\\04 rw - ext4 /dev/x rw\n"
    "43 27 0:38 /sub /srv/back\\134slash rw - fuse.sshfs user@host:/data rw";

TEST(ParseMountInfoTest, ReadsFieldsAndDecodesEscapes)
{
    std::vector<MountInfo> mounts = ParseMountInfo(SampleMountInfo);
    ASSERT_EQ(mounts.size(), 6u)
        << "broken lines, lines without a type after the dash and blank lines skipped";
    EXPECT_EQ(mounts[0].MountPoint, "/proc");
    EXPECT_EQ(mounts[1].FsType, "ext4") << "optional fields before the dash are skipped";
    EXPECT_EQ(mounts[1].Source, "/dev/vda");
    EXPECT_EQ(mounts[2].MountPoint, "/mnt/my disk");
    EXPECT_EQ(mounts[3].Source, "fileserver:/export/home dirs");
    EXPECT_EQ(mounts[4].MountPoint, "/a\\9b\\977\\04") << "a backslash without three octal digits stays";
    EXPECT_EQ(mounts[5].MountPoint, "/srv/back\\slash") << "last line without a newline";
    EXPECT_EQ(mounts[5].FsType, "fuse.sshfs");
    EXPECT_TRUE(ParseMountInfo("").empty());
}

// A line ending in blanks, placed against an unmapped page: the parser reads no byte past it.
TEST(ParseMountInfoTest, ReadsNothingPastTheText)
{
    const std::string line = "1 1 0:1 / /m rw - ext4 /dev/x rw   ";
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* mapped = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    char* base = static_cast<char*>(mapped);
    ASSERT_EQ(::mprotect(base + page, page, PROT_NONE), 0);
    char* text = base + page - line.size();
    std::memcpy(text, line.data(), line.size());
    std::vector<MountInfo> mounts = ParseMountInfo(std::string_view(text, line.size()));
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].MountPoint, "/m");
    ::munmap(mapped, 2 * page);
}

TEST(MountsTest, PrefixesAndNetworkTypes)
{
    std::vector<MountInfo> mounts = {{"/", "ext4", ""}, {"/mnt/a", "ext4", ""}, {"/mnt/a/b", "nfs", ""}};
    for (auto [path, mount] : {std::pair{"/mnt/a/b/c/d", "/mnt/a/b"},
                               {"/mnt/a/b", "/mnt/a/b"},
                               {"/mnt/a/bc", "/mnt/a"},
                               {"/mnt/ab", "/"},
                               {"/", "/"}}) {
        EXPECT_EQ(LongestMountPrefix(mounts, path), mount) << path;
    }
    EXPECT_EQ(LongestMountPrefix({}, "/x"), "/");
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "ceph", "afs"}) {
        EXPECT_TRUE(IsNetworkFileSystem(type)) << type;
    }
    for (const char* type : {"ext4", "tmpfs", "vfat", "fuse", "fuseblk", "overlay", "nfsd", ""}) {
        EXPECT_FALSE(IsNetworkFileSystem(type)) << type;
    }
}

TEST(MountsTest, MountPointOfResolvesLinksAndMissingPaths)
{
    TempTree tree;
    EXPECT_TRUE(IsMountPoint("/proc"));
    EXPECT_FALSE(IsMountPoint(tree.Root()));
    EXPECT_FALSE(IsMountPoint(tree.Path("missing")));
    EXPECT_EQ(MountPointOf(tree.Path("missing/deeper/still")), MountPointOf(tree.Root()))
        << "the nearest existing ancestor counts";
    tree.AddSymlink("to-proc", "/proc");
    EXPECT_EQ(MountPointOf(tree.Path("to-proc/self")), "/proc") << "links are resolved first";

    std::string mountPoint = tree.AddFolder("my disk");
    char resolved[PATH_MAX];
    ASSERT_NE(::realpath(mountPoint.c_str(), resolved), nullptr);
    std::string realRoot = resolved;
    int code = RunOnSmallDisk(mountPoint, "64k", [&] {
        if (!IsMountPoint(mountPoint)) {
            return 10;
        }
        if (MountPointOf(mountPoint + "/not/there") != realRoot) {
            return 11;
        }
        if (IsNetworkPath(mountPoint)) {
            return 12;
        }
        return IsMountPoint(tree.Root()) ? 13 : 0;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(code, 0)
        << "10 not a mount point, 11 wrong mount, 12 taken for network, 13 parent taken for one";
}

} // namespace
} // namespace Tandemix
