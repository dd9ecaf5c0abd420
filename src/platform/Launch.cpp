// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Launch.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string_view>
#include <vector>

extern char** environ;

namespace Tandemix {

namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Empty PATH entries (meaning the current folder) are skipped: a viewer must not be picked up
// from whatever folder the user happens to be in.
std::string FindInPath(std::string_view name)
{
    const char* value = std::getenv("PATH");
    std::string_view path = value != nullptr ? value : "/usr/local/bin:/usr/bin:/bin";
    while (!path.empty()) {
        std::size_t colon = path.find(':');
        std::string_view folder = path.substr(0, colon);
        path = colon == std::string_view::npos ? std::string_view() : path.substr(colon + 1);
        if (folder.empty()) {
            continue;
        }
        std::string candidate = std::string(folder) + "/" + std::string(name);
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

std::vector<std::string> SplitBlanks(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
            ++i;
        }
        if (i > start) {
            words.emplace_back(text.substr(start, i - start));
        }
    }
    return words;
}

// A name beginning with '-' would be taken for an option by the viewer.
std::string AsArgument(const std::string& path)
{
    return !path.empty() && path.front() == '-' ? "./" + path : path;
}

void ReportAndExit(int fd, int error)
{
    ssize_t ignored = ::write(fd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

// Starts `program` detached: an intermediate child forks the real one and exits at once, so
// the program is adopted by init and never becomes our zombie. A close-on-exec pipe carries
// back the errno of a failed exec; end of file on it means the exec happened.
// Between fork and exec only async-signal-safe calls: the caller may have other threads.
SysStatus SpawnDetached(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    char** envp = environ;

    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        return SysFail(errno, "pipe2");
    }
    pid_t child = ::fork();
    if (child < 0) {
        int error = errno;
        ::close(channel[0]);
        ::close(channel[1]);
        return SysFail(error, "fork");
    }
    if (child == 0) {
        ::close(channel[0]);
        pid_t grandchild = ::fork();
        if (grandchild < 0) {
            ReportAndExit(channel[1], errno);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
        ::setsid();
        // Ignored signals and the blocked mask survive exec; the program deserves a clean start.
        for (int sig = 1; sig < NSIG; ++sig) {
            ::signal(sig, SIG_DFL);
        }
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(program.c_str(), argv.data(), envp);
        ReportAndExit(channel[1], errno);
    }
    ::close(channel[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(channel[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(channel[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        return SysFail(error, "execve");
    }
    return SysOk();
}

} // namespace

SysStatus LaunchFile(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        return SysFail(errno, "stat");
    }
    if (IsExecutableFile(path)) {
        return SpawnDetached(path, {path});
    }
    std::string opener = FindInPath("xdg-open");
    if (opener.empty()) {
        return SysFail(ENOENT, "xdg-open");
    }
    return SpawnDetached(opener, {"xdg-open", AsArgument(path)});
}

SysStatus OpenInViewer(const std::string& path)
{
    std::string opener = FindInPath("xdg-open");
    if (!opener.empty()) {
        return SpawnDetached(opener, {"xdg-open", AsArgument(path)});
    }
    const char* visual = std::getenv("VISUAL");
    const char* editor = std::getenv("EDITOR");
    std::vector<std::string> command = SplitBlanks(visual != nullptr && *visual != '\0' ? visual : "");
    if (command.empty()) {
        command = SplitBlanks(editor != nullptr ? editor : "");
    }
    if (command.empty()) {
        return SysFail(ENOENT, "xdg-open");
    }
    // Terminal editors need a terminal; the program may well have been started without one.
    std::string terminal = FindInPath("x-terminal-emulator");
    if (terminal.empty()) {
        return SysFail(ENOENT, "x-terminal-emulator");
    }
    std::vector<std::string> args = {"x-terminal-emulator", "-e"};
    args.insert(args.end(), command.begin(), command.end());
    args.push_back(AsArgument(path));
    return SpawnDetached(terminal, args);
}

SysResult<ProgramRun>
RunAndWait(const std::vector<std::string>& argv, const std::string& input, int timeoutMs)
{
    if (argv.empty()) {
        return SysResult<ProgramRun>::Failure(EINVAL, "execve");
    }
    std::string program = argv[0].find('/') != std::string::npos ? argv[0] : FindInPath(argv[0]);
    if (program.empty() || !IsExecutableFile(program)) {
        return SysResult<ProgramRun>::Failure(ENOENT, "execve");
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    char** envp = environ;
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        return SysResult<ProgramRun>::Failure(errno, "pipe2");
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        int error = errno;
        ::close(in[0]);
        ::close(in[1]);
        return SysResult<ProgramRun>::Failure(error, "pipe2");
    }
    pid_t child = ::fork();
    if (child < 0) {
        int error = errno;
        for (int fd : {in[0], in[1], out[0], out[1]}) {
            ::close(fd);
        }
        return SysResult<ProgramRun>::Failure(error, "fork");
    }
    if (child == 0) {
        // Only async-signal-safe calls until exec.
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        ::setpgid(0, 0);
        for (int sig = 1; sig < NSIG; ++sig) {
            ::signal(sig, SIG_DFL);
        }
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(program.c_str(), args.data(), envp);
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    // The answers are small: written at once, then end of input, so a question asked again
    // reads nothing rather than waiting.
    // A program that ends without reading must not end us: SIGPIPE is held back for the write
    // and a pending one taken away again.
    sigset_t pipeSignal;
    sigset_t before;
    ::sigemptyset(&pipeSignal);
    ::sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
    std::size_t written = 0;
    while (written < input.size()) {
        ssize_t n = ::write(in[1], input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    ::close(in[1]);
    timespec now{0, 0};
    while (::sigtimedwait(&pipeSignal, nullptr, &now) > 0) {
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline
                                                                          - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.TimedOut = true;
            ::kill(-child, SIGKILL);
            ::kill(child, SIGKILL);
            break;
        }
        pollfd wait{out[0], POLLIN, 0};
        int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            continue;
        }
        char buffer[4096];
        ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break; // every writer has gone
        }
        if (run.Output.size() < 65536) {
            run.Output.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(out[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.ExitStatus = !run.TimedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace Tandemix
