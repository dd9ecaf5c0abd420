// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace Tandemix {

namespace {

// A failed call of a builder is a test failure that names the call and the path.
bool Done(bool done, const char* call, const std::string& path)
{
    if (!done) {
        ADD_FAILURE() << "TempTree: " << call << " " << path << ": " << std::strerror(errno);
    }
    return done;
}

constexpr std::uint32_t DacBits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

// capget or capset: the raw system calls act on the calling thread only, which is what a test wants.
bool Capabilities(long call, __user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(call, &header, data) == 0;
}

} // namespace

TempTree::TempTree()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tandemix-test-XXXXXX";
    if (Done(::mkdtemp(pattern.data()) != nullptr, "mkdtemp", pattern)) {
        FRoot = pattern;
    }
}

TempTree::~TempTree()
{
    if (!FRoot.empty()) {
        RemoveAll(FRoot);
    }
}

std::string TempTree::Path(std::string_view rel) const
{
    return rel.empty() ? FRoot : FRoot + "/" + std::string(rel);
}

void TempTree::MakeParents(std::string_view rel) const
{
    for (std::size_t slash = rel.find('/'); slash != std::string_view::npos;
         slash = rel.find('/', slash + 1)) {
        std::string folder = Path(rel.substr(0, slash));
        Done(::mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST, "mkdir", folder);
    }
}

std::string TempTree::Pattern(std::int64_t size)
{
    std::string content(static_cast<std::size_t>(size), '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        // Period 251 (prime) and a slow drift: a chunk copied to the wrong offset shows.
        content[i] = static_cast<char>((i % 251) ^ (i >> 16));
    }
    return content;
}

std::string TempTree::AddFile(std::string_view rel, std::int64_t size, TreeTime mtime, mode_t mode)
{
    return AddFile(rel, std::string_view(Pattern(size)), mtime, mode);
}

std::string TempTree::AddFile(std::string_view rel, std::string_view content, TreeTime mtime, mode_t mode)
{
    MakeParents(rel);
    std::string path = Path(rel);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!Done(!out.fail(), "write", path)) {
        return path;
    }
    // The mode goes on after the write so that a read-only file can still be filled.
    Done(::chmod(path.c_str(), mode) == 0, "chmod", path);
    if (mtime.Given) {
        SetTime(rel, mtime);
    }
    return path;
}

std::string TempTree::AddFolder(std::string_view rel, mode_t mode, TreeTime mtime)
{
    MakeParents(rel);
    std::string path = Path(rel);
    if (!Done(::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST, "mkdir", path)) {
        return path;
    }
    Done(::chmod(path.c_str(), mode) == 0, "chmod", path);
    if (mtime.Given) {
        SetTime(rel, mtime);
    }
    return path;
}

std::string TempTree::AddSymlink(std::string_view rel, std::string_view target)
{
    MakeParents(rel);
    std::string path = Path(rel);
    Done(::symlink(std::string(target).c_str(), path.c_str()) == 0, "symlink", path);
    return path;
}

void TempTree::SetTime(std::string_view rel, TreeTime mtime)
{
    std::string path = Path(rel);
    timespec times[2] = {mtime.Value, mtime.Value};
    Done(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat", path);
}

void TempTree::SetXattr(std::string_view rel, std::string_view name, std::string_view value)
{
    std::string path = Path(rel);
    Done(::lsetxattr(path.c_str(), std::string(name).c_str(), value.data(), value.size(), 0) == 0,
         "lsetxattr",
         path);
}

bool TempTree::Exists(std::string_view rel) const
{
    struct stat st;
    return ::lstat(Path(rel).c_str(), &st) == 0;
}

std::string TempTree::ReadFile(std::string_view rel) const
{
    std::string path = Path(rel);
    std::ifstream in(path, std::ios::binary);
    std::string content(std::istreambuf_iterator<char>(in), {});
    Done(in.is_open() && !in.bad(), "read", path);
    return content;
}

void TempTree::RemoveAll(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    ::chmod(path.c_str(), 0700);
    if (DIR* dir = ::opendir(path.c_str())) {
        std::vector<std::string> names;
        while (dirent* entry = ::readdir(dir)) {
            std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                names.emplace_back(name);
            }
        }
        ::closedir(dir);
        for (const std::string& name : names) {
            RemoveAll(path + "/" + name);
        }
    }
    ::rmdir(path.c_str());
}

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value)
    : FName(name)
{
    if (const char* old = std::getenv(name)) {
        FOld = old;
    }
    Apply(value);
}

ScopedEnv::~ScopedEnv()
{
    Apply(FOld);
}

void ScopedEnv::Apply(const std::optional<std::string>& value) const
{
    if (value) {
        ::setenv(FName.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(FName.c_str());
    }
    if (FName == "TZ") {
        ::tzset();
    }
}

ScopedNoDacOverride::ScopedNoDacOverride()
{
    __user_cap_data_struct data[2] = {};
    if (!Capabilities(SYS_capget, data)) {
        return;
    }
    FSavedEffective[0] = data[0].effective;
    FSavedEffective[1] = data[1].effective;
    if ((data[0].effective & DacBits) == 0) {
        FActive = true;
        return;
    }
    data[0].effective &= ~DacBits;
    if (Capabilities(SYS_capset, data)) {
        FActive = true;
        FDropped = true;
    }
}

ScopedNoDacOverride::~ScopedNoDacOverride()
{
    if (!FDropped) {
        return;
    }
    __user_cap_data_struct data[2] = {};
    if (Capabilities(SYS_capget, data)) {
        data[0].effective = FSavedEffective[0];
        data[1].effective = FSavedEffective[1];
        Capabilities(SYS_capset, data);
    }
}

int RunInChild(const std::function<int()>& body)
{
    pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunInMountNamespace(const std::function<int()>& body)
{
    int code = RunInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0
            || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return NoMountNamespace;
        }
        return body();
    });
    return code < 0 ? NoMountNamespace : code;
}

int RunOnSmallDisk(const std::string& mountPoint, const std::string& size, const std::function<int()>& body)
{
    return RunInMountNamespace([&] {
        std::string options = "size=" + size;
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            return NoMountNamespace;
        }
        return body();
    });
}

int RunProgram(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    int code = RunInChild([&] {
        int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        ::execvp(args[0], args.data());
        return 127;
    });
    return code < 0 || code == 127 ? -1 : code;
}

} // namespace Tandemix
