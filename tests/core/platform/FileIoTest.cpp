// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileIo.h"

#include "platform/FaultHook.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Tandemix {
namespace {

constexpr std::size_t MiB = 1024 * 1024;

class FileIoTest : public testing::Test
{
protected:
    int Open(const SysResult<int>& fd)
    {
        EXPECT_TRUE(fd.Ok()) << fd.Call() << " " << fd.Error();
        return *fd;
    }

    // The copy loop of a caller: chunks until the source's end; every chunk is at most
    // `chunk` bytes. Returns the number of non-empty chunks, or -errno.
    int CopyAll(int in, int out, std::size_t chunk, const std::string& outPath)
    {
        int chunks = 0;
        for (;;) {
            SysResult<std::size_t> copied = CopyChunk(in, out, chunk, outPath);
            if (!copied) {
                return -copied.Error();
            }
            EXPECT_LE(*copied, chunk);
            if (*copied == 0) {
                return chunks;
            }
            ++chunks;
        }
    }

    TempTree Tree;
};

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
        EXPECT_FALSE(WriteAll(fd, data.data(), 1, path).Ok());
    }
    EXPECT_TRUE(CloseFile(fd, path).Ok());
    EXPECT_EQ(Tree.ReadFile("out"), data + data.substr(0, 600) + data.substr(0, 400))
        << "the short part did reach the file";
}

TEST_F(FileIoTest, RealFullDiskIsAnError)
{
    std::string mountPoint = Tree.AddFolder("small");
    int code = RunInMountNamespace([&]() {
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k") != 0) {
            return NoMountNamespace;
        }
        std::string path = mountPoint + "/big";
        SysResult<int> fd = CreateNew(path, 0644);
        if (!fd) {
            return 10;
        }
        std::string data(1024 * 1024, 'x');
        SysResult<std::size_t> written = WriteAll(*fd, data.data(), data.size(), path);
        ::close(*fd);
        if (written) {
            return 11;
        }
        return written.Error() == ENOSPC ? 0 : 12;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(code, 0) << "10 create, 11 reported success on a full disk, 12 wrong error";
}

TEST_F(FileIoTest, CopyChunkReproducesTheSourceExactly)
{
    for (std::size_t size : {3 * MiB + 1, std::size_t{0}}) {
        std::string from = Tree.AddFile("from", static_cast<std::int64_t>(size));
        std::string to = Tree.Path("to" + std::to_string(size));
        int in = Open(OpenForRead(from));
        int out = Open(CreateNew(to, 0644));
        EXPECT_EQ(CopyAll(in, out, MiB, to), size == 0 ? 0 : 4);
        ::close(in);
        ASSERT_TRUE(CloseFile(out, to).Ok());
        EXPECT_EQ(Tree.ReadFile("to" + std::to_string(size)),
                  TempTree::Pattern(static_cast<std::int64_t>(size)));
    }
}

TEST_F(FileIoTest, CopyChunkFallsBackWhereTheKernelRefuses)
{
    // copy_file_range refuses an append-only target and a pipe source: both go through the buffer.
    std::string from = Tree.AddFile("from", static_cast<std::int64_t>(MiB + 777));
    std::string to = Tree.AddFile("to", "head:");
    int in = Open(OpenForRead(from));
    int out = Open(OpenForAppend(to, false));
    EXPECT_GE(CopyAll(in, out, MiB, to), 2);
    ::close(in);
    ASSERT_TRUE(CloseFile(out, to).Ok());
    EXPECT_EQ(Tree.ReadFile("to"), "head:" + TempTree::Pattern(MiB + 777));

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ASSERT_EQ(::write(pipeFds[1], "through a pipe", 14), 14);
    ::close(pipeFds[1]);
    std::string piped = Tree.Path("piped");
    out = Open(CreateNew(piped, 0644));
    EXPECT_EQ(CopyAll(pipeFds[0], out, MiB, piped), 1);
    ::close(pipeFds[0]);
    ASSERT_TRUE(CloseFile(out, piped).Ok());
    EXPECT_EQ(Tree.ReadFile("piped"), "through a pipe");
}

TEST_F(FileIoTest, CopyChunkHonoursTheFullDiskFault)
{
    std::string from = Tree.AddFile("from", static_cast<std::int64_t>(3 * MiB));
    std::string to = Tree.Path("to");
    int in = Open(OpenForRead(from));
    int out = Open(CreateNew(to, 0644));
    {
        ScopedFault fault({FaultOp::Write, ENOSPC, "to", static_cast<std::int64_t>(MiB + MiB / 2)});
        EXPECT_EQ(CopyAll(in, out, MiB, to), -ENOSPC);
    }
    ::close(in);
    EXPECT_TRUE(CloseFile(out, to).Ok());
    EXPECT_EQ(Tree.ReadFile("to"), TempTree::Pattern(static_cast<std::int64_t>(MiB + MiB / 2)))
        << "exactly the bytes the disk took, in place";
}

TEST_F(FileIoTest, SmallFilesFitBeforeTheFullDiskFault)
{
    // A disk with 1000 bytes left takes two files of 400; the third one fills it.
    std::string from = Tree.AddFile("from", 400);
    ScopedFault fault({FaultOp::Write, ENOSPC, "copy", 1000});
    for (int i = 0; i < 3; ++i) {
        std::string to = Tree.Path("copy" + std::to_string(i));
        int in = Open(OpenForRead(from));
        int out = Open(CreateNew(to, 0644));
        int result = CopyAll(in, out, MiB, to);
        ::close(in);
        EXPECT_TRUE(CloseFile(out, to).Ok());
        EXPECT_EQ(result, i < 2 ? 1 : -ENOSPC) << "file " << i;
    }
}

TEST_F(FileIoTest, OpenModes)
{
    std::string path = Tree.AddFile("log", "one\n");
    EXPECT_EQ(CreateNew(path, 0644).Error(), EEXIST);
    EXPECT_EQ(Tree.ReadFile("log"), "one\n");

    int fd = Open(OpenForAppend(path, false));
    ASSERT_TRUE(WriteAll(fd, "two\n", 4, path).Ok());
    EXPECT_TRUE(CloseFile(fd, path).Ok());
    EXPECT_EQ(Tree.ReadFile("log"), "one\ntwo\n");

    fd = Open(OpenForAppend(path, true));
    ASSERT_TRUE(WriteAll(fd, "three\n", 6, path).Ok());
    EXPECT_TRUE(CloseFile(fd, path).Ok());
    EXPECT_EQ(Tree.ReadFile("log"), "three\n");

    std::string fresh = Tree.Path("fresh.log");
    fd = Open(OpenForAppend(fresh, false));
    EXPECT_TRUE(CloseFile(fd, fresh).Ok());
    EXPECT_TRUE(Tree.Exists("fresh.log"));

    EXPECT_EQ(OpenForRead(Tree.Path("missing")).Error(), ENOENT);
    ScopedFault fault({FaultOp::Open, EMFILE, "log"});
    EXPECT_EQ(OpenForRead(path).Error(), EMFILE);
    EXPECT_EQ(OpenForAppend(path, false).Error(), EMFILE);
    EXPECT_EQ(CreateNew(Tree.Path("new.log"), 0644).Error(), EMFILE);
    EXPECT_FALSE(Tree.Exists("new.log"));
}

TEST_F(FileIoTest, ReadSomeAndItsFault)
{
    std::string path = Tree.AddFile("in", "abcdef");
    int fd = Open(OpenForRead(path));
    char buffer[4];
    SysResult<std::size_t> got = ReadSome(fd, buffer, sizeof buffer, path);
    ASSERT_TRUE(got.Ok());
    EXPECT_EQ(std::string(buffer, *got), "abcd");
    {
        ScopedFault fault({FaultOp::Read, EIO, "in"});
        EXPECT_EQ(ReadSome(fd, buffer, sizeof buffer, path).Error(), EIO);
    }
    got = ReadSome(fd, buffer, sizeof buffer, path);
    EXPECT_EQ(std::string(buffer, *got), "ef");
    EXPECT_EQ(*ReadSome(fd, buffer, sizeof buffer, path), 0u);
    EXPECT_TRUE(CloseFile(fd, path).Ok());
    EXPECT_EQ(CloseFile(fd, path).Error(), EBADF) << "close errors are reported";
}

TEST_F(FileIoTest, SyncAndRename)
{
    std::string path = Tree.AddFile("a", "new");
    int fd = Open(OpenForRead(path));
    EXPECT_TRUE(SyncData(fd, path).Ok());
    {
        ScopedFault fault({FaultOp::Sync, EIO, "a"});
        EXPECT_EQ(SyncData(fd, path).Error(), EIO);
    }
    EXPECT_TRUE(CloseFile(fd, path).Ok());

    std::string target = Tree.AddFile("b", "old");
    {
        ScopedFault fault({FaultOp::Rename, EXDEV, "b"});
        EXPECT_EQ(RenameOver(path, target).Error(), EXDEV);
    }
    EXPECT_EQ(Tree.ReadFile("b"), "old");
    ASSERT_TRUE(RenameOver(path, target).Ok());
    EXPECT_EQ(Tree.ReadFile("b"), "new");
    EXPECT_FALSE(Tree.Exists("a"));
}

} // namespace
} // namespace Tandemix
