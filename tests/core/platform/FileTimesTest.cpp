// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileTimes.h"

#include "platform/FaultHook.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>

namespace Tandemix {
namespace {

std::time_t Utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return ::timegm(&tm);
}

constexpr std::uint32_t Packed(int year, int month, int day, int hour, int minute, int second)
{
    return static_cast<std::uint32_t>((year - 1980) << 25 | month << 21 | day << 16 | hour << 11 | minute << 5
                                      | second / 2);
}

std::uint32_t PackOk(std::time_t t)
{
    SysResult<std::uint32_t> packed = PackFileTime(t);
    EXPECT_TRUE(packed.Ok()) << t;
    return *packed;
}

class PackedTimeTest : public testing::Test
{
protected:
    ScopedEnv Zone{"TZ", "UTC"};
};

TEST_F(PackedTimeTest, FloorAt1980)
{
    EXPECT_EQ(PackedTimeFloor, Packed(1980, 1, 1, 0, 0, 0));
    std::time_t lastOf1979 = Utc(1979, 12, 31, 23, 59, 59);
    EXPECT_EQ(PackOk(lastOf1979), PackedTimeFloor);
    EXPECT_TRUE(IsBefore1980(lastOf1979));
    EXPECT_EQ(PackOk(Utc(1975, 6, 1)), PackedTimeFloor);
    EXPECT_EQ(PackOk(Utc(1980, 1, 1)), PackedTimeFloor);
    EXPECT_FALSE(IsBefore1980(Utc(1980, 1, 1)));
    EXPECT_EQ(PackOk(Utc(1980, 1, 1, 0, 0, 2)), PackedTimeFloor + 1);
}

TEST_F(PackedTimeTest, FieldsLandInTheirBits)
{
    EXPECT_EQ(PackOk(Utc(2000, 6, 15, 13, 45, 30)), Packed(2000, 6, 15, 13, 45, 30));
    EXPECT_EQ(PackOk(Utc(2024, 2, 29, 23, 59, 58)), Packed(2024, 2, 29, 23, 59, 58));
}

TEST_F(PackedTimeTest, OddSecondsRoundDown)
{
    std::time_t even = Utc(2001, 3, 4, 5, 6, 6);
    EXPECT_EQ(PackOk(even + 1), PackOk(even));
    EXPECT_EQ(PackOk(even + 2), PackOk(even) + 1);
}

TEST_F(PackedTimeTest, RoundTrip)
{
    for (std::time_t t : {Utc(1980, 1, 1),
                          Utc(1999, 12, 31, 23, 59, 58),
                          Utc(2038, 1, 19, 3, 14, 8),
                          Utc(2100, 7, 4, 12, 0, 0),
                          Utc(2107, 12, 31, 23, 59, 58)}) {
        EXPECT_EQ(UnpackFileTime(PackOk(t)), t);
        EXPECT_EQ(UnpackFileTime(PackOk(t + 1)), t) << "the odd second is lost, not rounded up";
    }
}

TEST_F(PackedTimeTest, AfterLastPackableTimeFails)
{
    EXPECT_TRUE(PackFileTime(Utc(2107, 12, 31, 23, 59, 59)).Ok()) << "packs as ...:58";
    SysResult<std::uint32_t> late = PackFileTime(Utc(2108, 1, 1));
    EXPECT_FALSE(late.Ok());
    EXPECT_EQ(late.Error(), EOVERFLOW);
    EXPECT_STREQ(late.Call(), "PackFileTime");
}

TEST(PackedTimeLocalTest, UsesLocalTime)
{
    ScopedEnv zone("TZ", "Europe/Berlin");
    // 23:30 UTC on New Year's Eve 1979 is already 1980 in Berlin.
    std::time_t t = Utc(1979, 12, 31, 23, 30, 0);
    EXPECT_FALSE(IsBefore1980(t));
    EXPECT_EQ(PackOk(t), Packed(1980, 1, 1, 0, 30, 0));
    // Summer time: UTC+2.
    std::time_t summer = Utc(2021, 7, 1, 12, 0, 0);
    EXPECT_EQ(PackOk(summer), Packed(2021, 7, 1, 14, 0, 0));
    EXPECT_EQ(UnpackFileTime(PackOk(summer)), summer);
    std::time_t winter = Utc(2021, 1, 1, 12, 0, 0);
    EXPECT_EQ(PackOk(winter), Packed(2021, 1, 1, 13, 0, 0));
    EXPECT_EQ(UnpackFileTime(PackOk(winter)), winter);
}

class SetFileTimesTest : public testing::Test
{
protected:
    struct stat Lstat(const std::string& path)
    {
        struct stat st = {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st;
    }

    TempTree Tree;
};

TEST_F(SetFileTimesTest, StoresBothTimesToTheNanosecond)
{
    std::string file = Tree.AddFile("f", "x");
    timespec atime{1500000000, 987654321};
    timespec mtime{1600000000, 123456789};
    ASSERT_TRUE(SetFileTimes(file, atime, mtime).Ok());
    struct stat st = Lstat(file);
    EXPECT_EQ(st.st_mtim.tv_sec, mtime.tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, mtime.tv_nsec);
    EXPECT_EQ(st.st_atim.tv_sec, atime.tv_sec);
    EXPECT_EQ(st.st_atim.tv_nsec, atime.tv_nsec);
}

TEST_F(SetFileTimesTest, SetsTheLinkNotItsTarget)
{
    std::string target = Tree.AddFile("target", "x", TreeTime(1000000000));
    std::string link = Tree.AddSymlink("link", "target");
    ASSERT_TRUE(SetFileTimes(link, {1600000000, 0}, {1600000000, 0}).Ok());
    EXPECT_EQ(Lstat(link).st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(Lstat(target).st_mtim.tv_sec, 1000000000);
}

TEST_F(SetFileTimesTest, Failures)
{
    std::string file = Tree.AddFile("f", "x", TreeTime(1000000000));
    {
        ScopedFault fault({FaultOp::SetTimes, EIO, file});
        SysStatus status = SetFileTimes(file, {1600000000, 0}, {1600000000, 0});
        EXPECT_EQ(status.Error(), EIO);
    }
    EXPECT_EQ(Lstat(file).st_mtim.tv_sec, 1000000000);

    // An omitted time is what FUSE FAT drives silently turn into "now".
    EXPECT_EQ(SetFileTimes(file, {0, UTIME_OMIT}, {1600000000, 0}).Error(), EINVAL);
    EXPECT_EQ(SetFileTimes(file, {1600000000, 0}, {0, UTIME_NOW}).Error(), EINVAL);
    EXPECT_EQ(Lstat(file).st_mtim.tv_sec, 1000000000);

    EXPECT_EQ(SetFileTimes(Tree.Path("missing"), {1, 0}, {1, 0}).Error(), ENOENT);
}

// ext4 with 128-byte inodes keeps 32-bit seconds and no nanoseconds, like many older and
// removable filesystems: a lost fraction is fine, a date it cannot hold must be reported.
TEST_F(SetFileTimesTest, FilesystemThatCannotStoreTheTimeIsReported)
{
    std::string image = Tree.AddFile("small.img", std::string_view());
    std::string mountPoint = Tree.AddFolder("mnt");
    if (::truncate(image.c_str(), 8 << 20) != 0
        || RunProgram({"mkfs.ext4", "-q", "-F", "-I", "128", "-O", "^has_journal", image}) != 0) {
        GTEST_SKIP() << "mkfs.ext4 is not available";
    }
    int code = RunInMountNamespace([&]() {
        if (RunProgram({"mount", "-o", "loop", image, mountPoint}) != 0) {
            return NoMountNamespace;
        }
        std::string file = mountPoint + "/f";
        int fd = ::creat(file.c_str(), 0644);
        if (fd < 0) {
            return 10;
        }
        ::close(fd);
        if (!SetFileTimes(file, {1600000000, 500000000}, {1600000000, 500000000})) {
            return 11; // nanoseconds dropped: within 2 s, fine
        }
        SysStatus late = SetFileTimes(file, {2200000000, 0}, {2200000000, 0}); // 2039
        if (late || late.Error() != ERANGE || std::string_view(late.Call()) != "utimensat-verify") {
            return 12;
        }
        return 0;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace or loop device here";
    }
    EXPECT_EQ(code, 0) << "10 create, 11 lost nanoseconds reported, 12 clamped date not reported";
}

} // namespace
} // namespace Tandemix
