// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Mounts.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <climits>
#include <cstdlib>

namespace Tandemix {
namespace {

const char* const SampleMountInfo =
    "22 1 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
    "40 27 0:35 / /mnt/my\\040disk rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw,fmask=0022\n"
    "41 27 0:36 / /home/u/share rw,relatime - nfs4 fileserver:/export/home\\040dirs rw,vers=4.2\n"
    "this line is broken\n"
    "42 27 0:37 / /no/dash rw,relatime ext4 /dev/x rw\n"
    "\n"
    "43 27 0:38 /sub /srv/back\\134slash rw - fuse.sshfs user@host:/data rw";

TEST(ParseMountInfoTest, ReadsFieldsAndDecodesEscapes)
{
    std::vector<MountInfo> mounts = ParseMountInfo(SampleMountInfo);
    ASSERT_EQ(mounts.size(), 5u);
    EXPECT_EQ(mounts[0].MountPoint, "/proc");
    EXPECT_EQ(mounts[1].MountPoint, "/");
    EXPECT_EQ(mounts[1].FsType, "ext4") << "optional fields before the dash are skipped";
    EXPECT_EQ(mounts[1].Source, "/dev/vda");
    EXPECT_EQ(mounts[2].MountPoint, "/mnt/my disk");
    EXPECT_EQ(mounts[2].FsType, "vfat");
    EXPECT_EQ(mounts[3].MountPoint, "/home/u/share");
    EXPECT_EQ(mounts[3].FsType, "nfs4");
    EXPECT_EQ(mounts[3].Source, "fileserver:/export/home dirs");
    EXPECT_EQ(mounts[4].MountPoint, "/srv/back\\slash") << "last line without a newline";
    EXPECT_EQ(mounts[4].FsType, "fuse.sshfs");
}

TEST(ParseMountInfoTest, EmptyAndGarbage)
{
    EXPECT_TRUE(ParseMountInfo("").empty());
    EXPECT_TRUE(ParseMountInfo("\n\n   \n").empty());
    EXPECT_TRUE(ParseMountInfo("1 2 3 4 5 6 -").empty()) << "no fs type after the dash";
    // A backslash not followed by three octal digits stays as it is.
    std::vector<MountInfo> mounts = ParseMountInfo("1 1 0:1 / /a\\9b\\04 rw - ext4 /dev/x rw");
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].MountPoint, "/a\\9b\\04");
}

TEST(LongestMountPrefixTest, WholeComponentsOnly)
{
    std::vector<MountInfo> mounts = {{"/", "ext4", ""}, {"/mnt/a", "ext4", ""}, {"/mnt/a/b", "nfs", ""}};
    EXPECT_EQ(LongestMountPrefix(mounts, "/mnt/a/b/c/d"), "/mnt/a/b");
    EXPECT_EQ(LongestMountPrefix(mounts, "/mnt/a/b"), "/mnt/a/b");
    EXPECT_EQ(LongestMountPrefix(mounts, "/mnt/a/bc"), "/mnt/a");
    EXPECT_EQ(LongestMountPrefix(mounts, "/mnt/ab"), "/");
    EXPECT_EQ(LongestMountPrefix(mounts, "/"), "/");
    EXPECT_EQ(LongestMountPrefix({}, "/x"), "/");
}

TEST(IsNetworkFileSystemTest, KnownTypes)
{
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "ceph", "afs"}) {
        EXPECT_TRUE(IsNetworkFileSystem(type)) << type;
    }
    for (const char* type :
         {"ext4", "xfs", "btrfs", "tmpfs", "vfat", "fuse", "fuseblk", "overlay", "nfsd", ""}) {
        EXPECT_FALSE(IsNetworkFileSystem(type)) << type;
    }
}

TEST(MountsTest, ThisMachine)
{
    ASSERT_FALSE(ListMounts().empty());
    EXPECT_EQ(MountPointOf("/"), "/");
    EXPECT_TRUE(IsMountPoint("/"));
    EXPECT_TRUE(IsMountPoint("/proc"));
    EXPECT_EQ(MountPointOf("/proc/self"), "/proc");
    EXPECT_FALSE(IsNetworkPath("/tmp"));
    EXPECT_FALSE(IsNetworkPath("/proc"));

    TempTree tree;
    EXPECT_FALSE(IsMountPoint(tree.Root()));
    EXPECT_FALSE(IsMountPoint(tree.Path("missing")));
    std::string home = MountPointOf(tree.Root());
    EXPECT_EQ(MountPointOf(tree.Path("missing/deeper/still")), home)
        << "the nearest existing ancestor counts";
    tree.AddSymlink("to-proc", "/proc");
    EXPECT_EQ(MountPointOf(tree.Path("to-proc/self")), "/proc") << "links are resolved first";
}

TEST(MountsTest, MountPointWithABlankInItsName)
{
    TempTree tree;
    std::string mountPoint = tree.AddFolder("my disk");
    std::string realRoot;
    {
        char resolved[PATH_MAX];
        ASSERT_NE(::realpath(mountPoint.c_str(), resolved), nullptr);
        realRoot = resolved;
    }
    int code = RunInMountNamespace([&]() {
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return NoMountNamespace;
        }
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
