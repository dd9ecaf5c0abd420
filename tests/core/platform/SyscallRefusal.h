// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <functional>

namespace Tandemix {

// Runs `body` in a forked child in which system call `nr` fails with `error`, as an older kernel
// or an unusual filesystem would answer, and returns the child's exit code (the value `body`
// returned). NoSyscallFilter when the filter cannot be installed here. Inside `body` no test
// assertion works: report through the return value.
inline constexpr int NoSyscallFilter = 78;

inline int RunWithSyscallRefused(long nr, int error, const std::function<int()>& body)
{
    pid_t child = ::fork();
    if (child == 0) {
#if !defined(__x86_64__)
        ::_exit(NoSyscallFilter); // the filter below knows this architecture's numbers only
#endif
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(nr), 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0
            || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            ::_exit(NoSyscallFilter);
        }
        ::_exit(body());
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (child < 0) {
        return NoSyscallFilter;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace Tandemix
