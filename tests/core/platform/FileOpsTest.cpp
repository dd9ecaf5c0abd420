// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileOps.h"

#include "platform/AtomicFile.h"
#include "platform/FaultHook.h"
#include "platform/FileIo.h"
#include "platform/PathText.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

// Runs `body` in a forked child in which system call `nr` fails with `error`, as an older kernel
// or an unusual filesystem would answer, and returns the child's exit code (the value `body`
// returned). NoSyscallFilter when the filter cannot be installed here. Inside `body` no test
// assertion works: report through the return value.
constexpr int NoSyscallFilter = 78;

int RunWithSyscallRefused(long nr, int error, const std::function<int()>& body)
{
    int code = RunInChild([&] {
#if !defined(__x86_64__)
        return NoSyscallFilter; // the filter below knows this architecture's numbers only
#endif
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(nr), 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0
            || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            return NoSyscallFilter;
        }
        return body();
    });
    return code < 0 ? NoSyscallFilter : code;
}

constexpr std::size_t MiB = 1024 * 1024;
using Test::ErrorUnder;
using Test::LinkTarget;
using Test::LStat;

class FileOpsTest : public Test::TreeFixture
{
protected:
    mode_t ModeOf(std::string_view rel) const { return Tandemix::Test::ModeOf(Tree.Path(rel)); }
    std::vector<std::string> Names() const { return Tandemix::Test::SortedNamesIn(Tree.Root()); }

    int Open(const SysResult<int>& fd)
    {
        EXPECT_TRUE(fd.Ok()) << fd.Call() << " " << fd.Error();
        return *fd;
    }

    // The copy loop of a caller: chunks of at most 1 MiB until the source's end. Returns the
    // number of non-empty chunks, or -errno.
    int CopyAll(int in, int out, const std::string& outPath)
    {
        for (int chunks = 0;; ++chunks) {
            SysResult<std::size_t> copied = CopyChunk(in, out, MiB, outPath);
            if (!copied || *copied == 0) {
                return copied ? chunks : -copied.Error();
            }
            EXPECT_LE(*copied, MiB);
        }
    }

    int CopyInto(const std::string& from, const std::string& to, bool append = false)
    {
        int in = Open(OpenForRead(from));
        int out = Open(append ? OpenForAppend(to, false) : CreateNew(to, 0644));
        int result = CopyAll(in, out, to);
        ::close(in);
        EXPECT_TRUE(CloseFile(out, to).Ok());
        return result;
    }
};

TEST_F(FileOpsTest, ExistenceAndDeletionSeeTheLinkItselfAndFoldersAreMadeOneLevelAtATime)
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
    EXPECT_EQ(DeleteFile(Tree.Path("to-file")).Error(), ENOENT);
    EXPECT_EQ(ErrorUnder({FaultOp::Unlink, EROFS, "file"}, [&] { return DeleteFile(Tree.Path("file")); }),
              EROFS);
    EXPECT_TRUE(Tree.Exists("file")) << "kept by the link's deletion and by the failure";

    std::string folder = Tree.Path("new");
    EXPECT_EQ(ErrorUnder({FaultOp::MakeFolder, ENOSPC, "new"}, [&] { return CreateFolder(folder); }), ENOSPC);
    ASSERT_TRUE(CreateFolder(folder).Ok());
    EXPECT_EQ(CreateFolder(folder).Error(), EEXIST) << "an existing folder is an error, as it always was";
    EXPECT_EQ(CreateFolder(Tree.Path("a/b")).Error(), ENOENT) << "one level at a time";
    Tree.AddFile("new/file", "x");
    EXPECT_EQ(RemoveFolder(folder).Error(), ENOTEMPTY);
    ASSERT_TRUE(DeleteFile(Tree.Path("new/file")).Ok());
    EXPECT_EQ(ErrorUnder({FaultOp::RemoveFolder, EBUSY, "new"}, [&] { return RemoveFolder(folder); }), EBUSY);
    ASSERT_TRUE(RemoveFolder(folder).Ok()) << "kept by the failure";
    EXPECT_FALSE(FolderExists(folder));
}

TEST_F(FileOpsTest, MoveFileMovesFilesAndFoldersButNeverReplaces)
{
    ASSERT_TRUE(MoveFile(Tree.AddFile("from", "data"), Tree.Path("moved-to")).Ok());
    EXPECT_FALSE(Tree.Exists("from"));
    EXPECT_EQ(Tree.ReadFile("moved-to"), "data");
    Tree.AddFile("dir/inner", "x");
    ASSERT_TRUE(MoveFile(Tree.Path("dir"), Tree.Path("moved-dir")).Ok());
    EXPECT_EQ(Tree.ReadFile("moved-dir/inner"), "x");
    EXPECT_EQ(ErrorUnder({FaultOp::Rename, EIO, "moved-to"},
                         [&] { return MoveFile(Tree.Path("moved-to"), Tree.Path("elsewhere")); }),
              EIO);
    EXPECT_TRUE(Tree.Exists("moved-to") && !Tree.Exists("elsewhere"));

    Tree.AddFile("from", "source data");
    Tree.AddFile("to", "target data");
    Tree.AddFolder("folder");
    EXPECT_EQ(MoveFile(Tree.Path("from"), Tree.Path("to")).Error(), EEXIST);
    EXPECT_EQ(MoveFile(Tree.Path("from"), Tree.Path("folder")).Error(), EEXIST);
    EXPECT_EQ(std::tuple(Tree.ReadFile("from"), Tree.ReadFile("to")),
              std::tuple("source data", "target data"));
    // Where the kernel cannot refuse an existing name itself, a hard link does it atomically
    // for files; a look before the rename is left for folders only.
    int code = RunWithSyscallRefused(SYS_renameat2, ENOSYS, [&] {
        SysStatus file = MoveFile(Tree.Path("from"), Tree.Path("to"));
        SysStatus folder = MoveFile(Tree.Path("folder"), Tree.Path("to"));
        bool moved =
            MoveFile(Tree.Path("from"), Tree.Path("moved")) && MoveFile(Tree.Path("folder"), Tree.Path("f2"));
        return file || file.Error() != EEXIST || std::string_view(file.Call()) != "link"  ? 10
               : folder.Error() != EEXIST                                                 ? 11
               : moved && FileExists(Tree.Path("moved")) && FolderExists(Tree.Path("f2")) ? 0
                                                                                          : 12;
    });
    if (code == NoSyscallFilter) {
        GTEST_SKIP() << "no system call filter here";
    }
    EXPECT_EQ(code, 0) << "10 file refused wrongly, 11 folder replaced a file, 12 move failed";
}

// /dev/shm is tmpfs: a different filesystem from the temporary folder on most machines.
TEST_F(FileOpsTest, MoveAcrossFilesystemsCopiesWithModeAndTimesMakesLinksAnewRefusesFolders)
{
    if (::access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no writable /dev/shm";
    }
    ScopedEnv shm("TMPDIR", "/dev/shm");
    const TempTree shmTree;
    const std::string other = shmTree.Root();
    if (LStat(other).st_dev == LStat(Tree.Root()).st_dev) {
        GTEST_SKIP() << "/dev/shm is on the same filesystem as the temporary folder";
    }
    std::string from = Tree.AddFile("from", 300000, TreeTime(timespec{1234567890, 500}), 0640);
    ASSERT_TRUE(MoveFile(from, other + "/to").Ok());
    EXPECT_FALSE(Tree.Exists("from"));
    struct stat st = LStat(other + "/to");
    EXPECT_EQ(std::tuple(st.st_mode & 07777, st.st_mtim.tv_sec, st.st_mtim.tv_nsec),
              std::tuple(0640u, 1234567890, 500));
    EXPECT_EQ(shmTree.ReadFile("to"), TempTree::Pattern(300000));

    ASSERT_TRUE(MoveFile(Tree.AddSymlink("link", "some/target"), other + "/link").Ok());
    EXPECT_EQ(LinkTarget(other + "/link"), "some/target");
    EXPECT_FALSE(Tree.Exists("link"));

    Tree.AddFile("folder/inner", "x");
    EXPECT_EQ(MoveFile(Tree.Path("folder"), other + "/folder").Error(), EXDEV);
    EXPECT_EQ(Tree.ReadFile("folder/inner"), "x");

    Tree.AddFile("kept", "source");
    // The copy is written, then deleting the source fails: the copy goes, the source stays.
    EXPECT_EQ(ErrorUnder({FaultOp::Unlink, EROFS, "kept"},
                         [&] { return MoveFile(Tree.Path("kept"), other + "/kept"); }),
              EROFS);
    EXPECT_EQ(Tree.ReadFile("kept"), "source");
    EXPECT_FALSE(shmTree.Exists("kept"));
}

TEST_F(FileOpsTest, CopyFileNoReplaceCopiesDataAndModeButNeverReplaces)
{
    std::string from = Tree.AddFile("from", 3 * 1024 * 1024 + 1, TreeTime(1000000000), 0664);
    ASSERT_TRUE(CopyFileNoReplace(from, Tree.Path("to")).Ok());
    EXPECT_EQ(Tree.ReadFile("to"), TempTree::Pattern(3 * 1024 * 1024 + 1));
    EXPECT_EQ(ModeOf("to"), 0664u) << "mode kept whatever the umask";
    ASSERT_TRUE(CopyFileNoReplace(Tree.AddFile("locked", "", {}, 0444), Tree.Path("locked-copy")).Ok());
    EXPECT_EQ(ModeOf("locked-copy"), 0444u);

    std::string old = Tree.AddFile("old", "old data", TreeTime(1000000000), 0600);
    EXPECT_EQ(CopyFileNoReplace(Tree.Path("locked"), old).Error(), EEXIST);
    EXPECT_EQ(std::tuple(Tree.ReadFile("old"), LStat(old).st_mtim.tv_sec, LStat(old).st_mode & 07777),
              std::tuple("old data", 1000000000, 0600u));

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

TEST_F(FileOpsTest, RemoveTreeNeverLeavesTheTreeAndGoesOnAfterAFailure)
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
    ASSERT_TRUE(RemoveTree(Tree.AddSymlink("link", "outside")).Ok());
    EXPECT_FALSE(Tree.Exists("link"));
    EXPECT_EQ(Tree.ReadFile("outside/precious"), "keep me");
    ASSERT_TRUE(RemoveTree(Tree.Path("outside/precious")).Ok()) << "a plain file is just deleted";
    EXPECT_EQ(RemoveTree(Tree.Path("missing")).Error(), ENOENT);
    EXPECT_EQ(RemoveTree("/").Error(), EINVAL);

    // A failure does not stop the removal of the rest.
    for (const char* name : {"a", "stuck", "z"}) {
        Tree.AddFile(std::string("doomed/") + name, "x");
    }
    EXPECT_EQ(ErrorUnder({FaultOp::Unlink, EIO, "stuck"}, [&] { return RemoveTree(Tree.Path("doomed")); }),
              EIO);
    EXPECT_EQ(std::tuple(Tree.Exists("doomed/a"), Tree.Exists("doomed/stuck"), Tree.Exists("doomed/z")),
              std::tuple(false, true, false));
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

// ---- Reading and writing ---------------------------------------------------------------------

using FileIoTest = FileOpsTest;

TEST_F(FileIoTest, WriteAllWritesEverythingAndAShortWriteThenDiskFullIsAnError)
{
    std::string path = Tree.Path("out");
    int fd = Open(CreateNew(path, 0644));
    std::string data = TempTree::Pattern(3 * MiB);
    EXPECT_EQ(WriteAll(fd, data.data(), data.size(), path).Value(), data.size());
    {
        ScopedFault fault({FaultOp::Write, ENOSPC, "out", 1000});
        EXPECT_TRUE(WriteAll(fd, data.data(), 600, path).Ok()) << "600 of the 1000 bytes left";
        EXPECT_EQ(WriteAll(fd, data.data(), 5000, path).Error(), ENOSPC)
            << "a cut write never counts as done";
    }
    EXPECT_TRUE(CloseFile(fd, path).Ok());
    EXPECT_EQ(Tree.ReadFile("out"), data + data.substr(0, 600) + data.substr(0, 400))
        << "the short part did reach the file";
}

// The kernel's own short write and ENOSPC, which the emulated fault never reaches.
TEST_F(FileIoTest, RealFullDiskIsAnError)
{
    std::string mountPoint = Tree.AddFolder("small");
    int code = RunOnSmallDisk(mountPoint, "256k", [&] {
        std::string path = mountPoint + "/big";
        SysResult<int> fd = CreateNew(path, 0644);
        if (!fd) {
            return 10;
        }
        std::string data(MiB, 'x');
        SysResult<std::size_t> written = WriteAll(*fd, data.data(), data.size(), path);
        ::close(*fd);
        return written ? 11 : written.Error() == ENOSPC ? 0 : 12;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(code, 0) << "10 create, 11 reported success on a full disk, 12 wrong error";
}

// copy_file_range refuses an append-only target and a pipe source: both go through the buffer.
// Plain files are the copy's (CopyFileNoReplaceCopiesDataAndModeButNeverReplaces).
TEST_F(FileIoTest, CopyChunkReproducesEverySourceUntilTheDiskFills)
{
    std::string from = Tree.AddFile("from", static_cast<std::int64_t>(MiB + 777));
    EXPECT_GE(CopyInto(from, Tree.AddFile("appended", "head:"), true), 2);
    EXPECT_EQ(Tree.ReadFile("appended"), "head:" + TempTree::Pattern(MiB + 777));

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ASSERT_EQ(::write(pipeFds[1], "through a pipe", 14), 14);
    ::close(pipeFds[1]);
    std::string piped = Tree.Path("piped");
    int out = Open(CreateNew(piped, 0644));
    EXPECT_EQ(CopyAll(pipeFds[0], out, piped), 1);
    ::close(pipeFds[0]);
    ASSERT_TRUE(CloseFile(out, piped).Ok());
    EXPECT_EQ(Tree.ReadFile("piped"), "through a pipe");

    // A full disk stops the copy.
    std::string big = Tree.AddFile("big", static_cast<std::int64_t>(3 * MiB));
    {
        ScopedFault fault({FaultOp::Write, ENOSPC, "to", static_cast<std::int64_t>(MiB + MiB / 2)});
        EXPECT_EQ(CopyInto(big, Tree.Path("to")), -ENOSPC);
    }
    EXPECT_EQ(Tree.ReadFile("to"), TempTree::Pattern(static_cast<std::int64_t>(MiB + MiB / 2)))
        << "exactly the bytes the disk took, in place";

    // A disk with 1000 bytes left takes two files of 400; the third one fills it.
    std::string small = Tree.AddFile("small", 400);
    ScopedFault fault({FaultOp::Write, ENOSPC, "copy", 1000});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(CopyInto(small, Tree.Path("copy" + std::to_string(i))), i < 2 ? 1 : -ENOSPC) << i;
    }
}

// The refusals, injected or the kernel's; what a landed rename does to the data is the copy's.
TEST_F(FileIoTest, CloseAndRenameTellTheirRefusalAndALandedRenameKeepsTheTime)
{
    std::string path = Tree.AddFile("a", "new");
    int fd = Open(OpenForRead(path));
    EXPECT_TRUE(CloseFile(fd, path).Ok());
    EXPECT_EQ(CloseFile(fd, path).Error(), EBADF);
    std::string target = Tree.AddFile("b", "old");
    EXPECT_EQ(ErrorUnder({FaultOp::Rename, EXDEV, "b"}, [&] { return RenameOver(path, target); }), EXDEV);
    EXPECT_EQ(RenameOver(target, Tree.Path("no/such/folder/b")).Error(), ENOENT);
    EXPECT_EQ(std::tuple(Tree.ReadFile("a"), Tree.ReadFile("b")), std::tuple("new", "old"));
    // One that lands leaves the file's time alone: an extraction stamps it before the rename.
    Tree.SetTime("a", 1000000000);
    ASSERT_TRUE(RenameOver(path, target).Ok());
    EXPECT_EQ(LStat(target).st_mtim.tv_sec, 1000000000);
}

// ---- Whole files replaced at once ---------------------------------------------------------

using AtomicFileTest = FileOpsTest;

TEST_F(AtomicFileTest, WritesExactBytesWholeThroughLinksAndLeavesNoTail)
{
    const std::string content = std::string("line\r\nnul\0byte\rend", 18);
    mode_t old = ::umask(022);
    SysStatus status = WriteFileAtomically(Tree.Path("new.cfg"), content);
    ::umask(old);
    ASSERT_TRUE(status.Ok()) << status.Call() << " errno " << status.Error();
    EXPECT_EQ(std::tuple(Tree.ReadFile("new.cfg"), ModeOf("new.cfg")), std::tuple(content, 0644u));

    ASSERT_TRUE(WriteFileAtomically(Tree.Path("new.cfg"), "").Ok());
    EXPECT_EQ(Tree.ReadFile("new.cfg"), "");

    const std::string longest(255, 'n'); // still gets a temporary name beside it
    ASSERT_TRUE(WriteFileAtomically(Tree.Path(longest), "fits").Ok());
    EXPECT_EQ(Tree.ReadFile(longest), "fits");

    Tree.AddFile("real/settings.cfg", "old");
    ASSERT_TRUE(WriteFileAtomically(Tree.AddSymlink("link.cfg", "real/settings.cfg"), "new").Ok());
    EXPECT_TRUE(std::filesystem::is_symlink(Tree.Path("link.cfg")));
    EXPECT_EQ(Tree.ReadFile("real/settings.cfg"), "new");

    EXPECT_EQ(WriteFileAtomically(Tree.AddFolder("dir.cfg"), "x").Error(), EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(Tree.Path("dir.cfg")));
    EXPECT_EQ(WriteFileAtomically(Tree.Path("no/such/x.cfg"), "x").Error(), ENOENT);
    EXPECT_EQ(Names(), (std::vector<std::string>{"dir.cfg", "link.cfg", "new.cfg", longest, "real"}));
}

TEST_F(AtomicFileTest, AFailedStepKeepsTheOldFileAndRemovesTheTemporary)
{
    const std::string old = TempTree::Pattern(5000);
    // clang-format off
    const struct { const char* Name; FaultPlan Fault; bool OldFile; } rows[] = {
        {"CreateTemp", {FaultOp::Open, EACCES, "data.snc", 0, -1}, true},
        {"Write", {FaultOp::Write, ENOSPC, "data.snc", 0, -1}, true},
        {"ShortWriteThenDiskFull", {FaultOp::Write, ENOSPC, "data.snc", 4096, 1}, true},
        {"FirstWriteWhereNoFileWas", {FaultOp::Write, EIO, "data.snc", 0, -1}, false},
        {"Sync", {FaultOp::Sync, EIO, "data.snc", 0, -1}, true},
        {"Rename", {FaultOp::Rename, EXDEV, "data.snc", 0, -1}, true}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ::unlink(Tree.Path("data.snc").c_str());
        if (row.OldFile) {
            Tree.AddFile("data.snc", old);
        }
        ScopedFault fault(row.Fault);
        EXPECT_EQ(WriteFileAtomically(Tree.Path("data.snc"), TempTree::Pattern(256 * 1024)).Error(),
                  row.Fault.Error);
        EXPECT_EQ(Names(), row.OldFile ? std::vector<std::string>{"data.snc"} : std::vector<std::string>{});
        if (row.OldFile) {
            EXPECT_EQ(Tree.ReadFile("data.snc"), old);
        }
    }
}

TEST_F(AtomicFileTest, OwnerAndPermissionBitsOfTheOldFileAreKept)
{
    // 0646 has a bit the usual umask would strip from a newly created file.
    for (mode_t mode : {0600, 0646, 0755}) {
        Tree.AddFile("keep", "old", {}, mode);
        mode_t oldMask = ::umask(022);
        ASSERT_TRUE(WriteFileAtomically(Tree.Path("keep"), "new").Ok()) << std::oct << mode;
        ::umask(oldMask);
        EXPECT_EQ(ModeOf("keep"), mode) << std::oct << mode;
        EXPECT_EQ(Tree.ReadFile("keep"), "new");
    }
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(Tree.Path("keep").c_str(), 65534, 65534), 0);
        ASSERT_TRUE(WriteFileAtomically(Tree.Path("keep"), "again").Ok());
        struct stat st = LStat(Tree.Path("keep"));
        EXPECT_EQ(std::tuple(st.st_uid, st.st_gid), std::tuple(65534u, 65534u));
    }
}

TEST_F(AtomicFileTest, ReadWholeFileReturnsEveryByteOrWhyNot)
{
    Tree.AddFile("blob", 3 * 1024 * 1024 + 1);
    EXPECT_EQ(ReadWholeFile(Tree.Path("blob")).Value(), TempTree::Pattern(3 * 1024 * 1024 + 1));
    EXPECT_EQ(ReadWholeFile(Tree.AddFile("empty", "")).Value(), "");
    EXPECT_EQ(ReadWholeFile(Tree.Path("missing")).Error(), ENOENT);
    EXPECT_EQ(ReadWholeFile(Tree.AddFolder("folder")).Error(), EISDIR);
    ScopedFault fault({FaultOp::Read, EIO, "blob", 0, 1});
    EXPECT_EQ(ReadWholeFile(Tree.Path("blob")).Error(), EIO);
}

// The journal of temporary entries starts afresh once it has grown large, but only while none of
// its entries is outstanding: an entry still being written keeps its record however long the
// journal grows, so it is found after its process is killed.
TEST_F(AtomicFileTest, TheJournalRestartsOnlyWithNoEntryOutstanding)
{
    const std::string journal = Tree.AddFolder("journal");
    const std::string folder = Tree.AddFolder("temps");
    int code = RunInChild([&] {
        UseTempJournal(journal);
        const std::string path = journal + "/TXTemp" + std::to_string(::getpid()) + ".jnl";
        auto size = [&] {
            struct stat st = {};
            return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
        };
        // One passing entry recorded, made and gone.
        auto pass = [&] {
            int fd = -1;
            SysResult<std::string> passing = CreateTempFile(folder + "/passing.bin", 0600, fd);
            if (!passing.Ok()) {
                ::_exit(20);
            }
            ::close(fd);
            ::unlink(passing.Value().c_str());
            TempEntryGone();
        };
        // A journal that never grows past `limit` fails.
        auto growPast = [&](off_t limit) {
            for (int round = 0; round < 20000 && size() <= limit; ++round) {
                pass();
            }
            return size() > limit;
        };
        if (!growPast(64 * 1024)) {
            return 21;
        }
        pass();
        if (size() > 4096) {
            return 22; // did not start afresh with nothing outstanding
        }
        int fd = -1;
        if (!CreateTempFile(folder + "/kept.bin", 0600, fd).Ok() || !growPast(2 * 64 * 1024)) {
            return 23;
        }
        return 0; // the child ends as a killed process would: no clean-up
    });
    ASSERT_EQ(code, 0);
    auto temps = [&] {
        return std::ranges::count_if(Tandemix::Test::SortedNamesIn(folder), IsTempName);
    };
    ASSERT_EQ(temps(), 1) << "the entry kept open";
    RemoveRecordedTempFiles(journal);
    EXPECT_EQ(temps(), 0) << "its record outlived the journal's growth";
}

// Distinct temporary names, also where the kernel's random generator cannot answer.
TEST(TempNameTest, BesideTheTargetWithFreshRandomPartAndRecognisedOnlyInThatShape)
{
    std::string first = TempPathFor("/home/u/prog/TXDef.CFG");
    EXPECT_TRUE(first.starts_with("/home/u/prog/.TXDef.CFG.") && IsTempName(first)) << first;
    EXPECT_EQ(TempPathFor("plain.txt").find('/'), std::string::npos);
    auto distinct = [] {
        std::set<std::string> seen;
        for (int i = 0; i < 200; ++i) {
            seen.insert(TempPathFor("/x/TXDef.CFG"));
        }
        return seen.size() > 190 ? 0 : 1;
    };
    EXPECT_EQ(distinct(), 0);

    // clang-format off
    const struct { const char* Name; bool Temp; } rows[] = {
        {".TXDef.CFG.aB3xZ9.txpart", true}, {"/some/folder/.a.000000.txpart", true}, {"..hidden.Qwerty.txpart", true},
        {"TXDef.CFG", false}, {".TXDef.CFG", false}, {"TXDef.CFG.aB3xZ9.txpart", false}, {"..aB3xZ9.txpart", false},
        {".a.aB3xZ.txpart", false}, {".a.aB3xZ99.txpart", false}, {".a-aB3xZ9.txpart", false},
        {".a.aB-xZ9.txpart", false}, {".a.aB3xZ9.txpar", false}, {".a.aB3xZ9.txpart.bak", false},
        {".txpart", false}, {"", false}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(IsTempName(row.Name), row.Temp) << row.Name;
    }

    int code = RunWithSyscallRefused(SYS_getrandom, ENOSYS, distinct);
    if (code == NoSyscallFilter) {
        GTEST_SKIP() << "no system call filter here";
    }
    EXPECT_EQ(code, 0) << "without the kernel's generator the names repeat";
}

} // namespace
} // namespace Tandemix
