// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FolderPairCheck.h"

#include "engine/RunMessages.h"
#include "platform/FileOps.h"

#include <cerrno>
#include <string_view>

namespace Tandemix {

namespace {

// `inner` is `outer` or lies somewhere below it; both resolved, without trailing separators.
bool IsWithin(std::string_view inner, std::string_view outer)
{
    if (!inner.starts_with(outer)) {
        return false;
    }
    return inner.size() == outer.size() || inner[outer.size()] == '/';
}

// The resolved path, or the path as named when it cannot be resolved (it is then compared as
// written, which still catches the plain cases).
std::string Resolved(const std::string& folder)
{
    SysResult<std::string> real = ResolvedPath(folder);
    return real ? *real : folder;
}

} // namespace

std::string CheckFolderPair(const std::string& source, const std::string& target)
{
    const std::string realSource = Resolved(source);
    const std::string realTarget = Resolved(target);
    if (realSource == "/") {
        return std::string(RunMsg::RootFolder) + source;
    }
    if (realTarget == "/") {
        return std::string(RunMsg::RootFolder) + target;
    }
    if (IsWithin(realSource, realTarget) || IsWithin(realTarget, realSource)) {
        return std::string(RunMsg::FoldersOverlap) + source + std::string(RunMsg::FoldersOverlapAnd) + target;
    }
    return {};
}

TargetLock::~TargetLock()
{
    Release();
}

bool TargetLock::Acquire(const std::string& target, bool writing)
{
    Release();
    std::string folder = Resolved(target);
    while (folder.size() > 1 && !FolderExists(folder)) {
        std::size_t slash = folder.rfind('/');
        folder.resize(slash == 0 ? 1 : slash);
    }
    // The folders above first, shared, from the top down; then the target itself.
    std::vector<std::string> levels;
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        levels.push_back(folder.substr(0, slash));
    }
    levels.push_back(folder);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (levels[i] == "/") {
            continue; // the root is never a target, so nobody holds it exclusively
        }
        bool last = i + 1 == levels.size();
        SysResult<int> held = LockFolder(levels[i], last && writing);
        if (held) {
            FHeld.push_back(*held);
        } else if (held.Error() == EWOULDBLOCK) {
            Release();
            return false;
        }
    }
    return true;
}

void TargetLock::Release() noexcept
{
    for (int fd : FHeld) {
        UnlockFolder(fd);
    }
    FHeld.clear();
}

} // namespace Tandemix
