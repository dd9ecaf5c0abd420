// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cerrno>
#include <string>
#include <utility>

namespace Tandemix {

// The result of a system call wrapper: a value, or the errno and the name of the call that
// failed. The errno is captured at the failure point, before anything else can overwrite it.
template <typename T>
class [[nodiscard]] SysResult
{
public:
    SysResult(T value)
        : FValue(std::move(value))
    {}

    static SysResult Failure(int error, const char* call)
    {
        SysResult r{T{}};
        r.FError = error == 0 ? EIO : error;
        r.FCall = call;
        return r;
    }

    bool Ok() const { return FError == 0; }
    explicit operator bool() const { return Ok(); }
    int Error() const { return FError; }
    const char* Call() const { return FCall; }
    const T& Value() const { return FValue; }
    T& Value() { return FValue; }
    const T& operator*() const { return FValue; }
    const T* operator->() const { return &FValue; }

private:
    T FValue;
    int FError = 0;
    const char* FCall = "";
};

// For calls that produce nothing but success or an errno.
struct Done
{};
using SysStatus = SysResult<Done>;

inline SysStatus SysOk()
{
    return SysStatus{Done{}};
}

inline SysStatus SysFail(int error, const char* call)
{
    return SysStatus::Failure(error, call);
}

} // namespace Tandemix
