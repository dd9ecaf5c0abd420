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

class DirHandle
{
public:
    explicit DirHandle(DIR* dir)
        : FDir(dir)
    {}
    ~DirHandle()
    {
        if (FDir != nullptr) {
            ::closedir(FDir);
        }
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    DIR* Get() const { return FDir; }
    void Reset(DIR* dir)
    {
        if (FDir != nullptr) {
            ::closedir(FDir);
        }
        FDir = dir;
    }

private:
    DIR* FDir;
};

// Opens a folder for reading its entries; the descriptor is the folder's, for *at() calls.
SysResult<int> OpenFolder(const std::string& folder, DirHandle& dir)
{
    if (int fault = CheckFault(FaultOp::Open, folder)) {
        return SysResult<int>::Failure(fault, "opendir");
    }
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return SysResult<int>::Failure(errno, "opendir");
    }
    DIR* stream = ::fdopendir(fd);
    if (stream == nullptr) {
        int error = errno;
        ::close(fd);
        return SysResult<int>::Failure(error, "fdopendir");
    }
    dir.Reset(stream);
    return fd;
}

} // namespace

SysStatus ForEachEntry(const std::string& folder,
                       const std::function<bool(const DirEntry&)>& visit,
                       EntryOptions options)
{
    DirHandle dir(nullptr);
    SysResult<int> opened = OpenFolder(folder, dir);
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
        errno = 0;
        dirent* item = ::readdir(dir.Get());
        if (item == nullptr) {
            if (errno != 0) {
                return SysFail(errno, "readdir");
            }
            return SysOk();
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

SysStatus ForEachSubFolder(const std::string& folder, const std::function<bool(const std::string&)>& visit)
{
    DirHandle dir(nullptr);
    SysResult<int> opened = OpenFolder(folder, dir);
    if (!opened) {
        return SysFail(opened.Error(), opened.Call());
    }
    int fd = opened.Value();
    std::string name;
    for (;;) {
        errno = 0;
        dirent* item = ::readdir(dir.Get());
        if (item == nullptr) {
            return errno != 0 ? SysFail(errno, "readdir") : SysOk();
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
