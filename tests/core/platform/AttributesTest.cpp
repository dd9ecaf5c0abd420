// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Attributes.h"

#include "platform/FaultHook.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>

namespace Tandemix {
namespace {

struct StatCase
{
    const char* Label;
    const char* Name;
    mode_t Mode;
    bool ArchiveSet;
    std::uint32_t Expected;
};

void PrintTo(const StatCase& row, std::ostream* out)
{
    *out << row.Label;
}

class AttrFromStatTest : public testing::TestWithParam<StatCase>
{};

TEST_P(AttrFromStatTest, MapsModeAndName)
{
    const StatCase& row = GetParam();
    struct stat st = {};
    st.st_mode = row.Mode;
    EXPECT_EQ(AttrFromStat(row.Name, st, row.ArchiveSet), row.Expected) << row.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    AttrFromStatTest,
    testing::Values(
        StatCase{"PlainBackedUp", "plain", S_IFREG | 0644, false, Attr::Normal},
        StatCase{"PlainChanged", "plain", S_IFREG | 0644, true, Attr::Archive},
        StatCase{"OwnerCannotWrite", "locked", S_IFREG | 0444, false, Attr::ReadOnly},
        // Group and others may write, the owner may not: still read-only.
        StatCase{"OnlyOthersWrite", "locked", S_IFREG | 0466, true, Attr::ReadOnly | Attr::Archive},
        StatCase{"DotName", ".profile", S_IFREG | 0644, false, Attr::Hidden},
        StatCase{"DotFolderInPath", "/home/u/.cache/file", S_IFREG | 0644, false, Attr::Normal},
        StatCase{"DotNameInPath", "/home/u/docs/.hidden", S_IFREG | 0600, true, Attr::Hidden | Attr::Archive},
        StatCase{"Folder", "folder", S_IFDIR | 0755, false, Attr::Directory},
        StatCase{"EverythingAtOnce",
                 ".git",
                 S_IFDIR | 0555,
                 true,
                 Attr::Directory | Attr::Hidden | Attr::ReadOnly | Attr::Archive},
        StatCase{"DotDotIsNotHidden", "/a/b/..", S_IFDIR | 0755, false, Attr::Directory},
        // A link's mode is always 0777 and says nothing about being read-only.
        StatCase{"Symlink", "link", S_IFLNK | 0777, true, Attr::Archive}),
    [](const testing::TestParamInfo<StatCase>& row) { return std::string(row.param.Label); });

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
    EXPECT_EQ(AttrOf(file), Attr::Archive) << "a fresh file has not been backed up";

    ASSERT_TRUE(ResetArchive(file).Ok());
    EXPECT_EQ(AttrOf(file), Attr::Normal);

    Tree.SetTime("doc.txt", timespec{1600000000, 1});
    EXPECT_EQ(AttrOf(file), Attr::Archive) << "a one-nanosecond change counts as a change";

    ASSERT_TRUE(ResetArchive(file).Ok());
    Tree.AddFile("doc.txt", "rewritten");
    EXPECT_EQ(AttrOf(file), Attr::Archive) << "writing the content moves the mtime";
}

TEST_F(AttributesTest, ForeignXattrValueLeavesArchiveSet)
{
    std::string file = Tree.AddFile("doc.txt", "x", TreeTime(1600000000));
    Tree.SetXattr("doc.txt", ArchiveXattrName, "1599999999.0");
    EXPECT_EQ(AttrOf(file), Attr::Archive);
    Tree.SetXattr("doc.txt", ArchiveXattrName, "1600000000.0");
    EXPECT_EQ(AttrOf(file), Attr::Normal);
}

TEST_F(AttributesTest, ReadOnlyBothWays)
{
    std::string file = Tree.AddFile("doc.txt", "x", {}, 0664);
    ASSERT_TRUE(SetFileAttr(file, Attr::ReadOnly | Attr::Archive).Ok());
    EXPECT_EQ(ModeOf(file), 0444u) << "every write bit goes";
    EXPECT_EQ(AttrOf(file), Attr::ReadOnly | Attr::Archive);

    ASSERT_TRUE(SetFileAttr(file, Attr::Archive).Ok());
    EXPECT_EQ(ModeOf(file), 0644u) << "only the owner gets write back";
    EXPECT_EQ(AttrOf(file), Attr::Archive);
}

TEST_F(AttributesTest, SetFileAttrClearsAndSetsArchive)
{
    std::string file = Tree.AddFile("doc.txt", "x");
    ASSERT_TRUE(SetFileAttr(file, Attr::Normal).Ok());
    EXPECT_EQ(AttrOf(file), Attr::Normal);
    ASSERT_TRUE(SetFileAttr(file, Attr::Archive | Attr::Hidden | Attr::System).Ok());
    EXPECT_EQ(AttrOf(file), Attr::Archive) << "hidden and system cannot be set and are ignored";
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
    EXPECT_EQ(AttrOf(file), Attr::ReadOnly);

    ASSERT_TRUE(SetFileAttr(file, Attr::ReadOnly | Attr::Archive).Ok());
    EXPECT_EQ(AttrOf(file), Attr::ReadOnly | Attr::Archive);
    ASSERT_TRUE(SetFileAttr(file, Attr::ReadOnly).Ok());
    EXPECT_EQ(AttrOf(file), Attr::ReadOnly);
}

TEST_F(AttributesTest, SymlinkKeepsItsTargetsMode)
{
    std::string target = Tree.AddFile("target.txt", "x", {}, 0644);
    std::string link = Tree.AddSymlink("link", "target.txt");
    ASSERT_TRUE(SetFileAttr(link, Attr::ReadOnly).Ok());
    EXPECT_EQ(ModeOf(target), 0644u);
    EXPECT_TRUE(ResetArchive(link).Ok()) << "a link cannot hold the flag: nothing to do";
    EXPECT_EQ(AttrOf(link), Attr::Archive);
}

TEST_F(AttributesTest, DirectoryAttributes)
{
    std::string folder = Tree.AddFolder(".config", 0755);
    EXPECT_EQ(AttrOf(folder), Attr::Directory | Attr::Hidden | Attr::Archive);
    ASSERT_TRUE(ResetArchive(folder).Ok());
    EXPECT_EQ(AttrOf(folder), Attr::Directory | Attr::Hidden);
}

TEST_F(AttributesTest, Failures)
{
    SysResult<std::uint32_t> missing = GetFileAttr(Tree.Path("missing"));
    EXPECT_EQ(missing.Error(), ENOENT);
    EXPECT_EQ(SetFileAttr(Tree.Path("missing"), Attr::ReadOnly).Error(), ENOENT);
    EXPECT_EQ(ResetArchive(Tree.Path("missing")).Error(), ENOENT);

    std::string file = Tree.AddFile("doc.txt", "x", {}, 0644);
    ScopedFault fault({FaultOp::SetAttr, EPERM, "doc.txt"});
    EXPECT_EQ(SetFileAttr(file, Attr::ReadOnly).Error(), EPERM);
    EXPECT_EQ(ModeOf(file), 0644u);
    EXPECT_EQ(ResetArchive(file).Error(), EPERM);
    EXPECT_EQ(AttrOf(file), Attr::Archive);
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
        int fd = ::open(file.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0) {
            return 10;
        }
        ::close(fd);
        SysResult<std::uint32_t> before = GetFileAttr(file);
        if (!before || *before != Attr::Archive) {
            return 11;
        }
        if (!ResetArchive(file)) {
            return 12; // unsupported must be a quiet no-op
        }
        if (!SetFileAttr(file, Attr::Normal)) {
            return 13;
        }
        SysResult<std::uint32_t> after = GetFileAttr(file);
        return after && *after == Attr::Archive ? 0 : 14;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace or ramfs here";
    }
    EXPECT_EQ(code, 0) << "10 create, 11 fresh state, 12 reset failed, 13 set failed, 14 bit cleared";
}

} // namespace
} // namespace Tandemix
