// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// A time for a file built by TempTree: whole seconds, a full timespec, or "leave it" (the time
// the file got when it was written).
struct TreeTime
{
    TreeTime() = default;
    TreeTime(std::time_t seconds)
        : TreeTime(timespec{seconds, 0})
    {}
    TreeTime(const timespec& value)
        : Given(true)
        , Value(value)
    {}

    bool Given = false;
    timespec Value{};
};

// A fresh folder under $TMPDIR (or /tmp) for one test, removed with everything in it when the
// object goes. It never uses the platform layer, so a fault armed by the test cannot disturb
// the fixture. Every builder reports a failure as a test failure and returns the full path of
// what it made. Relative paths use '/', parents are created as needed.
class TempTree
{
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return FRoot; }
    // Root() + "/" + rel; Root() itself for an empty rel.
    std::string Path(std::string_view rel = {}) const;

    // A file of `size` bytes filled with Pattern(size), so copies can be checked byte for byte.
    std::string AddFile(std::string_view rel, std::int64_t size, TreeTime mtime = {}, mode_t mode = 0644);
    std::string
    AddFile(std::string_view rel, std::string_view content, TreeTime mtime = {}, mode_t mode = 0644);
    std::string AddFolder(std::string_view rel, mode_t mode = 0755, TreeTime mtime = {});
    std::string AddSymlink(std::string_view rel, std::string_view target);
    // Sets both atime and mtime (of the link itself for a symlink).
    void SetTime(std::string_view rel, TreeTime mtime);
    void SetXattr(std::string_view rel, std::string_view name, std::string_view value);

    bool Exists(std::string_view rel) const; // lstat: anything, a dangling link too
    // Whole content; empty (and a test failure) when it cannot be read.
    std::string ReadFile(std::string_view rel) const;

    // The content AddFile(rel, size) writes.
    static std::string Pattern(std::int64_t size);
    // Deletes a path with everything under it, never following links; restores owner
    // permissions on the way so read-only folders do not block it.
    static void RemoveAll(const std::string& path);

private:
    void MakeParents(std::string_view rel) const;

    std::string FRoot;
};

// Sets (or, with nullopt, unsets) an environment variable for one scope and restores the old
// value afterwards. TZ changes are followed by tzset().
class ScopedEnv
{
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Apply(const std::optional<std::string>& value) const;

    std::string FName;
    std::optional<std::string> FOld;
};

// Makes permission bits bite for root too, for the calling thread, while the object lives:
// drops CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from the effective set (CI runs as root, and
// chmod 000 stops nobody there). Active() is false when that could not be done; a test then
// skips with the reason. Not root at all: nothing to drop, Active() is true.
class ScopedNoDacOverride
{
public:
    ScopedNoDacOverride();
    ~ScopedNoDacOverride();
    ScopedNoDacOverride(const ScopedNoDacOverride&) = delete;
    ScopedNoDacOverride& operator=(const ScopedNoDacOverride&) = delete;
    bool Active() const { return FActive; }

private:
    bool FActive = false;
    bool FDropped = false;
    std::uint32_t FSavedEffective[2] = {0, 0};
};

// Runs `body` in a forked child and returns the child's exit code (the value `body` returned, or
// 128 + the signal that ended it); -1 when no child could be made. Inside `body` no test
// assertion works: report through the return value.
int RunInChild(const std::function<int()>& body);
// The same in a child with its own private mount namespace, so it may mount small or unusual
// filesystems that vanish with it; NoMountNamespace when the machine does not allow one.
inline constexpr int NoMountNamespace = 77;
int RunInMountNamespace(const std::function<int()>& body);
// The same with a tmpfs of `size` (as mount takes it: "1m") mounted on `mountPoint` first: a
// real full disk, with the kernel's own short writes and ENOSPC.
int RunOnSmallDisk(const std::string& mountPoint, const std::string& size, const std::function<int()>& body);
// Runs a program with arguments (no shell) and returns its exit code, -1 when it could not run.
int RunProgram(const std::vector<std::string>& argv);

} // namespace Tandemix
