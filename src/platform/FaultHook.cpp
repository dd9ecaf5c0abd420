// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FaultHook.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace Tandemix {

namespace {

struct ArmedFault
{
    FaultPlan Plan;
    std::int64_t BytesLeft = 0;
};

std::atomic<bool> AnyArmed{false};
std::mutex Lock;
std::vector<ArmedFault> Armed;

bool PathMatches(const FaultPlan& plan, std::string_view path)
{
    return plan.PathContains.empty() || path.find(plan.PathContains) != std::string_view::npos;
}

void Consume(std::vector<ArmedFault>::iterator it)
{
    if (it->Plan.Times > 0 && --it->Plan.Times == 0) {
        Armed.erase(it);
        AnyArmed.store(!Armed.empty(), std::memory_order_relaxed);
    }
}

} // namespace

void InjectFault(const FaultPlan& plan)
{
    std::lock_guard<std::mutex> guard(Lock);
    Armed.push_back({plan, plan.AfterBytes});
    AnyArmed.store(true, std::memory_order_relaxed);
}

void ClearFaults()
{
    std::lock_guard<std::mutex> guard(Lock);
    Armed.clear();
    AnyArmed.store(false, std::memory_order_relaxed);
}

bool AnyFaultArmed()
{
    return AnyArmed.load(std::memory_order_relaxed);
}

int CheckFault(FaultOp op, std::string_view path)
{
    if (!AnyArmed.load(std::memory_order_relaxed)) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(Lock);
    for (auto it = Armed.begin(); it != Armed.end(); ++it) {
        if (it->Plan.Op == op && PathMatches(it->Plan, path)) {
            int error = it->Plan.Error;
            Consume(it);
            return error;
        }
    }
    return 0;
}

int CheckWriteFault(std::string_view path, std::size_t requested, std::size_t& allowed)
{
    allowed = requested;
    if (!AnyArmed.load(std::memory_order_relaxed)) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(Lock);
    for (auto it = Armed.begin(); it != Armed.end(); ++it) {
        if (it->Plan.Op != FaultOp::Write || !PathMatches(it->Plan, path)) {
            continue;
        }
        if (it->BytesLeft >= static_cast<std::int64_t>(requested)) {
            it->BytesLeft -= static_cast<std::int64_t>(requested);
            return 0;
        }
        if (it->BytesLeft > 0) {
            // The write that crosses the limit is cut short, like a filling disk.
            allowed = static_cast<std::size_t>(it->BytesLeft);
            it->BytesLeft = 0;
            return 0;
        }
        allowed = 0;
        int error = it->Plan.Error;
        Consume(it);
        return error;
    }
    return 0;
}

} // namespace Tandemix
