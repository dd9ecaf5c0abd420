// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Attributes.h"

#include "platform/FaultHook.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>

namespace Tandemix {
namespace {

using Test::PrintTo;

struct StatRow
{
    std::string Name;
    const char* Path;
    mode_t Mode;
    bool ArchiveSet;
    std::uint32_t Expected;
};

class AttrFromStatTest : public testing::TestWithParam<StatRow>
{};

TEST_P(AttrFromStatTest, MapsModeAndName)
{
    struct stat st = {};
    st.st_mode = GetParam().Mode;
    EXPECT_EQ(AttrFromStat(GetParam().Path, st, GetParam().ArchiveSet), GetParam().Expected);
}

constexpr std::uint32_t Dir = Attr::Directory, Hid = Attr::Hidden, RO = Attr::ReadOnly, Arc = Attr::Archive;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, AttrFromStatTest, testing::Values(
    StatRow{"PlainBackedUp", "plain", S_IFREG | 0644, false, Attr::Normal},
    StatRow{"PlainChanged", "plain", S_IFREG | 0644, true, Arc},
    StatRow{"OwnerCannotWrite", "locked", S_IFREG | 0444, false, RO},
    // Group and others may write, the owner may not: still read-only.
    StatRow{"OnlyOthersWrite", "locked", S_IFREG | 0466, true, RO | Arc},
    StatRow{"DotName", ".profile", S_IFREG | 0644, false, Hid},
    StatRow{"DotFolderInPath", "/home/u/.cache/file", S_IFREG | 0644, false, Attr::Normal},
    StatRow{"DotNameInPath", "/home/u/docs/.hidden", S_IFREG | 0600, true, Hid | Arc},
    StatRow{"EverythingAtOnce", ".git", S_IFDIR | 0555, true, Dir | Hid | RO | Arc},
    StatRow{"DotDotIsNotHidden", "/a/b/..", S_IFDIR | 0755, false, Dir},
    // A link's mode is always 0777 and says nothing about being read-only.
    StatRow{"Symlink", "link", S_IFLNK | 0777, true, Arc}),
    Test::ByName());
// clang-format on

class AttributesTest : public testing::Test
{
protected:
    mode_t ModeOf(const std::string& path)
    {
        struct stat st = {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }

    std::uint32_t AttrOf(const std::string& path)
    {
        SysResult<std::uint32_t> attr = GetFileAttr(path);
        EXPECT_TRUE(attr.Ok()) << path << ": " << attr.Call() << " " << attr.Error();
        return *attr;
    }

    TempTree Tree;
};

TEST_F(AttributesTest, ArchiveFollowsTheMTime)
{
    std::string file = Tree.AddFile("doc.txt", "first", TreeTime(1600000000));
    EXPECT_EQ(AttrOf(file), Arc) << "a fresh file has not been backed up";
    ASSERT_TRUE(ResetArchive(file).Ok());
    EXPECT_EQ(AttrOf(file), Attr::Normal);
    Tree.SetTime("doc.txt", timespec{1600000000, 1});
    EXPECT_EQ(AttrOf(file), Arc) << "a one-nanosecond change counts as a change";
    Tree.SetXattr("doc.txt", ArchiveXattrName, "1599999999.0");
    EXPECT_EQ(AttrOf(file), Arc) << "a foreign value";
    Tree.SetXattr("doc.txt", ArchiveXattrName, "1600000000.1");
    EXPECT_EQ(AttrOf(file), Attr::Normal);
    Tree.AddFile("doc.txt", "rewritten");
    EXPECT_EQ(AttrOf(file), Arc) << "writing the content moves the mtime";

    std::string folder = Tree.AddFolder(".config", 0755);
    EXPECT_EQ(AttrOf(folder), Dir | Hid | Arc);
    ASSERT_TRUE(ResetArchive(folder).Ok());
    EXPECT_EQ(AttrOf(folder), Dir | Hid);
}

TEST_F(AttributesTest, SetFileAttrTurnsReadOnlyAndArchiveBothWaysOrSaysWhyNot)
{
    std::string file = Tree.AddFile("doc.txt", "x", {}, 0664);
    ASSERT_TRUE(SetFileAttr(file, RO | Arc).Ok());
    EXPECT_EQ(ModeOf(file), 0444u) << "every write bit goes";
    EXPECT_EQ(AttrOf(file), RO | Arc);
    ASSERT_TRUE(SetFileAttr(file, Arc | Hid | Attr::System).Ok());
    EXPECT_EQ(ModeOf(file), 0644u) << "only the owner gets write back";
    EXPECT_EQ(AttrOf(file), Arc) << "hidden and system cannot be set and are ignored";
    ASSERT_TRUE(SetFileAttr(file, Attr::Normal).Ok());
    EXPECT_EQ(AttrOf(file), Attr::Normal);

    std::string target = Tree.AddFile("target.txt", "x", {}, 0644);
    std::string link = Tree.AddSymlink("link", "target.txt");
    ASSERT_TRUE(SetFileAttr(link, RO).Ok());
    EXPECT_EQ(ModeOf(target), 0644u) << "a link's target keeps its mode";
    EXPECT_TRUE(ResetArchive(link).Ok()) << "a link cannot hold the flag: nothing to do";
    EXPECT_EQ(AttrOf(link), Arc);

    const std::string missing = Tree.Path("missing");
    EXPECT_EQ(GetFileAttr(missing).Error(), ENOENT);
    EXPECT_EQ(SetFileAttr(missing, RO).Error(), ENOENT);
    EXPECT_EQ(ResetArchive(missing).Error(), ENOENT);
    ScopedFault fault({FaultOp::SetAttr, EPERM, "target.txt"});
    EXPECT_EQ(SetFileAttr(target, RO).Error(), EPERM);
    EXPECT_EQ(ModeOf(target), 0644u);
    EXPECT_EQ(ResetArchive(target).Error(), EPERM);
    EXPECT_EQ(AttrOf(target), Arc);
}

TEST_F(AttributesTest, ReadOnlyFileCanStillBeMarkedBackedUp)
{
    std::string file = Tree.AddFile("doc.txt", "x", {}, 0444);
    ScopedNoDacOverride noOverride;
    if (!noOverride.Active()) {
        GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE here, so a read-only file is writable anyway";
    }
    ASSERT_TRUE(ResetArchive(file).Ok());
    EXPECT_EQ(ModeOf(file), 0444u) << "the write bit lent for the xattr is taken back";
    EXPECT_EQ(AttrOf(file), RO);
    ASSERT_TRUE(SetFileAttr(file, RO | Arc).Ok());
    EXPECT_EQ(AttrOf(file), RO | Arc);
    ASSERT_TRUE(SetFileAttr(file, RO).Ok());
    EXPECT_EQ(AttrOf(file), RO);
}

// ramfs has no user xattrs at all; tmpfs gained them in Linux 6.6, so it no longer serves.
TEST_F(AttributesTest, ArchiveStaysSetWithoutXattrSupport)
{
    std::string mountPoint = Tree.AddFolder("ramfs");
    int code = RunInMountNamespace([&mountPoint]() {
        if (::mount("ramfs", mountPoint.c_str(), "ramfs", 0, nullptr) != 0) {
            return NoMountNamespace;
        }
        std::string file = mountPoint + "/doc.txt";
        std::ofstream(file) << "x";
        if (!ResetArchive(file) || !SetFileAttr(file, Attr::Normal)) {
            return 10; // unsupported must be a quiet no-op
        }
        SysResult<std::uint32_t> after = GetFileAttr(file);
        return after && *after == Attr::Archive ? 0 : 11;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace or ramfs here";
    }
    EXPECT_EQ(code, 0) << "10 reset or set failed, 11 bit cleared";
}

} // namespace
} // namespace Tandemix
