// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DirReader.h"

#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "platform/Wildcard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace Tandemix {

namespace {

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Fifos, sockets and devices: known from d_type without a stat where the filesystem tells.
bool SpecialType(unsigned char type)
{
    return type == DT_FIFO || type == DT_SOCK || type == DT_BLK || type == DT_CHR;
}

bool ListedMode(mode_t mode)
{
    return S_ISREG(mode) || S_ISDIR(mode) || S_ISLNK(mode);
}

// `entry` reset to a special entry of that name, nothing else known.
const DirEntry& SpecialEntry(DirEntry& entry, const char* name)
{
    entry = DirEntry{};
    entry.Name = name;
    entry.IsSpecial = true;
    return entry;
}

// A folder's entries read straight from the kernel in 32 KiB batches: opendir's stream would
// cost two more calls per folder (fdopendir's checks of the descriptor), which on a tree of small
// folders is a tenth of a no-op run.
class FolderStream
{
public:
    FolderStream() = default;
    ~FolderStream()
    {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;

    // Opens the folder; the descriptor is the folder's, for *at() calls.
    SysResult<int> Open(const std::string& folder)
    {
        if (int fault = CheckFault(FaultOp::Open, folder)) {
            return SysResult<int>::Failure(fault, "opendir");
        }
        FFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (FFd < 0) {
            return SysResult<int>::Failure(errno, "opendir");
        }
        return FFd;
    }

    // The next entry, or nullptr at the end (`error` 0) or on a failure (`error` set).
    const struct dirent64* Next(int& error)
    {
        error = 0;
        if (FAt >= FFilled) {
            ssize_t got = ::getdents64(FFd, FBuffer, sizeof FBuffer);
            if (got <= 0) {
                error = got < 0 ? errno : 0;
                return nullptr;
            }
            FFilled = static_cast<std::size_t>(got);
            FAt = 0;
        }
        const auto* entry = reinterpret_cast<const struct dirent64*>(FBuffer + FAt);
        FAt += entry->d_reclen;
        return entry;
    }

private:
    int FFd = -1;
    alignas(struct dirent64) char FBuffer[32 * 1024];
    std::size_t FFilled = 0;
    std::size_t FAt = 0;
};

} // namespace

SysStatus ForEachEntry(const std::string& folder,
                       const std::function<bool(const DirEntry&)>& visit,
                       EntryOptions options)
{
    auto dir = std::make_unique<FolderStream>();
    SysResult<int> opened = dir->Open(folder);
    if (!opened) {
        return SysFail(opened.Error(), opened.Call());
    }
    int fd = opened.Value();
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/') {
        prefix += '/';
    }
    DirEntry entry;
    for (;;) {
        int error = 0;
        const struct dirent64* item = dir->Next(error);
        if (item == nullptr) {
            return error != 0 ? SysFail(error, "readdir") : SysOk();
        }
        if (IsDotOrDotDot(item->d_name)) {
            continue;
        }
        if (SpecialType(item->d_type)) {
            if (options.WithSpecial && !visit(SpecialEntry(entry, item->d_name))) {
                return SysOk();
            }
            continue;
        }
        struct stat st;
        if (::fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                continue; // removed since readdir saw it
            }
            return SysFail(errno, "fstatat");
        }
        if (!ListedMode(st.st_mode)) {
            if (options.WithSpecial) {
                SpecialEntry(entry, item->d_name);
                entry.MTime = st.st_mtim;
                entry.ATime = st.st_atim;
                if (!visit(entry)) {
                    return SysOk();
                }
            }
            continue;
        }
        entry.Name = item->d_name;
        entry.IsDir = S_ISDIR(st.st_mode);
        entry.IsLink = S_ISLNK(st.st_mode);
        entry.IsSpecial = false;
        bool archive = !options.WithArchive || ArchiveFlagSetAt(fd, item->d_name, prefix, st);
        entry.Attr = AttrFromStat(entry.Name, st, archive);
        entry.Size = entry.IsDir ? 0 : static_cast<std::int64_t>(st.st_size);
        entry.MTime = st.st_mtim;
        entry.ATime = st.st_atim;
        if (!visit(entry)) {
            return SysOk();
        }
    }
}

SysStatus
ForEachEntry(const std::string& folder, const std::function<bool(const DirEntry&)>& visit, bool withArchive)
{
    return ForEachEntry(folder, visit, EntryOptions{withArchive, false});
}

SysResult<std::vector<DirEntry>> ReadFolderEntries(const std::string& folder, EntryOptions options)
{
    std::vector<DirEntry> entries;
    SysStatus status = ForEachEntry(
        folder,
        [&entries](const DirEntry& entry) {
            entries.push_back(entry);
            return true;
        },
        options);
    if (!status) {
        return SysResult<std::vector<DirEntry>>::Failure(status.Error(), status.Call());
    }
    return entries;
}

SysStatus ForEachSubFolder(const std::string& folder, const std::function<bool(const std::string&)>& visit)
{
    auto dir = std::make_unique<FolderStream>();
    SysResult<int> opened = dir->Open(folder);
    if (!opened) {
        return SysFail(opened.Error(), opened.Call());
    }
    int fd = opened.Value();
    std::string name;
    for (;;) {
        int error = 0;
        const struct dirent64* item = dir->Next(error);
        if (item == nullptr) {
            return error != 0 ? SysFail(error, "readdir") : SysOk();
        }
        if (IsDotOrDotDot(item->d_name)) {
            continue;
        }
        // The entry's type from the folder itself spares a stat per file; only filesystems
        // that do not record it need one. A link is never a folder here.
        bool isDir = item->d_type == DT_DIR;
        if (item->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) {
                    continue;
                }
                return SysFail(errno, "fstatat");
            }
            isDir = S_ISDIR(st.st_mode);
        }
        if (isDir) {
            name = item->d_name;
            if (!visit(name)) {
                return SysOk();
            }
        }
    }
}

} // namespace Tandemix
