// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Mounts.h"

#include "platform/DiskSpace.h"
#include "platform/ProgramFolder.h"
#include "platform/Wildcard.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

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
    "44 27 0:39 / /a\\9b\\977\\100\\04 rw - ext4 /dev/x rw\n"
    "43 27 0:38 /sub /srv/back\\134slash rw - fuse.sshfs user@host:/data rw";

TEST(ParseMountInfoTest, ReadsFieldsAndDecodesEscapesAndNothingPastTheText)
{
    std::vector<MountInfo> mounts = ParseMountInfo(SampleMountInfo);
    ASSERT_EQ(mounts.size(), 6u)
        << "broken lines, lines without a type after the dash and blank lines skipped";
    EXPECT_EQ(mounts[0].MountPoint, "/proc");
    EXPECT_EQ(std::tuple(mounts[1].FsType, mounts[1].Source), std::tuple("ext4", "/dev/vda"))
        << "optional fields before the dash are skipped";
    EXPECT_EQ(mounts[2].MountPoint, "/mnt/my disk");
    EXPECT_EQ(mounts[3].Source, "fileserver:/export/home dirs");
    EXPECT_EQ(mounts[4].MountPoint, "/a\\9b\\977@\\04") << "a backslash without three octal digits stays";
    EXPECT_EQ(std::tuple(mounts[5].MountPoint, mounts[5].FsType),
              std::tuple("/srv/back\\slash", "fuse.sshfs"))
        << "last line without a newline";
    EXPECT_TRUE(ParseMountInfo("").empty());

    // A line ending in blanks, placed against an unmapped page: the parser reads no byte past it.
    const std::string line = "1 1 0:1 / /m rw - ext4 /dev/x rw   ";
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* mapped = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    char* base = static_cast<char*>(mapped);
    ASSERT_EQ(::mprotect(base + page, page, PROT_NONE), 0);
    char* text = base + page - line.size();
    std::memcpy(text, line.data(), line.size());
    mounts = ParseMountInfo(std::string_view(text, line.size()));
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

// The drive box offers what a user can synchronise, never the kernel's or a container's plumbing.
TEST(MountsTest, DrivesAreDisksMediaSharesHomeAndRoot)
{
    // clang-format off
    const struct { MountInfo Mount; bool Offered; } rows[] = {
        {{"/home", "ext4", "/dev/nvme0n1p3"}, true}, {{"/boot/efi", "vfat", "/dev/sda1"}, true},
        {{"/media/ann/USB STICK", "exfat", "/dev/sdb1"}, true}, {{"/run/media/ann/DVD", "iso9660", "/dev/sr0"}, true},
        {{"/data", "zfs", "tank/data"}, true}, {{"/srv/share", "nfs4", "server:/export"}, true},
        {{"/run/user/1000/gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse"}, true}, {{"/dev/shm", "tmpfs", "tmpfs"}, false},
        {{"/run/lock", "tmpfs", "tmpfs"}, false}, {{"/sys/fs/cgroup", "cgroup2", "cgroup2"}, false},
        {{"/proc/sys/fs/binfmt_misc", "autofs", "systemd-1"}, false}, {{"/tmp", "tmpfs", "tmpfs"}, false},
        {{"/snap/core22/864", "squashfs", "/dev/loop3"}, false}, {{"/run/user/1000/doc", "fuse.portal", "portal"}, false},
        {{"/", "overlay", "overlay"}, false}, // offered anyway, as "/"
        {{"/etc/hosts", "ext4", "/dev/sda1"}, false}, // a container's file mount
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(IsSyncableMount(row.Mount), row.Offered) << row.Mount.MountPoint;
    }
    const std::string home = ::testing::TempDir();
    std::vector<MountInfo> mounts = {{"/", "ext4", "/dev/sda2"},
                                     {"/dev/shm", "tmpfs", "tmpfs"},
                                     {home, "ext4", "/dev/sda3"},
                                     {"/no/such/disk", "ext4", "/dev/sdc1"}};
    EXPECT_EQ(SyncableRoots(mounts, home), (std::vector<std::string>{"/", home}));
}

TEST(MountsTest, MountPointOfResolvesLinksAndMissingPathsAndASmallDiskFillsUp)
{
    TempTree tree;
    EXPECT_TRUE(IsMountPoint("/proc") && !IsMountPoint(tree.Root()) && !IsMountPoint(tree.Path("missing")));
    EXPECT_EQ(MountPointOf(tree.Path("missing/deeper/still")), MountPointOf(tree.Root()))
        << "the nearest existing ancestor counts";
    tree.AddSymlink("to-proc", "/proc");
    EXPECT_EQ(MountPointOf(tree.Path("to-proc/self")), "/proc") << "links are resolved first";
    EXPECT_EQ(FreeSpace(tree.Path("missing")), -1);

    std::string mountPoint = tree.AddFolder("my disk");
    const std::string realRoot = std::filesystem::canonical(mountPoint);
    int code = RunOnSmallDisk(mountPoint, "1m", [&] {
        if (FreeSpace(mountPoint) != 1024 * 1024) {
            return 14;
        }
        std::ofstream(mountPoint + "/half") << std::string(512 * 1024, 'x');
        return !IsMountPoint(mountPoint)                             ? 10
               : MountPointOf(mountPoint + "/not/there") != realRoot ? 11
               : IsNetworkPath(mountPoint)                           ? 12
               : IsMountPoint(tree.Root())                           ? 13
               : FreeSpace(mountPoint + "/half") != 512 * 1024       ? 15
                                                                     : 0;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(code, 0)
        << "10 not a mount point, 11 wrong mount, 12 taken for network, 13 parent taken for one, "
           "14 wrong size of an empty 1 MiB filesystem, 15 wrong size after 512 KiB";
}

// ---- Program folder --------------------------------------------------------------------------

using ProgramFolderTest = Test::TreeFixture;

TEST_F(ProgramFolderTest, TandemixHomeWinsIsCreatedAndIsNotCached)
{
    {
        ScopedEnv home("TANDEMIX_HOME", Tree.Path("home/nested"));
        EXPECT_EQ(ProgramFolder(), Tree.Path("home/nested") + "/");
        EXPECT_TRUE(std::filesystem::is_directory(Tree.Path("home/nested")));
        EXPECT_EQ(ProgramFolderFor("/usr/bin"), Tree.Path("home/nested") + "/");
    }
    ScopedEnv home("TANDEMIX_HOME", Tree.Root() + "/");
    EXPECT_EQ(ProgramFolder(), Tree.Root() + "/") << "the trailing slash is not doubled";
}

TEST_F(ProgramFolderTest, WritableExecutableFolderIsUsed)
{
    ScopedEnv home("TANDEMIX_HOME", std::nullopt);
    std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    std::string exeFolder = exe.substr(0, exe.rfind('/'));
    if (IsSystemFolder(exeFolder) || ::faccessat(AT_FDCWD, exeFolder.c_str(), W_OK, AT_EACCESS) != 0) {
        GTEST_SKIP() << "the tests run from a system or unwritable folder: " << exeFolder;
    }
    EXPECT_EQ(ProgramFolder(), exeFolder + "/");
    EXPECT_EQ(ProgramFolderFor(Tree.Root()), Tree.Root() + "/");
}

TEST_F(ProgramFolderTest, SystemOrUnwritableFolderFallsBackToTheUsersConfiguration)
{
    ScopedEnv home("TANDEMIX_HOME", std::nullopt);
    {
        ScopedEnv config("XDG_CONFIG_HOME", Tree.Path("cfg"));
        EXPECT_EQ(ProgramFolderFor("/usr/bin"), Tree.Path("cfg/tandemix/"));
        EXPECT_TRUE(std::filesystem::is_directory(Tree.Path("cfg/tandemix")));
        std::string readOnly = Tree.AddFolder("installed", 0555);
        ScopedNoDacOverride noOverride;
        if (noOverride.Active()) {
            EXPECT_EQ(ProgramFolderFor(readOnly), Tree.Path("cfg/tandemix/"));
        }
    }
    ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg"); // ignored
    ScopedEnv user("HOME", Tree.Path("user"));
    EXPECT_EQ(ProgramFolderFor("/opt/tandemix"), Tree.Path("user/.config/tandemix/"));
    EXPECT_TRUE(std::filesystem::is_directory(Tree.Path("user/.config/tandemix")));
}

TEST(IsSystemFolderTest, WholeComponents)
{
    for (const char* folder :
         {"/usr", "/usr/local/bin", "/bin", "/sbin", "/lib", "/lib64/x", "/opt/app", "/snap/a"}) {
        EXPECT_TRUE(IsSystemFolder(folder)) << folder;
    }
    for (const char* folder : {"/", "/home/u/apps", "/usr2", "/optical", "/binaries", "/tmp/usr", ""}) {
        EXPECT_FALSE(IsSystemFolder(folder)) << folder;
    }
}

// ---- Masks -----------------------------------------------------------------------------------

TEST(MatchesMaskTest, Masks)
{
    // clang-format off
    const struct { std::string Name, Mask; bool Matches; } rows[] = {
        // Everything masks and extensions.
        {"README", "*.*", true}, {".bashrc", "*.*", true}, {"archive.tar.gz", "*.*", true},
        {".bashrc", "*", true}, {"A.TXT", "*.txt", true}, {"a.txt", "*.TXT", true},
        {"a.txt.bak", "*.txt", false}, {"atxt", "*.txt", false}, {".txt", "*.txt", true},
        {"notes", "notes.*", true}, {"notesx", "notes.*", false}, {"x.a", "*a.*", true},
        // Question marks: exactly one character.
        {"", "?", false}, {"a", "?", true}, {"ab", "?", false}, {"abc", "a?c", true},
        {"ac", "a?c", false}, {"a*c", "a?c", true}, {"file10.log", "file?.log", false},
        // A trailing dot asks for no extension.
        {"abc", "*.", true}, {"a.b", "*.", false}, {"abc", "abc.", true},
        {"abd", "abc.", false}, {"Makefile", "make*.", true}, {"make.bak", "make*.", false},
        // Several stars, and one that must not take exponential time.
        {"ace", "a*c*e", true}, {"abcdx", "a*c*e", false},
        {"mississippi", "m*iss*ppi", true}, {"mississippi", "m*iss*x", false},
        {"backup-2024-01.zip", "*-*-??.zip", true}, {"backup-2024-1.zip", "*-*-??.zip", false},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
        // UTF-8 characters, any case.
        {"étude", "É*", true}, {"ÉTUDE.TXT", "é*.txt", true}, {"étude", "e*", false},
        {"naïve", "na?ve", true}, {"naïve", "na??ve", false}, {"Straße", "STRA?E", true},
        {"Ωμέγα", "ωΜ*", true}, {"日本語.txt", "???.txt", true},
        {"\xF0\x9F\x98\x80", "?", true}, {"\xF4\x8F\xBF\xBF", "?", true},
        // Names that are not UTF-8 are bytes: one stray byte is one character, compared exactly.
        // Overlong forms, surrogates and code points past U+10FFFF are not characters either.
        {"\xFF" "abc", "\xFF*", true}, {"\xFF" "abc", "?abc", true}, {"\xFE", "\xFF", false},
        {"caf\xE9", "CAF?", true}, {"caf\xC9", "caf\xE9", false}, {"\xC3\x28", "?(", true},
        {"\xE0\x80\xAF", "?", false}, {"\xE0\x80\xAF", "???", true},
        {"\xF0\x8F\xBF\xBF", "?", false}, {"\xF4\x90\x80\x80", "?", false},
        {"\xF4\x90\x80\x80", "????", true}, {"\xED\xA0\x80", "?", false}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(MatchesMask(row.Name, row.Mask), row.Matches)
            << testing::PrintToString(row.Name) << " vs " << testing::PrintToString(row.Mask);
    }
}

} // namespace
} // namespace Tandemix
