// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace Tandemix::Test {

// lstat of a path the test expects to be there (a failure is a test failure).
inline struct stat LStat(const std::string& path)
{
    struct stat st = {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

inline mode_t ModeOf(const std::string& path)
{
    return LStat(path).st_mode & 07777;
}

// What the link at `path` points at; empty (and a test failure) when it is no link.
inline std::string LinkTarget(const std::string& path)
{
    char text[4096] = {};
    EXPECT_GT(::readlink(path.c_str(), text, sizeof text - 1), 0) << path;
    return text;
}

inline bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A packed time built from its fields, independent of the code that packs.
constexpr std::uint32_t Packed(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(month) << 21
           | static_cast<std::uint32_t>(day) << 16 | static_cast<std::uint32_t>(hour) << 11
           | static_cast<std::uint32_t>(minute) << 5 | static_cast<std::uint32_t>(second / 2);
}

// The names in `folder`, sorted: readdir's order is the filesystem's.
inline std::vector<std::string> SortedNamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Resets the archive flag of `path` (a failed reset is a test failure); false where the
// filesystem keeps no user extended attributes, so the flag stays set and the caller skips.
inline bool ArchiveFlagResets(const std::string& path)
{
    EXPECT_TRUE(ResetArchive(path).Ok()) << path;
    return !ArchiveFlagSet(path, LStat(path));
}

// The errno `call` ends with while `plan` is armed, the fault lasting for that call alone.
template <typename Call>
int ErrorUnder(const FaultPlan& plan, const Call& call)
{
    ScopedFault fault(plan);
    return call().Error();
}

// A fresh temporary tree for each test and nothing else.
class TreeFixture : public ::testing::Test
{
protected:
    TempTree Tree;
};

} // namespace Tandemix::Test
