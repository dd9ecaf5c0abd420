// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileIo.h"

#include "platform/FaultHook.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <tuple>

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
TEST_F(FileIoTest, CopyChunkReproducesEverySource)
{
    for (std::size_t size : {3 * MiB + 1, std::size_t{0}}) {
        std::string to = "to" + std::to_string(size);
        std::string from = Tree.AddFile("from", static_cast<std::int64_t>(size));
        EXPECT_EQ(CopyInto(from, Tree.Path(to)), size == 0 ? 0 : 4);
        EXPECT_EQ(Tree.ReadFile(to), TempTree::Pattern(static_cast<std::int64_t>(size)));
    }
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
}

TEST_F(FileIoTest, CopyChunkStopsWhereTheDiskFills)
{
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

TEST_F(FileIoTest, OpenModes)
{
    std::string path = Tree.AddFile("log", "one\n");
    EXPECT_EQ(CreateNew(path, 0644).Error(), EEXIST);
    EXPECT_EQ(Tree.ReadFile("log"), "one\n");
    for (auto [truncate, text, after] :
         {std::tuple{false, "two\n", "one\ntwo\n"}, {true, "three\n", "three\n"}}) {
        int fd = Open(OpenForAppend(path, truncate));
        ASSERT_TRUE(WriteAll(fd, text, std::strlen(text), path).Ok());
        EXPECT_TRUE(CloseFile(fd, path).Ok());
        EXPECT_EQ(Tree.ReadFile("log"), after);
    }
    std::string fresh = Tree.Path("fresh.log");
    EXPECT_TRUE(CloseFile(Open(OpenForAppend(fresh, false)), fresh).Ok());
    EXPECT_TRUE(Tree.Exists("fresh.log"));

    EXPECT_EQ(OpenForRead(Tree.Path("missing")).Error(), ENOENT);
    ScopedFault fault({FaultOp::Open, EMFILE, "log"});
    EXPECT_EQ(OpenForRead(path).Error(), EMFILE);
    EXPECT_EQ(OpenForAppend(path, false).Error(), EMFILE);
    EXPECT_EQ(CreateNew(Tree.Path("new.log"), 0644).Error(), EMFILE);
    EXPECT_FALSE(Tree.Exists("new.log"));
}

TEST_F(FileIoTest, CloseAndRename)
{
    std::string path = Tree.AddFile("a", "new");
    int fd = Open(OpenForRead(path));
    EXPECT_TRUE(CloseFile(fd, path).Ok());
    EXPECT_EQ(CloseFile(fd, path).Error(), EBADF) << "close errors are reported";

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
