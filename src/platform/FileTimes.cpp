// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileTimes.h"

#include "platform/FaultHook.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace Tandemix {

namespace {

constexpr int FirstYear = 1980;
constexpr int LastYear = FirstYear + 127;
constexpr long NanosPerSecond = 1000000000L;

bool LocalTime(std::time_t t, std::tm& out)
{
    return ::localtime_r(&t, &out) != nullptr;
}

// True when b lies 2 s or more away from a.
bool TwoSecondsApart(const timespec& a, const timespec& b)
{
    long long seconds = static_cast<long long>(a.tv_sec) - static_cast<long long>(b.tv_sec);
    if (seconds > 2 || seconds < -2) {
        return true;
    }
    long long nanos = seconds * NanosPerSecond + (a.tv_nsec - b.tv_nsec);
    return nanos >= 2 * NanosPerSecond || nanos <= -2 * NanosPerSecond;
}

bool ValidNanos(const timespec& t)
{
    return t.tv_nsec >= 0 && t.tv_nsec < NanosPerSecond;
}

} // namespace

SysResult<std::uint32_t> PackFileTime(std::time_t t)
{
    std::tm tm{};
    if (!LocalTime(t, tm)) {
        return SysResult<std::uint32_t>::Failure(EOVERFLOW, "PackFileTime");
    }
    int year = tm.tm_year + 1900;
    if (year < FirstYear) {
        return PackedTimeFloor;
    }
    if (year > LastYear) {
        return SysResult<std::uint32_t>::Failure(EOVERFLOW, "PackFileTime");
    }
    std::uint32_t date = static_cast<std::uint32_t>(year - FirstYear) << 9
                         | static_cast<std::uint32_t>(tm.tm_mon + 1) << 5
                         | static_cast<std::uint32_t>(tm.tm_mday);
    // A leap second (tm_sec 60) still fits: 30 in five bits.
    std::uint32_t time = static_cast<std::uint32_t>(tm.tm_hour) << 11
                         | static_cast<std::uint32_t>(tm.tm_min) << 5
                         | static_cast<std::uint32_t>(tm.tm_sec / 2);
    return date << 16 | time;
}

bool IsBefore1980(std::time_t t)
{
    std::tm tm{};
    return LocalTime(t, tm) && tm.tm_year + 1900 < FirstYear;
}

std::time_t UnpackFileTime(std::uint32_t packed)
{
    std::tm tm = PackedFields(packed);
    return std::mktime(&tm);
}

std::tm PackedFields(std::uint32_t packed)
{
    std::uint32_t date = packed >> 16;
    std::uint32_t time = packed & 0xFFFF;
    std::tm tm{};
    tm.tm_year = static_cast<int>(date >> 9) + FirstYear - 1900;
    tm.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>(date & 0x1F);
    tm.tm_hour = static_cast<int>(time >> 11);
    tm.tm_min = static_cast<int>((time >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>(time & 0x1F) * 2;
    tm.tm_isdst = -1;
    return tm;
}

namespace {

// `set` gives the times, `readBack` fills `st` again; both return 0 or an errno.
template <typename Set, typename ReadBack>
SysStatus SetAndVerify(const std::string& path,
                       const timespec& atime,
                       const timespec& mtime,
                       Set set,
                       ReadBack readBack)
{
    if (int fault = CheckFault(FaultOp::SetTimes, path)) {
        return SysFail(fault, "utimensat");
    }
    // UTIME_NOW and UTIME_OMIT are refused: an omitted time is exactly what FUSE FAT drives
    // replace with "now".
    if (!ValidNanos(atime) || !ValidNanos(mtime)) {
        return SysFail(EINVAL, "utimensat");
    }
    const timespec times[2] = {atime, mtime};
    if (int error = set(times)) {
        return SysFail(error, "utimensat");
    }
    struct stat st;
    if (int error = readBack(st)) {
        return SysFail(error, "lstat");
    }
    if (TwoSecondsApart(st.st_mtim, mtime)) {
        return SysFail(ERANGE, "utimensat-verify");
    }
    return SysOk();
}

int ErrnoUnless(bool done)
{
    return done ? 0 : errno;
}

} // namespace

SysStatus SetFileTimes(const std::string& path, const timespec& atime, const timespec& mtime)
{
    return SetAndVerify(
        path,
        atime,
        mtime,
        [&](const timespec* times) {
            return ErrnoUnless(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0);
        },
        [&](struct stat& st) { return ErrnoUnless(::lstat(path.c_str(), &st) == 0); });
}

SysStatus
SetFileTimesOf(int fd, const std::string& path, const timespec& atime, const timespec& mtime, struct stat& st)
{
    return SetAndVerify(
        path,
        atime,
        mtime,
        [&](const timespec* times) { return ErrnoUnless(::futimens(fd, times) == 0); },
        [&](struct stat& back) {
            int error = ErrnoUnless(::fstat(fd, &back) == 0);
            st = back;
            return error;
        });
}

} // namespace Tandemix
