// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "compression/ZipInterface.h"

#include <zip.h>

#include <cstdint>
#include <ctime>
#include <exception>
#include <string>
#include <vector>

namespace Tandemix::ZipLib {

// The caller's callback and the component it handed in. Every message goes through here, on the
// caller's thread; once the caller has answered "stop", the answer sticks for the operation.
class CallerLink
{
public:
    CallerLink(ZipAbi::Callback callback, void* component)
        : FCallback(callback)
        , FComponent(component)
    {}

    // Sends a message; true when the caller asks to stop.
    bool Send(std::uint32_t message, void* data);
    bool Stopped() const { return FStopped; }
    // Hands a plain-language reason to the caller (message 130). Never given a password.
    void Tell(const std::string& text);
    // Asks for a password for `name` (message 100): empty when the caller has none.
    std::string AskPassword(const std::string& name);

private:
    ZipAbi::Callback FCallback;
    void* FComponent;
    bool FStopped = false;
};

// One entry's details as the file events carry them.
struct EntryInfo
{
    std::string Name;
    std::int64_t Size = 0;
    std::int64_t CompressedSize = 0;
    std::uint8_t Attributes = 0;
    std::uint32_t DosDateTime = 0;
    std::uint8_t Percent = 0;
    bool Encrypted = false;
};

bool SendFileEvent(CallerLink& link, std::uint32_t message, const EntryInfo& info);

// The packed local date-time of `t`; 1 January 1980 for anything earlier.
std::uint32_t DosTimeOf(std::time_t t);

// Why an entry name may not reach the disk, or empty when it may: absolute names, "..", "."
// or empty components, backslashes, drive letters and control characters all refuse it, since
// another system's unpacker would take them as a way out of its folder.
std::string HostileNameReason(const std::string& name);

// True for an entry that holds a symbolic link (made on a Unix system with the link's mode).
bool IsLinkEntry(zip_t* archive, zip_uint64_t index);
// True for a folder entry (its name ends in '/').
bool IsFolderEntry(const std::string& name);
// The permission bits an entry carries, or 0644 when it carries none.
mode_t EntryMode(zip_t* archive, zip_uint64_t index);
// Bits 0..5 of the library's attribute byte for an entry: read-only when the owner may not
// write, hidden for a dot name, archive always.
std::uint8_t EntryAttributes(zip_t* archive, zip_uint64_t index, const std::string& name);

// The last path component; the whole text when there is no '/'.
std::string BaseName(const std::string& path);

// Opens an existing archive for reading, checking its structure; the reason in `why` when it
// cannot be (missing, damaged, not an archive). `missing` is set for an archive that does not
// exist.
zip_t* OpenForReading(const std::string& path, std::string& why, bool& missing);

// A zip_t that is discarded unless closed.
struct ArchiveHolder
{
    zip_t* Archive = nullptr;
    ~ArchiveHolder()
    {
        if (Archive != nullptr) {
            zip_discard(Archive);
        }
    }
};

// The body of both libraries' entry points: the interface version is checked, and no exception
// ever unwinds into the caller's frames (`failed` is answered instead).
template <class Body>
std::uint32_t GuardedEntry(std::uint32_t version, std::uint32_t failed, Body&& body)
{
    if (version != ZipAbi::Version) {
        return ZipAbi::BadArguments;
    }
    try {
        return body();
    } catch (const std::exception&) {
        return failed;
    }
}

// Turns the library's argument array into strings.
std::vector<std::string> ArgumentsOf(std::intptr_t count, void* arguments);

} // namespace Tandemix::ZipLib
