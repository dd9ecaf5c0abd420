// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace Tandemix {

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// mkdir -p. Failure is left for the first write into the folder to report.
void MakeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0777);
    }
    ::mkdir(folder.c_str(), 0777);
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string HomeFolder()
{
    std::string home = Env("HOME");
    if (!home.empty()) {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        return found->pw_dir;
    }
    return "/tmp";
}

std::string ConfigFolder()
{
    // Relative values are invalid and ignored, as every desktop program does.
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') {
        config = HomeFolder() + "/.config";
    }
    return WithSlash(config) + "tandemix/";
}

} // namespace

bool IsSystemFolder(std::string_view folder)
{
    static constexpr std::string_view System[] =
        {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/opt", "/snap"};
    for (std::string_view root : System) {
        if (folder.substr(0, root.size()) == root
            && (folder.size() == root.size() || folder[root.size()] == '/')) {
            return true;
        }
    }
    return false;
}

std::string ExecutablePath()
{
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolderFor(const std::string& exeFolder)
{
    std::string home = Env("TANDEMIX_HOME");
    if (!home.empty()) {
        MakeFolders(home);
        return WithSlash(home);
    }
    // A copy unpacked somewhere writable keeps its files beside itself, like a portable install.
    if (!exeFolder.empty() && !IsSystemFolder(exeFolder)
        && ::faccessat(AT_FDCWD, exeFolder.c_str(), W_OK, AT_EACCESS) == 0) {
        return WithSlash(exeFolder);
    }
    std::string config = ConfigFolder();
    MakeFolders(config.substr(0, config.size() - 1));
    return config;
}

std::string ProgramFolder()
{
    std::string exe = ExecutablePath();
    std::size_t slash = exe.rfind('/');
    std::string exeFolder =
        slash == std::string::npos ? std::string() : exe.substr(0, slash == 0 ? 1 : slash);
    return ProgramFolderFor(exeFolder);
}

std::vector<std::string> ModuleCandidates(std::string_view name)
{
#ifndef TANDEMIX_MODULE_DIR
#define TANDEMIX_MODULE_DIR "../lib/tandemix"
#endif
    std::string exe = ExecutablePath();
    std::string folder = exe.substr(0, exe.find_last_of('/') + 1);
    return {folder + std::string(name), folder + TANDEMIX_MODULE_DIR "/" + std::string(name)};
}

} // namespace Tandemix
