// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileTimes.h"

#include "platform/DateText.h"
#include "platform/FaultHook.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <tuple>

namespace Tandemix {
namespace {

std::time_t Utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900, tm.tm_mon = month - 1, tm.tm_mday = day;
    tm.tm_hour = hour, tm.tm_min = minute, tm.tm_sec = second;
    return ::timegm(&tm);
}

using Test::LStat;
using Test::Packed;

// Packed local time in 2-second slots: the odd second is lost, never rounded up, and unpacking
// gives back the even second.
TEST(PackedTimeTest, PacksLocalTimeUnpacksItAndRefusesWhatItCannotHold)
{
    // clang-format off
    const struct { const char* Name; const char* Zone; std::time_t Time; std::uint32_t Expected; bool Before1980; } rows[] = {
        {"LastOf1979IsTheFloor", "UTC", Utc(1979, 12, 31, 23, 59, 59), PackedTimeFloor, true},
        {"LongBefore1980", "UTC", Utc(1975, 6, 1), PackedTimeFloor, true},
        {"Floor", "UTC", Utc(1980, 1, 1), Packed(1980, 1, 1, 0, 0, 0), false},
        {"TwoSecondsLater", "UTC", Utc(1980, 1, 1, 0, 0, 2), PackedTimeFloor + 1, false},
        {"OddSecondRoundsDown", "UTC", Utc(2001, 3, 4, 5, 6, 7), Packed(2001, 3, 4, 5, 6, 6), false},
        {"Fields", "UTC", Utc(2000, 6, 15, 13, 45, 30), Packed(2000, 6, 15, 13, 45, 30), false},
        {"LeapDay", "UTC", Utc(2024, 2, 29, 23, 59, 58), Packed(2024, 2, 29, 23, 59, 58), false},
        {"Past2038", "UTC", Utc(2038, 1, 19, 3, 14, 9), Packed(2038, 1, 19, 3, 14, 8), false},
        {"LastPackable", "UTC", Utc(2107, 12, 31, 23, 59, 59), Packed(2107, 12, 31, 23, 59, 58), false},
        // 23:30 UTC on New Year's Eve 1979 is already 1980 in Berlin.
        {"LocalNewYear", "Europe/Berlin", Utc(1979, 12, 31, 23, 30), Packed(1980, 1, 1, 0, 30, 0), false},
        {"LocalSummer", "Europe/Berlin", Utc(2021, 7, 1, 12), Packed(2021, 7, 1, 14, 0, 0), false},
        {"LocalWinter", "Europe/Berlin", Utc(2021, 1, 1, 12), Packed(2021, 1, 1, 13, 0, 0), false}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        ScopedEnv zone("TZ", row.Zone);
        const std::uint32_t packed = PackFileTime(row.Time).Value();
        EXPECT_EQ(std::tuple(packed, IsBefore1980(row.Time)), std::tuple(row.Expected, row.Before1980));
        if (!row.Before1980) {
            EXPECT_EQ(UnpackFileTime(packed), row.Time - row.Time % 2);
            EXPECT_EQ(*PackFileTime(UnpackFileTime(packed)), packed);
        }
    }

    ScopedEnv zone("TZ", "UTC");
    EXPECT_EQ(PackFileTime(Utc(2108, 1, 1)).Error(), EOVERFLOW) << "what it cannot hold is refused";
}

using SetFileTimesTest = Test::TreeFixture;

TEST_F(SetFileTimesTest, StoresBothTimesToTheNanosecondOnTheLinkItselfOrSaysWhyNot)
{
    std::string target = Tree.AddFile("target", "x", TreeTime(1000000000));
    for (const std::string& path : {target, Tree.AddSymlink("link", "target")}) {
        ASSERT_TRUE(SetFileTimes(path, {1500000000, 987654321}, {1600000000, 123456789}).Ok());
        struct stat st = LStat(path);
        EXPECT_EQ(std::tuple(st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_atim.tv_sec, st.st_atim.tv_nsec),
                  std::tuple(1600000000, 123456789, 1500000000, 987654321));
        Tree.SetTime("target", TreeTime(1000000000));
    }

    {
        ScopedFault fault({FaultOp::SetTimes, EIO, target});
        EXPECT_EQ(SetFileTimes(target, {1600000000, 0}, {1600000000, 0}).Error(), EIO);
    }
    // An omitted time is what FUSE FAT drives silently turn into "now".
    EXPECT_EQ(SetFileTimes(target, {0, UTIME_OMIT}, {1600000000, 0}).Error(), EINVAL);
    EXPECT_EQ(SetFileTimes(target, {1600000000, 0}, {0, UTIME_NOW}).Error(), EINVAL);
    EXPECT_EQ(LStat(target).st_mtim.tv_sec, 1000000000) << "a refused time touched it";
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
        // Nanoseconds dropped are within 2 s: fine. A date of 2039 clamped is not.
        SysStatus fine = SetFileTimes(file, {1600000000, 500000000}, {1600000000, 500000000});
        SysStatus late = SetFileTimes(file, {2200000000, 0}, {2200000000, 0});
        return !fine                                                                                   ? 11
               : late || late.Error() != ERANGE || std::string_view(late.Call()) != "utimensat-verify" ? 12
                                                                                                       : 0;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace or loop device here";
    }
    EXPECT_EQ(code, 0) << "10 create, 11 lost nanoseconds reported, 12 clamped date not reported";
}

TEST(DateTextTest, UsFormsInLocalTimeAlsoFromThePackedFields)
{
    // clang-format off
    const struct { const char* Zone; std::time_t Time; const char* Text; } rows[] = {
        {"UTC", Utc(1998, 1, 5, 9, 5, 3), "1/5/98 9:05:03 AM"},
        {"UTC", Utc(2007, 12, 31, 23, 59, 59), "12/31/07 11:59:59 PM"},
        {"UTC", Utc(2000, 2, 29, 12, 0, 0), "2/29/00 12:00:00 PM"},
        {"UTC", Utc(2001, 10, 10, 0, 30, 0), "10/10/01 12:30:00 AM"},
        {"UTC", Utc(2001, 10, 10, 13, 0, 0), "10/10/01 1:00:00 PM"},
        {"UTC", Utc(2001, 10, 10, 11, 59, 59), "10/10/01 11:59:59 AM"},
        // 23:30 UTC is half past midnight of the next day in Berlin in winter.
        {"Europe/Berlin", Utc(1998, 1, 5, 23, 30, 0), "1/6/98 12:30:00 AM"}};
    // clang-format on
    for (const auto& row : rows) {
        ScopedEnv zone("TZ", row.Zone);
        EXPECT_EQ(DateTimeText(row.Time), row.Text);
        EXPECT_EQ(ShortDateText(row.Time) + " " + LongTimeText(row.Time), row.Text);
    }

    // The texts of a packed time are read from its fields; they must be what converting it to a
    // time and back gives, in any zone and around the switches of daylight saving, and a packed
    // value whose fields name no real date or time is normalised as before.
    // clang-format off
    const std::uint32_t values[] = {
        PackedTimeFloor, Packed(1998, 1, 5, 9, 5, 4), Packed(2000, 2, 29, 12, 0, 0), Packed(2107, 12, 31, 23, 59, 58),
        // Just before the spring switch in Berlin, and the hour that comes twice in autumn.
        Packed(2024, 3, 31, 1, 59, 58), Packed(2024, 10, 27, 2, 30, 0),
        // No such day (2/29/01 becomes 3/1/01), month, hour, minute.
        Packed(2001, 2, 29, 10, 0, 0), Packed(2001, 4, 31, 10, 0, 0), Packed(2001, 13, 1, 10, 0, 0),
        Packed(2001, 6, 1, 24, 0, 0), Packed(2001, 6, 1, 10, 60, 0), Packed(2001, 6, 0, 10, 0, 0)};
    // clang-format on
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York"}) {
        ScopedEnv tz("TZ", zone);
        for (std::uint32_t value : values) {
            std::time_t t = UnpackFileTime(value);
            SCOPED_TRACE(std::string(zone) + " " + std::to_string(value));
            EXPECT_EQ(PackedDateText(value), ShortDateText(t));
            EXPECT_EQ(PackedTimeText(value), LongTimeText(t));
            EXPECT_EQ(PackedDateTimeText(value), DateTimeText(t));
        }
    }
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(PackedDateText(Packed(2001, 2, 29, 10, 0, 0)), "3/1/01");
}

} // namespace
} // namespace Tandemix
