// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "platform/FaultHook.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "platform/PathText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

namespace Tandemix {

namespace {

constexpr std::string_view TempSuffix = ".txpart";
constexpr std::size_t RandomLength = 6;
constexpr std::string_view RandomAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Longest file name the common Linux filesystems accept.
constexpr std::size_t MaxNameBytes = 255;
// '.' + name + '.' + random + suffix
constexpr std::size_t TempOverhead = 1 + 1 + RandomLength + TempSuffix.size();
constexpr int MaxCreateAttempts = 64;
constexpr std::string_view JournalPrefix = "TXTemp";
constexpr std::string_view JournalSuffix = ".jnl";
// A journal is emptied when it has grown past this and no entry of it is outstanding, so a
// long run on a filesystem without unnamed files keeps it small.
constexpr off_t JournalRestartBytes = 64 * 1024;

// This process's journal: records are absolute paths, each ended by a NUL (names may hold
// newlines, never NULs).
struct Journal
{
    std::mutex Lock;
    std::string Folder;
    int Fd = -1;
    off_t Size = 0;
    bool MayRestart = false; // false when it held records of an earlier process of this pid
    int Outstanding = 0;
};

Journal& TheJournal()
{
    static Journal journal;
    return journal;
}

void CloseJournal(Journal& journal)
{
    if (journal.Fd >= 0) {
        ::close(journal.Fd);
        journal.Fd = -1;
    }
}

bool OpenJournal(Journal& journal)
{
    (void)::mkdir(journal.Folder.c_str(), 0700);
    std::string path = journal.Folder + "/" + std::string(JournalPrefix) + std::to_string(::getpid())
                       + std::string(JournalSuffix);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    struct stat st = {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    journal.Fd = fd;
    journal.Size = st.st_size;
    journal.MayRestart = st.st_size == 0;
    return true;
}

std::string AbsolutePath(const std::string& path)
{
    if (path.starts_with('/')) {
        return path;
    }
    char* cwd = ::getcwd(nullptr, 0);
    if (cwd == nullptr) {
        return path;
    }
    std::string absolute = std::string(cwd) + "/" + path;
    std::free(cwd);
    return absolute;
}

void RecordTemp(const std::string& path)
{
    Journal& journal = TheJournal();
    std::lock_guard<std::mutex> guard(journal.Lock);
    ++journal.Outstanding;
    if (journal.Folder.empty()) {
        return;
    }
    if (journal.Fd < 0 && !OpenJournal(journal)) {
        // Without a journal a killed run's leftovers stay where they are: never a reason to
        // refuse the copy itself.
        journal.Folder.clear();
        return;
    }
    if (journal.Outstanding == 1 && journal.MayRestart && journal.Size > JournalRestartBytes
        && ::ftruncate(journal.Fd, 0) == 0) {
        journal.Size = 0;
    }
    std::string record = AbsolutePath(path);
    record.push_back('\0');
    ssize_t written = ::write(journal.Fd, record.data(), record.size());
    if (written > 0) {
        journal.Size += written;
    }
}

bool IsJournalName(std::string_view name)
{
    return name.starts_with(JournalPrefix) && name.ends_with(JournalSuffix);
}

// Removes what one ended process recorded, then its journal. Nothing but a temporary name
// that is not a folder is removed, whatever the journal says.
void RemoveRecordedIn(const std::string& journalPath)
{
    int fd = ::open(journalPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd); // its process still runs
        return;
    }
    std::string records;
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        records.append(buffer, static_cast<std::size_t>(got));
    }
    std::size_t start = 0;
    while (start < records.size()) {
        std::size_t end = records.find('\0', start);
        if (end == std::string::npos) {
            break; // a record cut short when the process died: never acted on
        }
        std::string path = records.substr(start, end - start);
        start = end + 1;
        struct stat st = {};
        if (path.starts_with('/') && IsTempName(path) && ::lstat(path.c_str(), &st) == 0
            && !S_ISDIR(st.st_mode)) {
            (void)::unlink(path.c_str());
        }
    }
    (void)::unlink(journalPath.c_str());
    ::close(fd);
}

std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// The random part only has to avoid collisions with another writer of the same file; when the
// kernel's generator cannot answer at once, time, process and a counter are still unique enough.
std::string RandomLetters()
{
    unsigned char bytes[RandomLength] = {};
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        static std::atomic<std::uint64_t> counter{0};
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::uint64_t seed =
            SplitMix(static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 20)
                     ^ (static_cast<std::uint64_t>(getpid()) << 40) ^ counter.fetch_add(1));
        for (unsigned char& b : bytes) {
            seed = SplitMix(seed);
            b = static_cast<unsigned char>(seed);
        }
    }
    std::string letters(RandomLength, 'x');
    for (std::size_t i = 0; i < RandomLength; ++i) {
        letters[i] = RandomAlphabet[bytes[i] % RandomAlphabet.size()];
    }
    return letters;
}

// The file a write to `path` must replace: the target of a symbolic link, so that a
// configuration kept elsewhere and linked into place stays linked.
std::string ResolveTarget(const std::string& path)
{
    struct stat st = {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path; // dangling: the link itself is replaced
    }
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// The temporary file being written: closed, then removed, on every failure path.
class TempFile
{
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    ~TempFile()
    {
        int saved = errno;
        if (FFd >= 0) {
            close(FFd);
        }
        errno = saved;
    }

    void Adopt(int fd, std::string path)
    {
        FFd = fd;
        FEntry.Adopt(std::move(path));
    }
    int Fd() const { return FFd; }
    const std::string& Path() const { return FEntry.Path(); }
    int ReleaseFd()
    {
        int fd = FFd;
        FFd = -1;
        return fd;
    }
    void Keep() { FEntry.Release(); }

private:
    TempEntry FEntry;
    int FFd = -1;
};

SysStatus CreateTemp(const std::string& target, mode_t mode, TempFile& temp)
{
    int fd = -1;
    SysResult<std::string> made = CreateTempFile(target, mode, fd);
    if (!made) {
        return SysFail(made.Error(), made.Call());
    }
    temp.Adopt(fd, std::move(made.Value()));
    return SysOk();
}

} // namespace

std::string TempPathFor(const std::string& finalPath)
{
    std::string_view name = LastComponent(finalPath);
    std::string_view folder = std::string_view(finalPath).substr(0, finalPath.size() - name.size());
    if (name.size() + TempOverhead > MaxNameBytes) {
        name = name.substr(0, MaxNameBytes - TempOverhead);
    }
    std::string temp;
    temp.reserve(folder.size() + name.size() + TempOverhead);
    temp.append(folder).append(".").append(name).append(".").append(RandomLetters()).append(TempSuffix);
    return temp;
}

bool IsTempName(std::string_view name)
{
    name = LastComponent(name);
    if (name.size() <= TempOverhead || name.front() != '.' || !name.ends_with(TempSuffix)) {
        return false;
    }
    std::string_view random = name.substr(name.size() - TempSuffix.size() - RandomLength, RandomLength);
    if (name[name.size() - TempSuffix.size() - RandomLength - 1] != '.') {
        return false;
    }
    return std::all_of(random.begin(), random.end(), [](char c) {
        return RandomAlphabet.find(c) != std::string_view::npos;
    });
}

void UseTempJournal(const std::string& folder)
{
    Journal& journal = TheJournal();
    std::lock_guard<std::mutex> guard(journal.Lock);
    CloseJournal(journal);
    journal.Folder = folder;
    while (journal.Folder.size() > 1 && journal.Folder.back() == '/') {
        journal.Folder.pop_back();
    }
}

void RemoveRecordedTempFiles(const std::string& folder)
{
    std::vector<std::string> journals;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (IsJournalName(entry->d_name)) {
                journals.emplace_back(entry->d_name);
            }
        }
        ::closedir(dir);
    }
    for (const std::string& name : journals) {
        RemoveRecordedIn(folder + "/" + name);
    }
}

SysResult<std::string> CreateTempEntry(const std::string& finalPath,
                                       const std::function<int(const std::string&)>& make)
{
    for (int attempt = 0; attempt < MaxCreateAttempts; ++attempt) {
        std::string path = TempPathFor(finalPath);
        RecordTemp(path);
        int error = make(path);
        if (error == 0) {
            return path;
        }
        TempEntryGone();
        if (error != EEXIST) {
            return SysResult<std::string>::Failure(error, "create");
        }
    }
    return SysResult<std::string>::Failure(EEXIST, "create");
}

TempEntry::~TempEntry()
{
    if (!FPath.empty()) {
        int saved = errno;
        (void)DeleteFile(FPath);
        TempEntryGone();
        errno = saved;
    }
}

void TempEntry::Release()
{
    FPath.clear();
    TempEntryGone();
}

SysResult<std::string> CreateTempFile(const std::string& finalPath, mode_t mode, int& fd)
{
    return CreateTempEntry(finalPath, [mode, &fd](const std::string& path) {
        if (int fault = CheckFault(FaultOp::Open, path); fault != 0) {
            return fault;
        }
        do {
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        } while (fd < 0 && errno == EINTR);
        return fd >= 0 ? 0 : errno;
    });
}

void TempEntryGone()
{
    Journal& journal = TheJournal();
    std::lock_guard<std::mutex> guard(journal.Lock);
    if (journal.Outstanding > 0) {
        --journal.Outstanding;
    }
}

SysStatus
WriteFileAtomically(const std::string& path, std::string_view content, std::optional<mode_t> exactMode)
{
    const std::string target = ResolveTarget(path);

    // Opening the old file for writing is the check an in-place write would meet; it also gives
    // the owner and mode the replacement must keep.
    struct stat old = {};
    bool haveOld = false;
    int probe = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (probe >= 0) {
        haveOld = fstat(probe, &old) == 0;
        close(probe);
    } else if (errno != ENOENT) {
        return SysFail(errno, "open");
    }

    // Created with at most the old bits, so that a private file is never readable by others
    // for a moment, nor for good when the filesystem refuses the exact mode below.
    TempFile temp;
    mode_t createMode = exactMode ? *exactMode : haveOld ? (old.st_mode & 0666) : 0666;
    if (SysStatus created = CreateTemp(target, createMode, temp); !created) {
        return created;
    }
    if (haveOld) {
        // Best effort: only root may give the file to its old owner, and filesystems without
        // Unix modes refuse both; the content matters more than the metadata then.
        struct stat now = {};
        bool otherOwner =
            fstat(temp.Fd(), &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid);
        if (otherOwner && fchown(temp.Fd(), old.st_uid, old.st_gid) != 0) {
            // Stays ours, as with any editor that saves by replacing the file.
        }
        if (fchmod(temp.Fd(), exactMode ? *exactMode : old.st_mode & 07777) != 0) {
            // The creation mode above already keeps the bits no wider than before.
        }
    }

    if (auto written = WriteAll(temp.Fd(), content.data(), content.size(), temp.Path()); !written) {
        return SysFail(written.Error(), written.Call());
    }
    if (int fault = CheckFault(FaultOp::Sync, temp.Path()); fault != 0) {
        return SysFail(fault, "fdatasync");
    }
    // Filesystems that cannot sync at all say so with EINVAL; there is nothing to wait for then.
    if (fdatasync(temp.Fd()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        return SysFail(errno, "fdatasync");
    }
    // Network filesystems report deferred write errors here.
    if (close(temp.ReleaseFd()) != 0) {
        return SysFail(errno, "close");
    }
    if (int fault = CheckFault(FaultOp::Rename, path); fault != 0) {
        return SysFail(fault, "rename");
    }
    if (rename(temp.Path().c_str(), target.c_str()) != 0) {
        return SysFail(errno, "rename");
    }
    temp.Keep();
    return SysOk();
}

SysResult<std::string> ReadWholeFile(const std::string& path)
{
    if (int fault = CheckFault(FaultOp::Read, path); fault != 0) {
        return SysResult<std::string>::Failure(fault, "read");
    }
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return SysResult<std::string>::Failure(errno, "open");
    }
    struct stat st = {};
    if (fstat(fd, &st) != 0) {
        int error = errno;
        close(fd);
        return SysResult<std::string>::Failure(error, "fstat");
    }
    // One byte beyond the stated size lets the usual case end with the read that sees EOF;
    // files that grow while read, or report no size (/proc), still read to their end.
    std::size_t chunk = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 8192;
    std::string data;
    for (;;) {
        std::size_t used = data.size();
        data.resize(used + chunk);
        ssize_t n = read(fd, data.data() + used, chunk);
        if (n < 0) {
            data.resize(used);
            if (errno == EINTR) {
                continue;
            }
            int error = errno;
            close(fd);
            return SysResult<std::string>::Failure(error, "read");
        }
        data.resize(used + static_cast<std::size_t>(n));
        if (n == 0) {
            break;
        }
        chunk = std::max<std::size_t>(chunk, 65536);
    }
    close(fd);
    return data;
}

} // namespace Tandemix
