// SPDX-License-Identifier: GPL-3.0-or-later
// The reading zip library: extracts, lists and counts the entries of an archive, called through
// the entry point "unzlib" with the zip component's argument lists.
#include "compression/libs/LibArgs.h"
#include "compression/libs/LibCommon.h"
#include "platform/AtomicFile.h"
#include "platform/DiskSpace.h"
#include "platform/FileIo.h"
#include "platform/FileTimes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

namespace Tandemix::ZipLib {

namespace {

// Caps against archives made to exhaust the disk or the machine: more entries than any folder
// sensibly holds, or more bytes than the extract folder's disk has free.
constexpr zip_int64_t MaxEntries = 1'000'000;

struct ReadCall
{
    ReadRequest Request;
    CallerLink& Link;
    zip_t* Archive = nullptr;
    std::uint16_t Result = ZipAbi::Ok;

    void Fail(std::uint16_t code, const std::string& why)
    {
        // The first failure is the one the caller hears about; later ones are its echoes.
        if (Result == ZipAbi::Ok || Result == ZipAbi::PartlyDone) {
            Result = code;
            Link.Tell(why);
        }
    }
};

EntryInfo InfoOf(zip_t* archive, zip_uint64_t index, const zip_stat_t& st)
{
    EntryInfo info;
    info.Name = st.name != nullptr ? st.name : "";
    info.Size = static_cast<std::int64_t>(st.size);
    info.CompressedSize = static_cast<std::int64_t>(st.comp_size);
    info.Attributes = EntryAttributes(archive, index, info.Name);
    info.DosDateTime = DosTimeOf(st.mtime);
    info.Encrypted = st.encryption_method != ZIP_EM_NONE;
    return info;
}

// Every entry's name is checked before a single byte is written: an archive that holds one
// hostile name is refused whole, and so is one over the caps.
bool CheckArchive(ReadCall& call, std::uint64_t& totalBytes)
{
    zip_int64_t count = zip_get_num_entries(call.Archive, 0);
    if (count > MaxEntries) {
        call.Fail(ZipAbi::TooBig, "The archive holds more entries than can be extracted safely.");
        return false;
    }
    totalBytes = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(call.Archive, static_cast<zip_uint64_t>(i), 0, &st) != 0 || st.name == nullptr) {
            call.Fail(ZipAbi::ArchiveDamaged, "The archive is damaged: an entry cannot be read.");
            return false;
        }
        std::string reason = HostileNameReason(st.name);
        if (reason.empty() && IsLinkEntry(call.Archive, static_cast<zip_uint64_t>(i))) {
            reason = "the entry " + std::string(st.name) + " is a symbolic link";
        }
        if (!reason.empty()) {
            call.Fail(ZipAbi::HostileArchive, "The archive is refused: " + reason + ".");
            return false;
        }
        totalBytes += st.size;
    }
    return true;
}

class OutputFile
{
public:
    ~OutputFile()
    {
        if (FFd >= 0) {
            ::close(FFd);
        }
        if (!FTempPath.empty()) {
            ::unlink(FTempPath.c_str());
        }
    }

    // An unnamed file in the folder where the filesystem can make one, a hidden temporary name
    // beside the target otherwise: a killed extraction leaves no half file under the real name.
    bool Create(const std::string& folder, const std::string& finalPath)
    {
        SysResult<int> unnamed = CreateUnnamedIn(folder, 0600);
        if (unnamed.Ok()) {
            FFd = unnamed.Value();
            return true;
        }
        std::string temp = TempPathFor(finalPath);
        SysResult<int> named = CreateNew(temp, 0600);
        if (!named.Ok()) {
            return false;
        }
        FFd = named.Value();
        FTempPath = temp;
        return true;
    }

    int Fd() const { return FFd; }

    bool Commit(const std::string& finalPath, mode_t mode, std::time_t mtime)
    {
        if (!SetModeOf(FFd, mode).Ok()) {
            return false;
        }
        struct stat st
        {};
        timespec when{mtime, 0};
        // A filesystem that cannot keep the time still gets the file; only data counts here.
        (void)SetFileTimesOf(FFd, finalPath, when, when, st);
        std::string from = FTempPath;
        if (from.empty()) {
            from = TempPathFor(finalPath);
            if (!LinkUnnamed(FFd, from).Ok()) {
                return false;
            }
            FTempPath = from;
        }
        int fd = FFd;
        FFd = -1;
        if (!CloseFile(fd, finalPath).Ok()) {
            return false;
        }
        if (!RenameOver(from, finalPath).Ok()) {
            return false;
        }
        FTempPath.clear();
        return true;
    }

private:
    int FFd = -1;
    std::string FTempPath;
};

bool WantsEntry(ReadCall& call, const std::string& target, const zip_stat_t& st, bool& skipQuietly)
{
    skipQuietly = false;
    struct stat existing
    {};
    if (::lstat(target.c_str(), &existing) != 0) {
        return call.Request.Mode != ReadMode::Freshen;
    }
    if (S_ISDIR(existing.st_mode)) {
        call.Fail(ZipAbi::PartlyDone, "Not extracted: a folder is in the way of " + target + ".");
        return false;
    }
    if (call.Request.Mode != ReadMode::Extract && DosTimeOf(st.mtime) <= DosTimeOf(existing.st_mtime)) {
        skipQuietly = true;
        return false;
    }
    switch (call.Request.Replace) {
    case Overwrite::Always:
        return true;
    case Overwrite::Never:
        skipQuietly = true;
        return false;
    case Overwrite::Ask:
        break;
    }
    char buffer[ZipAbi::NameBufferSize] = {};
    ZipAbi::QueryBlock query{target.c_str(), buffer, 0};
    call.Link.Send(ZipAbi::MsgReplace, &query);
    skipQuietly = true;
    return query.Action == 1; // 1: replace; anything else keeps the file there
}

zip_file_t* OpenEntry(ReadCall& call, zip_uint64_t index, const zip_stat_t& st)
{
    bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && st.encryption_method != ZIP_EM_NONE;
    if (!encrypted) {
        return zip_fopen_index(call.Archive, index, 0);
    }
    std::string password = call.Request.Password;
    if (password.empty()) {
        password = call.Link.AskPassword(st.name);
    }
    if (password.empty()) {
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index_encrypted(call.Archive, index, 0, password.c_str());
    std::fill(password.begin(), password.end(), '\0');
    return file;
}

void ExtractEntry(ReadCall& call, zip_uint64_t index, const zip_stat_t& st, const std::string& folder)
{
    std::string name = BaseName(st.name);
    std::string target = folder + name;
    bool quiet = false;
    if (!WantsEntry(call, target, st, quiet)) {
        return;
    }
    EntryInfo info = InfoOf(call.Archive, index, st);
    info.Name = target;
    if (SendFileEvent(call.Link, ZipAbi::MsgExtracting, info)) {
        return;
    }
    zip_file_t* entry = OpenEntry(call, index, st);
    if (entry == nullptr) {
        int code = zip_error_code_zip(zip_get_error(call.Archive));
        bool password = code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD || code == 0;
        call.Fail(password ? ZipAbi::BadPassword : ZipAbi::ArchiveDamaged,
                  password ? "Not extracted: the password does not open " + name + "."
                           : "Not extracted: " + name + " cannot be read from the archive.");
        return;
    }
    struct Closer
    {
        zip_file_t* F;
        ~Closer() { zip_fclose(F); }
    } closer{entry};

    OutputFile out;
    if (!out.Create(folder, target)) {
        call.Fail(ZipAbi::WriteFailed,
                  "Not extracted: " + target + " cannot be created (" + std::strerror(errno) + ").");
        return;
    }
    std::vector<char> buffer(1 << 20);
    std::uint64_t done = 0;
    for (;;) {
        zip_int64_t got = zip_fread(entry, buffer.data(), buffer.size());
        if (got < 0) {
            int code = zip_error_code_zip(zip_file_get_error(entry));
            call.Fail(code == ZIP_ER_WRONGPASSWD ? ZipAbi::BadPassword : ZipAbi::ArchiveDamaged,
                      "Not extracted: " + name + " is damaged in the archive.");
            return;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::uint64_t>(got);
        if (done > st.size) {
            call.Fail(ZipAbi::TooBig, "Not extracted: " + name + " is larger than the archive says.");
            return;
        }
        if (!WriteAll(out.Fd(), buffer.data(), static_cast<std::size_t>(got), target).Ok()) {
            call.Fail(ZipAbi::WriteFailed,
                      "Not extracted: " + target + " could not be written (" + std::strerror(errno) + ").");
            return;
        }
        info.Percent = static_cast<std::uint8_t>(st.size > 0 ? done * 100 / st.size : 100);
        if (SendFileEvent(call.Link, ZipAbi::MsgStatus, info)) {
            return;
        }
    }
    if (done != st.size) {
        call.Fail(ZipAbi::ArchiveDamaged, "Not extracted: " + name + " is shorter than the archive says.");
        return;
    }
    if (!out.Commit(target, EntryMode(call.Archive, index), st.mtime)) {
        call.Fail(ZipAbi::WriteFailed,
                  "Not extracted: " + target + " could not be written (" + std::strerror(errno) + ").");
    }
}

std::uint16_t Extract(ReadCall& call)
{
    std::string folder = call.Request.Folder.empty() ? std::string(".") : call.Request.Folder;
    if (folder.back() != '/') {
        folder.push_back('/');
    }
    struct stat st
    {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        call.Fail(ZipAbi::WriteFailed, "The folder " + folder + " to extract into does not exist.");
        return call.Result;
    }
    std::uint64_t totalBytes = 0;
    if (!CheckArchive(call, totalBytes)) {
        return call.Result;
    }
    std::int64_t free = FreeSpace(folder);
    if (free >= 0 && totalBytes > static_cast<std::uint64_t>(free)) {
        call.Fail(ZipAbi::TooBig, "The archive would take more room than the disk has free.");
        return call.Result;
    }
    zip_int64_t count = zip_get_num_entries(call.Archive, 0);
    bool any = false;
    for (zip_int64_t i = 0; i < count && !call.Link.Stopped(); ++i) {
        zip_stat_t entry;
        if (zip_stat_index(call.Archive, static_cast<zip_uint64_t>(i), 0, &entry) != 0) {
            continue;
        }
        std::string name = entry.name;
        // Archives here are flat; a folder entry has nothing to put in a flat folder.
        if (IsFolderEntry(name) || !Selected(BaseName(name), call.Request.Items, {}, call.Request.Excludes)) {
            continue;
        }
        any = true;
        ExtractEntry(call, static_cast<zip_uint64_t>(i), entry, folder);
    }
    if (call.Link.Stopped()) {
        return ZipAbi::Aborted;
    }
    return any || call.Result != ZipAbi::Ok ? call.Result : ZipAbi::NothingToDo;
}

std::uint16_t List(ReadCall& call)
{
    zip_int64_t count = zip_get_num_entries(call.Archive, 0);
    for (zip_int64_t i = 0; i < count && !call.Link.Stopped(); ++i) {
        zip_stat_t st;
        if (zip_stat_index(call.Archive, static_cast<zip_uint64_t>(i), 0, &st) != 0 || st.name == nullptr) {
            continue;
        }
        std::string name = st.name;
        if (IsFolderEntry(name) || !Selected(BaseName(name), call.Request.Items, {}, call.Request.Excludes)) {
            continue;
        }
        SendFileEvent(call.Link, ZipAbi::MsgListing, InfoOf(call.Archive, static_cast<zip_uint64_t>(i), st));
    }
    return call.Link.Stopped() ? ZipAbi::Aborted : ZipAbi::Ok;
}

std::uint32_t Count(ZipAbi::CountBlock* block, CallerLink& link)
{
    if (block == nullptr || block->ZipFileName == nullptr) {
        return ZipAbi::BadArguments;
    }
    std::string why;
    bool missing = false;
    ArchiveHolder holder{OpenForReading(block->ZipFileName, why, missing)};
    if (holder.Archive == nullptr) {
        link.Tell(why);
        return missing ? ZipAbi::ArchiveMissing : ZipAbi::ArchiveDamaged;
    }
    std::uint32_t files = 0;
    zip_int64_t count = zip_get_num_entries(holder.Archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(holder.Archive, static_cast<zip_uint64_t>(i), 0);
        if (name != nullptr && !IsFolderEntry(name)) {
            ++files;
        }
    }
    link.Send(ZipAbi::MsgEntryCount, &files);
    return ZipAbi::Ok;
}

std::uint32_t Run(std::intptr_t count, void* arguments, CallerLink& link)
{
    if (count == ZipAbi::CountFunction) {
        auto* block = static_cast<ZipAbi::CountBlock*>(arguments);
        if (block != nullptr && block->Mode == &block->ModeValue) {
            return Count(block, link);
        }
    }
    std::optional<ReadRequest> request = ParseReadArguments(ArgumentsOf(count, arguments));
    if (!request) {
        return ZipAbi::BadArguments;
    }
    ReadCall call{*request, link};
    std::string why;
    bool missing = false;
    ArchiveHolder holder{OpenForReading(request->Archive, why, missing)};
    if (holder.Archive == nullptr) {
        link.Tell(why);
        return missing ? ZipAbi::ArchiveMissing : ZipAbi::ArchiveDamaged;
    }
    call.Archive = holder.Archive;
    return call.Request.Mode == ReadMode::List ? List(call) : Extract(call);
}

} // namespace

} // namespace Tandemix::ZipLib

extern "C" __attribute__((visibility("default"))) std::uint32_t unzlib(std::uint32_t version,
                                                                       std::intptr_t count,
                                                                       void* arguments,
                                                                       Tandemix::ZipAbi::Callback callback,
                                                                       void* component)
{
    using namespace Tandemix;
    return ZipLib::GuardedEntry(version, ZipAbi::ReadFailed, [&] {
        ZipLib::CallerLink link(callback, component);
        return ZipLib::Run(count, arguments, link);
    });
}
