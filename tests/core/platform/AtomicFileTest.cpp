// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "platform/FaultHook.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
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
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tx-atomic-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
    }

    void TearDown() override
    {
        ClearFaults();
        std::error_code ignored;
        fs::remove_all(FDir, ignored);
    }

    std::string Path(const std::string& name) const { return FDir + "/" + name; }

    void Put(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }

    std::string Get(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(FDir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string FDir;
};

std::string PatternBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    }
    return bytes;
}

TEST_F(AtomicFileTest, CreatesFileWithExactBytesAndUsualMode)
{
    const std::string content = std::string("line\r\nnul\0byte\rend", 18);
    mode_t old = umask(022);
    SysStatus status = WriteFileAtomically(Path("new.cfg"), content);
    umask(old);

    ASSERT_TRUE(status.Ok()) << status.Call() << " errno " << status.Error();
    EXPECT_EQ(Get("new.cfg"), content);
    EXPECT_EQ(Names(), std::vector<std::string>{"new.cfg"});
    struct stat st = {};
    ASSERT_EQ(stat(Path("new.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(AtomicFileTest, ReplacementLeavesNoTailOfLongerOldContent)
{
    Put("cfg", std::string(10000, 'o'));
    ASSERT_TRUE(WriteFileAtomically(Path("cfg"), "short").Ok());
    EXPECT_EQ(Get("cfg"), "short");
    ASSERT_TRUE(WriteFileAtomically(Path("cfg"), "").Ok());
    EXPECT_EQ(Get("cfg"), "");
    EXPECT_EQ(Names(), std::vector<std::string>{"cfg"});
}

TEST_F(AtomicFileTest, LargeContentIsWrittenWhole)
{
    const std::string content = PatternBytes(3 * 1024 * 1024 + 1);
    ASSERT_TRUE(WriteFileAtomically(Path("big"), content).Ok());
    EXPECT_EQ(Get("big"), content);
}

TEST_F(AtomicFileTest, ShortWriteThenDiskFullKeepsOldContentAndNoTemp)
{
    const std::string old = "[Misc Options]\r\nCompile Date=July 23, 1997\r\n";
    Put("TXDef.CFG", old);
    ScopedFault fault({FaultOp::Write, ENOSPC, "TXDef.CFG", 4096, 1});

    SysStatus status = WriteFileAtomically(Path("TXDef.CFG"), PatternBytes(256 * 1024));

    EXPECT_FALSE(status.Ok());
    EXPECT_EQ(status.Error(), ENOSPC);
    EXPECT_EQ(Get("TXDef.CFG"), old);
    EXPECT_EQ(Names(), std::vector<std::string>{"TXDef.CFG"});
}

TEST_F(AtomicFileTest, FailedFirstWriteLeavesNoFileWhereNoneWas)
{
    ScopedFault fault({FaultOp::Write, EIO, "fresh", 0, -1});
    SysStatus status = WriteFileAtomically(Path("fresh"), "content");
    EXPECT_EQ(status.Error(), EIO);
    EXPECT_TRUE(Names().empty());
}

struct FailingStep
{
    const char* Name;
    FaultOp Op;
    int Error;
};

class AtomicFileFailureTest : public AtomicFileTest, public ::testing::WithParamInterface<FailingStep>
{};

TEST_P(AtomicFileFailureTest, OldFileSurvivesAndTempIsRemoved)
{
    const std::string old = PatternBytes(5000);
    Put("data.snc", old);
    ScopedFault fault({GetParam().Op, GetParam().Error, "data.snc", 0, -1});

    SysStatus status = WriteFileAtomically(Path("data.snc"), "replacement that must not land");

    EXPECT_FALSE(status.Ok());
    EXPECT_EQ(status.Error(), GetParam().Error);
    EXPECT_EQ(Get("data.snc"), old);
    EXPECT_EQ(Names(), std::vector<std::string>{"data.snc"});
}

INSTANTIATE_TEST_SUITE_P(EachStep,
                         AtomicFileFailureTest,
                         ::testing::Values(FailingStep{"CreateTemp", FaultOp::Open, EACCES},
                                           FailingStep{"Write", FaultOp::Write, ENOSPC},
                                           FailingStep{"Sync", FaultOp::Sync, EIO},
                                           FailingStep{"Rename", FaultOp::Rename, EXDEV}),
                         ByName());

TEST_F(AtomicFileTest, FaultForAnotherFileDoesNotTouchThisOne)
{
    ScopedFault fault({FaultOp::Rename, EIO, "other.cfg", 0, -1});
    EXPECT_TRUE(WriteFileAtomically(Path("this.cfg"), "x").Ok());
    EXPECT_EQ(Get("this.cfg"), "x");
}

TEST_F(AtomicFileTest, PermissionBitsOfExistingFileAreKept)
{
    // 0646 has a bit the usual umask would strip from a newly created file.
    for (mode_t mode : {0600, 0646, 0755, 0444}) {
        Put("keep", "old");
        ASSERT_EQ(chmod(Path("keep").c_str(), mode), 0);
        mode_t oldMask = umask(022);
        SysStatus status = WriteFileAtomically(Path("keep"), "new");
        umask(oldMask);
        if (mode == 0444 && !status.Ok()) {
            // Without the capability to override permissions a read-only file is refused.
            EXPECT_EQ(status.Error(), EACCES);
            EXPECT_EQ(Get("keep"), "old");
            ASSERT_EQ(chmod(Path("keep").c_str(), 0644), 0);
            continue;
        }
        ASSERT_TRUE(status.Ok()) << std::oct << mode;
        struct stat st = {};
        ASSERT_EQ(stat(Path("keep").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(Get("keep"), "new");
        ASSERT_EQ(chmod(Path("keep").c_str(), 0644), 0);
    }
}

TEST_F(AtomicFileTest, OwnerOfExistingFileIsKept)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root may hand a file to another owner";
    }
    Put("owned", "old");
    ASSERT_EQ(chown(Path("owned").c_str(), 65534, 65534), 0);
    ASSERT_TRUE(WriteFileAtomically(Path("owned"), "new").Ok());
    struct stat st = {};
    ASSERT_EQ(stat(Path("owned").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(Get("owned"), "new");
}

TEST_F(AtomicFileTest, SymbolicLinkIsWrittenThroughAndStaysALink)
{
    fs::create_directory(Path("real"));
    Put("real/settings.cfg", "old");
    fs::create_symlink("real/settings.cfg", Path("link.cfg"));

    ASSERT_TRUE(WriteFileAtomically(Path("link.cfg"), "new").Ok());

    EXPECT_TRUE(fs::is_symlink(Path("link.cfg")));
    EXPECT_EQ(Get("real/settings.cfg"), "new");
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.cfg", "real"}));
}

TEST_F(AtomicFileTest, MissingFolderFails)
{
    SysStatus status = WriteFileAtomically(Path("no/such/folder/x.cfg"), "x");
    EXPECT_EQ(status.Error(), ENOENT);
    EXPECT_TRUE(Names().empty());
}

TEST_F(AtomicFileTest, FolderInPlaceOfTheFileIsRefused)
{
    fs::create_directory(Path("dir.cfg"));
    SysStatus status = WriteFileAtomically(Path("dir.cfg"), "x");
    EXPECT_EQ(status.Error(), EISDIR);
    EXPECT_TRUE(fs::is_directory(Path("dir.cfg")));
    EXPECT_EQ(Names(), std::vector<std::string>{"dir.cfg"});
}

TEST_F(AtomicFileTest, LongestNameStillGetsATempBesideIt)
{
    const std::string name(255, 'n');
    std::string temp = TempPathFor(Path(name));
    std::string tempName = fs::path(temp).filename().string();
    EXPECT_LE(tempName.size(), 255u);
    EXPECT_TRUE(IsTempName(tempName));

    ASSERT_TRUE(WriteFileAtomically(Path(name), "fits").Ok());
    EXPECT_EQ(Get(name), "fits");
    EXPECT_EQ(Names(), std::vector<std::string>{name});
}

TEST_F(AtomicFileTest, ReadWholeFileReturnsEveryByte)
{
    const std::string content = PatternBytes(3 * 1024 * 1024 + 1);
    Put("blob", content);
    SysResult<std::string> read = ReadWholeFile(Path("blob"));
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.Value(), content);

    Put("empty", "");
    SysResult<std::string> empty = ReadWholeFile(Path("empty"));
    ASSERT_TRUE(empty.Ok());
    EXPECT_EQ(empty.Value(), "");
}

TEST_F(AtomicFileTest, ReadWholeFileReportsWhyItFailed)
{
    EXPECT_EQ(ReadWholeFile(Path("missing")).Error(), ENOENT);

    fs::create_directory(Path("folder"));
    EXPECT_EQ(ReadWholeFile(Path("folder")).Error(), EISDIR);

    Put("guarded", "x");
    ScopedFault fault({FaultOp::Read, EIO, "guarded", 0, 1});
    EXPECT_EQ(ReadWholeFile(Path("guarded")).Error(), EIO);
    EXPECT_TRUE(ReadWholeFile(Path("guarded")).Ok()) << "the fault was armed for one read only";
}

TEST(TempPathForTest, BesideTheTargetWithFreshRandomPart)
{
    std::string first = TempPathFor("/home/u/prog/TXDef.CFG");
    ASSERT_TRUE(first.starts_with("/home/u/prog/.TXDef.CFG."));
    ASSERT_TRUE(first.ends_with(".txpart"));
    EXPECT_EQ(first.size(), std::string("/home/u/prog/.TXDef.CFG.").size() + 6 + 7);
    EXPECT_TRUE(IsTempName(first));

    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        seen.insert(TempPathFor("/x/TXDef.CFG"));
    }
    EXPECT_GT(seen.size(), 190u) << "the random part barely changes";

    EXPECT_EQ(TempPathFor("plain.txt").find('/'), std::string::npos);
    EXPECT_TRUE(IsTempName(TempPathFor("plain.txt")));
}

struct NameCase
{
    const char* Name;
    bool IsTemp;
};

class IsTempNameTest : public ::testing::TestWithParam<NameCase>
{};

TEST_P(IsTempNameTest, RecognisesOnlyTempNames)
{
    EXPECT_EQ(IsTempName(GetParam().Name), GetParam().IsTemp) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Names,
                         IsTempNameTest,
                         ::testing::Values(NameCase{".TXDef.CFG.aB3xZ9.txpart", true},
                                           NameCase{"/some/folder/.a.000000.txpart", true},
                                           NameCase{"..hidden.Qwerty.txpart", true},
                                           NameCase{"TXDef.CFG", false},
                                           NameCase{".TXDef.CFG", false},
                                           NameCase{"TXDef.CFG.aB3xZ9.txpart", false},
                                           NameCase{"..aB3xZ9.txpart", false},
                                           NameCase{".a.aB3xZ.txpart", false},
                                           NameCase{".a.aB3xZ99.txpart", false},
                                           NameCase{".a-aB3xZ9.txpart", false},
                                           NameCase{".a.aB-xZ9.txpart", false},
                                           NameCase{".a.aB3xZ9.txpar", false},
                                           NameCase{".a.aB3xZ9.txpart.bak", false},
                                           NameCase{".txpart", false},
                                           NameCase{"", false}));

} // namespace
} // namespace Tandemix
