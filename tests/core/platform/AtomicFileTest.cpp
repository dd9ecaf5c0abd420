// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "core/platform/SyscallRefusal.h"
#include "platform/FaultHook.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

namespace fs = std::filesystem;

using Test::ByName;
using Test::PrintTo;

class AtomicFileTest : public ::testing::Test
{
protected:
    void TearDown() override { ClearFaults(); }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(Tree.Root())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    mode_t ModeOf(const std::string& rel) const
    {
        struct stat st = {};
        EXPECT_EQ(::stat(Tree.Path(rel).c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    TempTree Tree;
};

TEST_F(AtomicFileTest, WritesExactBytesWholeAndLeavesNoTail)
{
    const std::string content = std::string("line\r\nnul\0byte\rend", 18);
    mode_t old = ::umask(022);
    SysStatus status = WriteFileAtomically(Tree.Path("new.cfg"), content);
    ::umask(old);
    ASSERT_TRUE(status.Ok()) << status.Call() << " errno " << status.Error();
    EXPECT_EQ(Tree.ReadFile("new.cfg"), content);
    EXPECT_EQ(ModeOf("new.cfg"), 0644u);

    ASSERT_TRUE(WriteFileAtomically(Tree.Path("new.cfg"), TempTree::Pattern(3 * 1024 * 1024 + 1)).Ok());
    EXPECT_EQ(Tree.ReadFile("new.cfg"), TempTree::Pattern(3 * 1024 * 1024 + 1));
    ASSERT_TRUE(WriteFileAtomically(Tree.Path("new.cfg"), "").Ok());
    EXPECT_EQ(Tree.ReadFile("new.cfg"), "");

    const std::string longest(255, 'n'); // still gets a temporary name beside it
    ASSERT_TRUE(WriteFileAtomically(Tree.Path(longest), "fits").Ok());
    EXPECT_EQ(Tree.ReadFile(longest), "fits");
    EXPECT_EQ(Names(), (std::vector<std::string>{"new.cfg", longest}));
}

struct FailingStep
{
    std::string Name;
    FaultPlan Fault;
    bool OldFile;
};

class AtomicFileFailureTest : public AtomicFileTest, public ::testing::WithParamInterface<FailingStep>
{};

TEST_P(AtomicFileFailureTest, OldFileSurvivesAndTempIsRemoved)
{
    const std::string old = TempTree::Pattern(5000);
    if (GetParam().OldFile) {
        Tree.AddFile("data.snc", old);
    }
    ScopedFault fault(GetParam().Fault);
    SysStatus status = WriteFileAtomically(Tree.Path("data.snc"), TempTree::Pattern(256 * 1024));
    EXPECT_EQ(status.Error(), GetParam().Fault.Error);
    EXPECT_EQ(Names(),
              GetParam().OldFile ? std::vector<std::string>{"data.snc"} : std::vector<std::string>{});
    if (GetParam().OldFile) {
        EXPECT_EQ(Tree.ReadFile("data.snc"), old);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EachStep, AtomicFileFailureTest, ::testing::Values(
    FailingStep{"CreateTemp", {FaultOp::Open, EACCES, "data.snc", 0, -1}, true},
    FailingStep{"Write", {FaultOp::Write, ENOSPC, "data.snc", 0, -1}, true},
    FailingStep{"ShortWriteThenDiskFull", {FaultOp::Write, ENOSPC, "data.snc", 4096, 1}, true},
    FailingStep{"FirstWriteWhereNoFileWas", {FaultOp::Write, EIO, "data.snc", 0, -1}, false},
    FailingStep{"Sync", {FaultOp::Sync, EIO, "data.snc", 0, -1}, true},
    FailingStep{"Rename", {FaultOp::Rename, EXDEV, "data.snc", 0, -1}, true}),
    ByName());
// clang-format on

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
        struct stat st = {};
        ASSERT_EQ(::stat(Tree.Path("keep").c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
}

TEST_F(AtomicFileTest, LinkIsWrittenThroughFoldersAndMissingFoldersAreRefused)
{
    Tree.AddFile("real/settings.cfg", "old");
    Tree.AddSymlink("link.cfg", "real/settings.cfg");
    ASSERT_TRUE(WriteFileAtomically(Tree.Path("link.cfg"), "new").Ok());
    EXPECT_TRUE(fs::is_symlink(Tree.Path("link.cfg")));
    EXPECT_EQ(Tree.ReadFile("real/settings.cfg"), "new");

    Tree.AddFolder("dir.cfg");
    EXPECT_EQ(WriteFileAtomically(Tree.Path("dir.cfg"), "x").Error(), EISDIR);
    EXPECT_TRUE(fs::is_directory(Tree.Path("dir.cfg")));
    EXPECT_EQ(WriteFileAtomically(Tree.Path("no/such/x.cfg"), "x").Error(), ENOENT);
    EXPECT_EQ(Names(), (std::vector<std::string>{"dir.cfg", "link.cfg", "real"}));
}

TEST_F(AtomicFileTest, ReadWholeFileReturnsEveryByteOrWhyNot)
{
    Tree.AddFile("blob", 3 * 1024 * 1024 + 1);
    EXPECT_EQ(ReadWholeFile(Tree.Path("blob")).Value(), TempTree::Pattern(3 * 1024 * 1024 + 1));
    Tree.AddFile("empty", "");
    ASSERT_TRUE(ReadWholeFile(Tree.Path("empty")).Ok());
    EXPECT_EQ(ReadWholeFile(Tree.Path("missing")).Error(), ENOENT);
    Tree.AddFolder("folder");
    EXPECT_EQ(ReadWholeFile(Tree.Path("folder")).Error(), EISDIR);
    ScopedFault fault({FaultOp::Read, EIO, "blob", 0, 1});
    EXPECT_EQ(ReadWholeFile(Tree.Path("blob")).Error(), EIO);
    EXPECT_TRUE(ReadWholeFile(Tree.Path("blob")).Ok()) << "the fault was armed for one read only";
}

// Distinct temporary names, also where the kernel's random generator cannot answer.
TEST(TempPathForTest, BesideTheTargetWithFreshRandomPart)
{
    std::string first = TempPathFor("/home/u/prog/TXDef.CFG");
    ASSERT_TRUE(first.starts_with("/home/u/prog/.TXDef.CFG."));
    EXPECT_EQ(first.size(), std::string("/home/u/prog/.TXDef.CFG.").size() + 6 + 7);
    EXPECT_TRUE(IsTempName(first));
    EXPECT_EQ(TempPathFor("plain.txt").find('/'), std::string::npos);
    auto distinct = [] {
        std::set<std::string> seen;
        for (int i = 0; i < 200; ++i) {
            seen.insert(TempPathFor("/x/TXDef.CFG"));
        }
        return seen.size() > 190 ? 0 : 1;
    };
    EXPECT_EQ(distinct(), 0);
    int code = RunWithSyscallRefused(SYS_getrandom, ENOSYS, distinct);
    if (code == NoSyscallFilter) {
        GTEST_SKIP() << "no system call filter here";
    }
    EXPECT_EQ(code, 0) << "without the kernel's generator the names repeat";
}

TEST(IsTempNameTest, RecognisesOnlyTempNames)
{
    for (const char* name :
         {".TXDef.CFG.aB3xZ9.txpart", "/some/folder/.a.000000.txpart", "..hidden.Qwerty.txpart"}) {
        EXPECT_TRUE(IsTempName(name)) << name;
    }
    for (const char* name : {"TXDef.CFG",
                             ".TXDef.CFG",
                             "TXDef.CFG.aB3xZ9.txpart",
                             "..aB3xZ9.txpart",
                             ".a.aB3xZ.txpart",
                             ".a.aB3xZ99.txpart",
                             ".a-aB3xZ9.txpart",
                             ".a.aB-xZ9.txpart",
                             ".a.aB3xZ9.txpar",
                             ".a.aB3xZ9.txpart.bak",
                             ".txpart",
                             ""}) {
        EXPECT_FALSE(IsTempName(name)) << name;
    }
}

} // namespace
} // namespace Tandemix
