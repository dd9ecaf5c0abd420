// SPDX-License-Identifier: GPL-3.0-or-later
// The writing zip library: adds, freshens, updates and deletes entries of an archive, called
// through the entry point "ziplib" with the zip component's argument lists. Every change is
// written to a new file beside the archive and renamed over it only when complete, so a full
// disk, a stop or a killed process leaves the old archive as it was.
#include "compression/libs/LibArgs.h"
#include "compression/libs/LibCommon.h"
#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "platform/Wildcard.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <set>
#include <vector>

namespace Tandemix::ZipLib {

namespace {

// Archives are encrypted with AES-256 (the zip format's AES extension): current unpackers read it, and the
// old PKWARE method is too weak to protect anything.
constexpr zip_uint16_t EncryptionMethod = ZIP_EM_AES_256;

struct FileToAdd
{
    std::string Path;
    std::string EntryName;
    struct stat St
    {};
};

struct WriteCall
{
    WriteRequest Request;
    CallerLink& Link;
    std::uint16_t Result = ZipAbi::Ok;

    void Fail(std::uint16_t code, const std::string& why)
    {
        if (Result == ZipAbi::Ok || Result == ZipAbi::PartlyDone) {
            Result = code;
            Link.Tell(why);
        }
    }
};

bool HasStoredExtension(const std::string& name, const std::string& list)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        std::string ext = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!ext.empty() && name.size() >= ext.size()
            && EqualsNoCaseAscii(std::string_view(name).substr(name.size() - ext.size()), ext)) {
            return true;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

// The oldest file time "-t mmddyy" lets in; 0 for none or 1 January 1980.
std::time_t FromTime(const std::string& date)
{
    if (date.size() != 6 || date == "010180") {
        return 0;
    }
    std::tm tm{};
    tm.tm_mon = std::atoi(date.substr(0, 2).c_str()) - 1;
    tm.tm_mday = std::atoi(date.substr(2, 2).c_str());
    int year = std::atoi(date.substr(4, 2).c_str());
    tm.tm_year = year < 80 ? year + 100 : year;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

bool HasWildcard(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

void Consider(WriteCall& call,
              const std::string& path,
              std::vector<FileToAdd>& files,
              std::set<std::string>& names)
{
    const WriteRequest& r = call.Request;
    std::string name = BaseName(path);
    if (name.empty() || (!r.Hidden && name.front() == '.')) {
        return;
    }
    if (!Selected(name, {}, r.Includes, r.Excludes)) {
        return;
    }
    FileToAdd file{path, name, {}};
    // A link is stored as the file it points to: an archive holds no links.
    if (::stat(path.c_str(), &file.St) != 0 || !S_ISREG(file.St.st_mode)) {
        ZipAbi::SkipBlock skip{path.c_str(), 1};
        call.Link.Send(ZipAbi::MsgSkipping, &skip);
        call.Fail(ZipAbi::PartlyDone, "Not compressed: " + path + " is not a readable file.");
        return;
    }
    if (file.St.st_mtime < FromTime(r.FromDate)) {
        return;
    }
    // Entries are stored flat, by their names alone; a second file of the same name from another
    // folder would silently replace the first.
    if (!names.insert(name).second) {
        call.Fail(ZipAbi::PartlyDone, "Not compressed: a file named " + name + " is already in the list.");
        return;
    }
    files.push_back(std::move(file));
}

std::vector<FileToAdd> FilesOf(WriteCall& call)
{
    std::vector<FileToAdd> files;
    std::set<std::string> names;
    for (const std::string& item : call.Request.Items) {
        std::string name = BaseName(item);
        if (!HasWildcard(name)) {
            if (!item.empty()) {
                Consider(call, item, files, names);
            }
            continue;
        }
        std::string folder = item.substr(0, item.size() - name.size());
        DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
        if (dir == nullptr) {
            continue;
        }
        std::vector<std::string> found;
        while (dirent* e = ::readdir(dir)) {
            std::string entry = e->d_name;
            if (entry != "." && entry != ".." && Selected(entry, {name}, {}, {})) {
                found.push_back(folder + entry);
            }
        }
        ::closedir(dir);
        std::sort(found.begin(), found.end());
        for (const std::string& path : found) {
            Consider(call, path, files, names);
        }
    }
    return files;
}

EntryInfo InfoOfFile(const FileToAdd& file)
{
    EntryInfo info;
    info.Name = file.Path;
    info.Size = file.St.st_size;
    info.CompressedSize = 0;
    info.Attributes = static_cast<std::uint8_t>(32 | ((file.St.st_mode & S_IWUSR) == 0 ? 1 : 0));
    info.DosDateTime = DosTimeOf(file.St.st_mtime);
    return info;
}

struct ProgressState
{
    CallerLink* Link;
};

void OnProgress(zip_t*, double share, void* state)
{
    auto* progress = static_cast<ProgressState*>(state);
    EntryInfo info;
    info.Name = "";
    info.Percent = static_cast<std::uint8_t>(std::clamp(share, 0.0, 1.0) * 100.0);
    SendFileEvent(*progress->Link, ZipAbi::MsgStatus, info);
}

int OnCancel(zip_t*, void* state)
{
    return static_cast<ProgressState*>(state)->Link->Stopped() ? 1 : 0;
}

// libzip removes an archive left with no entries; the user asked for entries to go, not the
// archive, so an empty archive takes its place, written as any archive is.
bool WriteEmptyArchive(const std::string& path)
{
    static const unsigned char EndOfCentralDirectory[22] = {'P', 'K', 5, 6};
    return WriteFileAtomically(path,
                               std::string_view(reinterpret_cast<const char*>(EndOfCentralDirectory), 22))
        .Ok();
}

std::uint16_t Close(WriteCall& call, ArchiveHolder& holder, bool emptied)
{
    ProgressState state{&call.Link};
    zip_register_progress_callback_with_state(holder.Archive, 0.01, &OnProgress, nullptr, &state);
    zip_register_cancel_callback_with_state(holder.Archive, &OnCancel, nullptr, &state);
    if (emptied) {
        zip_discard(holder.Archive);
        holder.Archive = nullptr;
        if (!WriteEmptyArchive(call.Request.Archive)) {
            call.Fail(ZipAbi::WriteFailed, "The archive " + call.Request.Archive + " could not be written.");
        }
        return call.Result;
    }
    if (zip_close(holder.Archive) != 0) {
        if (call.Link.Stopped()) {
            return ZipAbi::Aborted;
        }
        std::string why = zip_strerror(holder.Archive);
        call.Fail(ZipAbi::WriteFailed,
                  "The archive " + call.Request.Archive + " could not be written (" + why
                      + "); it is unchanged.");
        return call.Result;
    }
    holder.Archive = nullptr;
    return call.Result;
}

zip_t* OpenForWriting(WriteCall& call, bool create, bool& missing)
{
    missing = false;
    struct stat st
    {};
    if (::stat(call.Request.Archive.c_str(), &st) != 0) {
        missing = true;
        if (!create) {
            call.Fail(ZipAbi::ArchiveMissing, "The archive " + call.Request.Archive + " does not exist.");
            return nullptr;
        }
    }
    int error = 0;
    zip_t* archive =
        zip_open(call.Request.Archive.c_str(), (create ? ZIP_CREATE : 0) | ZIP_CHECKCONS, &error);
    if (archive == nullptr) {
        zip_error_t detail;
        zip_error_init_with_code(&detail, error);
        call.Fail(ZipAbi::ArchiveDamaged,
                  "The archive " + call.Request.Archive + " is damaged or not a zip archive ("
                      + zip_error_strerror(&detail) + "); nothing was changed.");
        zip_error_fini(&detail);
    }
    return archive;
}

std::uint16_t Add(WriteCall& call)
{
    const WriteRequest& r = call.Request;
    std::vector<FileToAdd> files = FilesOf(call);
    bool missing = false;
    ArchiveHolder holder{OpenForWriting(call, r.Mode != WriteMode::Freshen, missing)};
    if (holder.Archive == nullptr) {
        return call.Result;
    }
    std::vector<std::string> added;
    for (const FileToAdd& file : files) {
        zip_int64_t existing = zip_name_locate(holder.Archive, file.EntryName.c_str(), 0);
        if (existing >= 0 && r.Mode != WriteMode::Add) {
            zip_stat_t st;
            if (zip_stat_index(holder.Archive, static_cast<zip_uint64_t>(existing), 0, &st) == 0
                && DosTimeOf(file.St.st_mtime) <= DosTimeOf(st.mtime)) {
                continue;
            }
        }
        if (existing < 0 && r.Mode == WriteMode::Freshen) {
            continue;
        }
        if (SendFileEvent(call.Link,
                          existing >= 0 ? ZipAbi::MsgUpdating : ZipAbi::MsgAdding,
                          InfoOfFile(file))) {
            return ZipAbi::Aborted;
        }
        zip_source_t* source = zip_source_file(holder.Archive, file.Path.c_str(), 0, -1);
        if (source == nullptr) {
            call.Fail(ZipAbi::ReadFailed, "Not compressed: " + file.Path + " cannot be read.");
            continue;
        }
        zip_int64_t index =
            zip_file_add(holder.Archive, file.EntryName.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(source);
            call.Fail(ZipAbi::WriteFailed,
                      "Not compressed: " + file.Path + " (" + zip_strerror(holder.Archive) + ").");
            continue;
        }
        auto at = static_cast<zip_uint64_t>(index);
        bool store = r.Level == 0 || HasStoredExtension(file.EntryName, r.StoredExtensions);
        zip_set_file_compression(holder.Archive,
                                 at,
                                 store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 store ? 0 : static_cast<zip_uint32_t>(r.Level));
        zip_file_set_external_attributes(holder.Archive,
                                         at,
                                         0,
                                         ZIP_OPSYS_UNIX,
                                         (static_cast<zip_uint32_t>(S_IFREG | (file.St.st_mode & 0777)) << 16)
                                             | ((file.St.st_mode & S_IWUSR) == 0 ? 1u : 0u));
        zip_file_set_mtime(holder.Archive, at, file.St.st_mtime, 0);
        if (r.Encrypt && !r.Password.empty()
            && zip_file_set_encryption(holder.Archive, at, EncryptionMethod, r.Password.c_str()) != 0) {
            call.Fail(ZipAbi::WriteFailed, "The archive cannot be encrypted here.");
            return call.Result;
        }
        added.push_back(file.Path);
    }
    if (added.empty()) {
        // Nothing changed: the archive stays byte for byte as it was (and none is created).
        return call.Result != ZipAbi::Ok ? call.Result : ZipAbi::NothingToDo;
    }
    std::uint16_t result = Close(call, holder, false);
    if (result == ZipAbi::Ok || result == ZipAbi::PartlyDone) {
        if (r.MoveFiles) {
            for (const std::string& path : added) {
                ::unlink(path.c_str());
            }
        }
    }
    return result;
}

// Which entries a deletion names. A name the archive holds exactly stands for that entry alone,
// and a name without wildcards for the one entry it names regardless of case: "a.txt" must not
// take "A.TXT" along, nor an entry literally named "a*b" every name like it. A name that fits
// several entries only regardless of case names none of them. Wildcards stay masks.
std::vector<bool> EntriesNamed(const std::vector<std::string>& items, const std::vector<std::string>& names)
{
    std::vector<bool> named(names.size(), false);
    for (const std::string& item : items) {
        std::string base = BaseName(item);
        if (base.empty()) {
            continue;
        }
        if (std::find(names.begin(), names.end(), base) != names.end()) {
            for (std::size_t i = 0; i < names.size(); ++i) {
                named[i] = named[i] || names[i] == base;
            }
            continue;
        }
        std::vector<std::size_t> fits;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!names[i].empty() && MatchesMask(names[i], base)) {
                fits.push_back(i);
            }
        }
        if (HasWildcard(base) || fits.size() == 1) {
            for (std::size_t i : fits) {
                named[i] = true;
            }
        }
    }
    return named;
}

std::uint16_t Delete(WriteCall& call)
{
    const WriteRequest& r = call.Request;
    bool missing = false;
    ArchiveHolder holder{OpenForWriting(call, false, missing)};
    if (holder.Archive == nullptr) {
        return call.Result;
    }
    if (r.Items.empty()) {
        return ZipAbi::NothingToDo;
    }
    zip_int64_t count = zip_get_num_entries(holder.Archive, 0);
    std::vector<std::string> names(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(holder.Archive, static_cast<zip_uint64_t>(i), 0);
        names[static_cast<std::size_t>(i)] = raw != nullptr ? BaseName(raw) : std::string();
    }
    std::vector<bool> named = EntriesNamed(r.Items, names);
    zip_int64_t deleted = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::string& base = names[static_cast<std::size_t>(i)];
        if (!named[static_cast<std::size_t>(i)] || !Selected(base, {}, r.Includes, r.Excludes)) {
            continue;
        }
        std::string name = zip_get_name(holder.Archive, static_cast<zip_uint64_t>(i), 0);
        if (call.Link.Send(ZipAbi::MsgDeleting, const_cast<char*>(name.c_str()))) {
            return ZipAbi::Aborted;
        }
        zip_delete(holder.Archive, static_cast<zip_uint64_t>(i));
        ++deleted;
    }
    if (deleted == 0) {
        return ZipAbi::NothingToDo;
    }
    return Close(call, holder, deleted == count);
}

std::uint32_t Run(std::intptr_t count, void* arguments, CallerLink& link)
{
    std::optional<WriteRequest> request = ParseWriteArguments(ArgumentsOf(count, arguments));
    if (!request || request->Archive.empty()) {
        return ZipAbi::BadArguments;
    }
    WriteCall call{*request, link};
    return request->Mode == WriteMode::Delete ? Delete(call) : Add(call);
}

} // namespace

} // namespace Tandemix::ZipLib

extern "C" __attribute__((visibility("default"))) std::uint32_t ziplib(std::uint32_t version,
                                                                       std::intptr_t count,
                                                                       void* arguments,
                                                                       Tandemix::ZipAbi::Callback callback,
                                                                       void* component)
{
    using namespace Tandemix;
    return ZipLib::GuardedEntry(version, ZipAbi::WriteFailed, [&] {
        ZipLib::CallerLink link(callback, component);
        return ZipLib::Run(count, arguments, link);
    });
}
