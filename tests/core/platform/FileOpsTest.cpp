// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileOps.h"

#include "core/platform/SyscallRefusal.h"
#include "platform/FaultHook.h"
#include "platform/PathText.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace Tandemix {
namespace {

struct stat Lstat(const std::string& path)
{
    struct stat st = {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

class FileOpsTest : public testing::Test
{
protected:
    TempTree Tree;
};

TEST_F(FileOpsTest, ExistenceAndDeletionSeeTheLinkItself)
{
    Tree.AddFile("file", "x");
    Tree.AddFolder("folder");
    Tree.AddSymlink("to-folder", "folder");
    Tree.AddSymlink("dangling", "nowhere");
    Tree.AddSymlink("to-file", "file");
    // clang-format off
    const struct { const char* Name; bool File, Folder; } rows[] = {
        {"file", true, false}, {"folder", false, true}, {"to-folder", true, true}, {"dangling", true, false},
        {"missing", false, false}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(FileExists(Tree.Path(row.Name)), row.File) << row.Name; // a dangling link itself exists
        EXPECT_EQ(FolderExists(Tree.Path(row.Name)), row.Folder) << row.Name;
    }
    ASSERT_TRUE(DeleteFile(Tree.Path("to-file")).Ok());
    EXPECT_FALSE(Tree.Exists("to-file"));
    EXPECT_TRUE(Tree.Exists("file"));
    EXPECT_EQ(DeleteFile(Tree.Path("to-file")).Error(), ENOENT);
    ScopedFault fault({FaultOp::Unlink, EROFS, "file"});
    EXPECT_EQ(DeleteFile(Tree.Path("file")).Error(), EROFS);
    EXPECT_TRUE(Tree.Exists("file"));
}

TEST_F(FileOpsTest, FolderCreationAndRemoval)
{
    std::string folder = Tree.Path("new");
    ASSERT_TRUE(CreateFolder(folder).Ok());
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(CreateFolder(folder).Error(), EEXIST) << "an existing folder is an error, as it always was";
    EXPECT_EQ(CreateFolder(Tree.Path("a/b")).Error(), ENOENT) << "one level at a time";
    Tree.AddFile("new/file", "x");
    EXPECT_EQ(RemoveFolder(folder).Error(), ENOTEMPTY);
    ASSERT_TRUE(DeleteFile(Tree.Path("new/file")).Ok());
    ASSERT_TRUE(RemoveFolder(folder).Ok());
    EXPECT_FALSE(FolderExists(folder));
    {
        ScopedFault fault({FaultOp::MakeFolder, ENOSPC, "new"});
        EXPECT_EQ(CreateFolder(folder).Error(), ENOSPC);
        EXPECT_FALSE(FolderExists(folder));
    }
    Tree.AddFolder("kept");
    ScopedFault fault({FaultOp::RemoveFolder, EBUSY, "kept"});
    EXPECT_EQ(RemoveFolder(Tree.Path("kept")).Error(), EBUSY);
    EXPECT_TRUE(FolderExists(Tree.Path("kept")));
}

TEST_F(FileOpsTest, MoveFileNeverReplaces)
{
    Tree.AddFile("from", "source data");
    Tree.AddFile("to", "target data");
    Tree.AddFolder("folder");
    EXPECT_EQ(MoveFile(Tree.Path("from"), Tree.Path("to")).Error(), EEXIST);
    EXPECT_EQ(MoveFile(Tree.Path("from"), Tree.Path("folder")).Error(), EEXIST);
    EXPECT_EQ(Tree.ReadFile("from"), "source data");
    EXPECT_EQ(Tree.ReadFile("to"), "target data");
    // Where the kernel cannot refuse an existing name itself, a hard link does it atomically
    // for files; a look before the rename is left for folders only.
    int code = RunWithSyscallRefused(SYS_renameat2, ENOSYS, [&] {
        SysStatus file = MoveFile(Tree.Path("from"), Tree.Path("to"));
        if (file || file.Error() != EEXIST || std::string_view(file.Call()) != "link") {
            return 10;
        }
        if (MoveFile(Tree.Path("folder"), Tree.Path("to")).Error() != EEXIST) {
            return 11;
        }
        bool moved =
            MoveFile(Tree.Path("from"), Tree.Path("moved")) && MoveFile(Tree.Path("folder"), Tree.Path("f2"));
        return moved && FileExists(Tree.Path("moved")) && FolderExists(Tree.Path("f2")) ? 0 : 12;
    });
    if (code == NoSyscallFilter) {
        GTEST_SKIP() << "no system call filter here";
    }
    EXPECT_EQ(code, 0) << "10 file refused wrongly, 11 folder replaced a file, 12 move failed";
}

TEST_F(FileOpsTest, MoveFileMovesFilesFoldersAndLinks)
{
    Tree.AddFile("from", "data", TreeTime(1234567890));
    ASSERT_TRUE(MoveFile(Tree.Path("from"), Tree.Path("to")).Ok());
    EXPECT_FALSE(Tree.Exists("from"));
    EXPECT_EQ(Tree.ReadFile("to"), "data");
    EXPECT_EQ(Lstat(Tree.Path("to")).st_mtim.tv_sec, 1234567890);

    Tree.AddFile("dir/inner", "x");
    ASSERT_TRUE(MoveFile(Tree.Path("dir"), Tree.Path("moved")).Ok());
    EXPECT_EQ(Tree.ReadFile("moved/inner"), "x");

    Tree.AddSymlink("link", "moved/inner");
    ASSERT_TRUE(MoveFile(Tree.Path("link"), Tree.Path("link2")).Ok());
    EXPECT_TRUE(S_ISLNK(Lstat(Tree.Path("link2")).st_mode));

    ScopedFault fault({FaultOp::Rename, EIO, "to"});
    EXPECT_EQ(MoveFile(Tree.Path("to"), Tree.Path("elsewhere")).Error(), EIO);
    EXPECT_TRUE(Tree.Exists("to"));
    EXPECT_FALSE(Tree.Exists("elsewhere"));
}

// /dev/shm is tmpfs: a different filesystem from the temporary folder on most machines.
TEST_F(FileOpsTest, MoveAcrossFilesystemsCopiesWithModeAndTimesMakesLinksAnewRefusesFolders)
{
    char pattern[] = "/dev/shm/tandemix-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        GTEST_SKIP() << "no writable /dev/shm";
    }
    const std::string other = pattern;
    struct Cleanup
    {
        std::string Path;
        ~Cleanup() { TempTree::RemoveAll(Path); }
    } cleanup{other};
    if (Lstat(other).st_dev == Lstat(Tree.Root()).st_dev) {
        GTEST_SKIP() << "/dev/shm is on the same filesystem as the temporary folder";
    }
    std::string from = Tree.AddFile("from", 300000, TreeTime(timespec{1234567890, 500}), 0640);
    ASSERT_TRUE(MoveFile(from, other + "/to").Ok());
    EXPECT_FALSE(Tree.Exists("from"));
    struct stat st = Lstat(other + "/to");
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    EXPECT_TRUE(MoveFile(other + "/to", Tree.Path("back")).Ok());
    EXPECT_EQ(Tree.ReadFile("back"), TempTree::Pattern(300000));

    Tree.AddSymlink("link", "some/target");
    ASSERT_TRUE(MoveFile(Tree.Path("link"), other + "/link").Ok());
    char target[64] = {};
    ASSERT_EQ(::readlink((other + "/link").c_str(), target, sizeof target - 1), 11);
    EXPECT_STREQ(target, "some/target");
    EXPECT_FALSE(Tree.Exists("link"));

    Tree.AddFile("folder/inner", "x");
    EXPECT_EQ(MoveFile(Tree.Path("folder"), other + "/folder").Error(), EXDEV);
    EXPECT_EQ(Tree.ReadFile("folder/inner"), "x");

    Tree.AddFile("kept", "source");
    {
        // The copy is written, then deleting the source fails: the copy goes, the source stays.
        ScopedFault fault({FaultOp::Unlink, EROFS, "kept"});
        EXPECT_EQ(MoveFile(Tree.Path("kept"), other + "/kept").Error(), EROFS);
    }
    EXPECT_EQ(Tree.ReadFile("kept"), "source");
    EXPECT_FALSE(FileExists(other + "/kept"));
}

TEST_F(FileOpsTest, CopyFileNoReplaceCopiesDataAndModeButNeverReplaces)
{
    std::string from = Tree.AddFile("from", 3 * 1024 * 1024 + 1, TreeTime(1000000000), 0664);
    ASSERT_TRUE(CopyFileNoReplace(from, Tree.Path("to")).Ok());
    EXPECT_EQ(Tree.ReadFile("to"), TempTree::Pattern(3 * 1024 * 1024 + 1));
    EXPECT_EQ(Lstat(Tree.Path("to")).st_mode & 07777, 0664u) << "mode kept whatever the umask";
    Tree.AddFile("locked", "", {}, 0444);
    ASSERT_TRUE(CopyFileNoReplace(Tree.Path("locked"), Tree.Path("locked-copy")).Ok());
    EXPECT_EQ(Lstat(Tree.Path("locked-copy")).st_mode & 07777, 0444u);
    EXPECT_EQ(Lstat(Tree.Path("locked-copy")).st_size, 0);

    std::string old = Tree.AddFile("old", "old data", TreeTime(1000000000), 0600);
    EXPECT_EQ(CopyFileNoReplace(Tree.Path("locked"), old).Error(), EEXIST);
    EXPECT_EQ(Tree.ReadFile("old"), "old data");
    EXPECT_EQ(Lstat(old).st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(Lstat(old).st_mode & 07777, 0600u);

    // A failed copy leaves no partial target.
    Tree.AddFile("from", 5000);
    Tree.AddFolder("folder");
    // clang-format off
    const struct { const char* From; FaultPlan Fault; int Error; } rows[] = {
        {"from", {FaultOp::Write, ENOSPC, "new", 1000}, ENOSPC}, {"from", {FaultOp::Open, EACCES, "from"}, EACCES},
        {"folder", {FaultOp::Open, EIO, "not/involved"}, EISDIR}, {"missing", {FaultOp::Open, EIO, "not/involved"}, ENOENT}};
    // clang-format on
    for (const auto& row : rows) {
        ScopedFault fault(row.Fault);
        EXPECT_EQ(CopyFileNoReplace(Tree.Path(row.From), Tree.Path("new")).Error(), row.Error) << row.From;
        EXPECT_FALSE(Tree.Exists("new")) << row.Error;
    }
    EXPECT_EQ(Tree.ReadFile("from"), TempTree::Pattern(5000));
}

TEST_F(FileOpsTest, RemoveTreeNeverLeavesTheTree)
{
    Tree.AddFile("outside/precious", "keep me");
    Tree.AddFile("outside-file", "keep me too");
    Tree.AddFile("doomed/a/b/c/deep", 10);
    Tree.AddFile("doomed/.hidden", "x");
    Tree.AddFile("doomed/locked/file", "x", {}, 0444);
    Tree.AddSymlink("doomed/link-to-outside", "../outside");
    Tree.AddSymlink("doomed/a/abs-link", Tree.Path("outside"));
    Tree.AddSymlink("doomed/file-link", "../outside-file");
    Tree.AddFile("doomed/" + std::string("bad\xFFname"), "x");
    ASSERT_EQ(::chmod(Tree.Path("doomed/locked").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(Tree.Path("doomed/a/b").c_str(), 0), 0);
    {
        // Read-only folders must be opened up by RemoveTree itself, not by root's privilege.
        ScopedNoDacOverride noOverride;
        SysStatus status = RemoveTree(Tree.Path("doomed"));
        EXPECT_TRUE(status.Ok()) << status.Call() << " " << status.Error();
    }
    EXPECT_FALSE(Tree.Exists("doomed"));
    EXPECT_EQ(Tree.ReadFile("outside/precious"), "keep me");
    EXPECT_EQ(Tree.ReadFile("outside-file"), "keep me too");

    // On a link only the link goes.
    Tree.AddSymlink("link", "outside");
    ASSERT_TRUE(RemoveTree(Tree.Path("link")).Ok());
    EXPECT_FALSE(Tree.Exists("link"));
    EXPECT_EQ(Tree.ReadFile("outside/precious"), "keep me");
    ASSERT_TRUE(RemoveTree(Tree.Path("outside/precious")).Ok()) << "a plain file is just deleted";
    EXPECT_EQ(RemoveTree(Tree.Path("missing")).Error(), ENOENT);
    EXPECT_EQ(RemoveTree("/").Error(), EINVAL);
}

TEST_F(FileOpsTest, RemoveTreeGoesOnAfterAFailure)
{
    for (const char* name : {"a", "stuck", "z"}) {
        Tree.AddFile(std::string("doomed/") + name, "x");
    }
    {
        ScopedFault fault({FaultOp::Unlink, EIO, "stuck"});
        EXPECT_EQ(RemoveTree(Tree.Path("doomed")).Error(), EIO);
    }
    EXPECT_FALSE(Tree.Exists("doomed/a"));
    EXPECT_FALSE(Tree.Exists("doomed/z"));
    EXPECT_TRUE(Tree.Exists("doomed/stuck"));
}

// The parent and the last name put back together must name the same entry again: the folder
// walk, the temporary names and the hidden bit all rely on that split.
TEST(PathTextTest, SplitsAtTheLastSeparator)
{
    // clang-format off
    const struct { const char *Path, *Last, *Parent; } rows[] = {
        {"/data/a.txt", "a.txt", "/data/"}, {"/data/Photos//", "Photos", "/data/"}, {"/data", "data", "/"},
        {"/", "", "/"}, {"a.txt", "a.txt", ""}, {"/data/.cfg/", ".cfg", "/data/"}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(LastComponent(row.Path), row.Last) << row.Path;
        EXPECT_EQ(ParentFolder(row.Path), row.Parent) << row.Path;
        EXPECT_EQ(std::string(ParentFolder(row.Path)) + row.Last, WithoutTrailingSlashes(row.Path))
            << row.Path;
    }
}

} // namespace
} // namespace Tandemix
