// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Tandemix {

// Test seam: makes a chosen file operation fail as the kernel would (ENOSPC, EIO, EACCES...),
// so that disk-full and unreadable-file paths can be exercised without a real broken disk.
// The platform wrappers consult it before each operation; with no fault armed the check is one
// relaxed atomic load. Any thread.
enum class FaultOp
{
    Open,
    Read,
    Write,
    Rename,
    Unlink,
    MakeFolder,
    RemoveFolder,
    SetTimes,
    SetAttr,
    Sync,
    // Not a failure: the entry renamed or linked into place gets "now" as its times, as FUSE
    // FAT and exFAT drives do. Matched against the final path.
    LoseTimes,
};

struct FaultPlan
{
    FaultOp Op = FaultOp::Write;
    int Error = 5; // EIO
    std::string PathContains; // empty: any path
    // For Write: bytes that still succeed before the fault bites. The write that crosses the
    // limit is cut short (as a filling disk does), the next one fails with Error.
    std::int64_t AfterBytes = 0;
    int Times = -1; // how many failures to give; -1: until cleared
};

void InjectFault(const FaultPlan& plan);
void ClearFaults();
// True while any fault is armed: lets a hot path skip work that only a fault needs.
bool AnyFaultArmed();

// Returns the errno to fail with, or 0. For Write, `requested` is the size of the write and
// `allowed` receives how much of it may still go through (a short write when below requested).
int CheckFault(FaultOp op, std::string_view path);
int CheckWriteFault(std::string_view path, std::size_t requested, std::size_t& allowed);

// Clears armed faults when it goes out of scope, so a failing test cannot leak them.
class ScopedFault
{
public:
    explicit ScopedFault(const FaultPlan& plan) { InjectFault(plan); }
    ~ScopedFault() { ClearFaults(); }
    ScopedFault(const ScopedFault&) = delete;
    ScopedFault& operator=(const ScopedFault&) = delete;
};

} // namespace Tandemix
