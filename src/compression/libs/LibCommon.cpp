// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/libs/LibCommon.h"

#include "platform/FileTimes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace Tandemix::ZipLib {

bool CallerLink::Send(std::uint32_t message, void* data)
{
    if (FCallback != nullptr && FCallback(message, data, FComponent) != 0) {
        FStopped = true;
    }
    return FStopped;
}

void CallerLink::Tell(const std::string& text)
{
    std::string cut = text.substr(0, ZipAbi::SharedTextSize);
    ZipAbi::TextBlock block{cut.c_str(), static_cast<std::uint16_t>(cut.size())};
    Send(ZipAbi::MsgSetSharedText, &block);
}

std::string CallerLink::AskPassword(const std::string& name)
{
    char buffer[ZipAbi::PasswordBufferSize] = {};
    ZipAbi::QueryBlock block{name.c_str(), buffer, 0};
    Send(ZipAbi::MsgPassword, &block);
    buffer[ZipAbi::PasswordBufferSize - 1] = '\0';
    std::string answer(buffer);
    std::memset(buffer, 0, sizeof buffer);
    return answer;
}

bool SendFileEvent(CallerLink& link, std::uint32_t message, const EntryInfo& info)
{
    ZipAbi::FileInfo block{};
    block.FileName = info.Name.c_str();
    block.Size = info.Size;
    block.CompressedSize = info.CompressedSize;
    block.Attributes = info.Attributes;
    block.DosDateTime = info.DosDateTime;
    block.Bytes[1] = info.Percent;
    block.Flag = info.Encrypted ? 1 : 0;
    block.Comment = "";
    return link.Send(message, &block);
}

std::uint32_t DosTimeOf(std::time_t t)
{
    SysResult<std::uint32_t> packed = PackFileTime(t);
    return packed.Ok() ? packed.Value() : PackedTimeFloor;
}

std::string HostileNameReason(const std::string& name)
{
    if (name.empty()) {
        return "an entry has no name";
    }
    if (name.front() == '/') {
        return "the entry " + name + " names an absolute path";
    }
    if (name.size() >= 2 && name[1] == ':') {
        return "the entry " + name + " names a drive";
    }
    for (unsigned char c : name) {
        if (c == '\\') {
            return "the entry " + name + " holds a backslash";
        }
        if (c < 32 || c == 127) {
            return "an entry name holds a control character";
        }
    }
    std::string body = IsFolderEntry(name) ? name.substr(0, name.size() - 1) : name;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('/', start);
        std::string part = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..") {
            return "the entry " + name + " leads out of its folder";
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return {};
}

namespace {

bool UnixMode(zip_t* archive, zip_uint64_t index, mode_t& mode)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) {
        return false;
    }
    if (system != ZIP_OPSYS_UNIX) {
        return false;
    }
    mode = static_cast<mode_t>(attributes >> 16);
    return mode != 0;
}

} // namespace

bool IsLinkEntry(zip_t* archive, zip_uint64_t index)
{
    mode_t mode = 0;
    return UnixMode(archive, index, mode) && S_ISLNK(mode);
}

bool IsFolderEntry(const std::string& name)
{
    return !name.empty() && name.back() == '/';
}

mode_t EntryMode(zip_t* archive, zip_uint64_t index)
{
    mode_t mode = 0;
    if (UnixMode(archive, index, mode)) {
        // Only permission bits: no set-id or sticky bit comes out of an archive.
        return (mode & 0777) | S_IRUSR;
    }
    return 0644;
}

std::uint8_t EntryAttributes(zip_t* archive, zip_uint64_t index, const std::string& name)
{
    std::uint8_t bits = 32; // archive
    mode_t mode = 0;
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (UnixMode(archive, index, mode)) {
        if ((mode & S_IWUSR) == 0) {
            bits |= 1;
        }
    } else if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) == 0) {
        bits |= static_cast<std::uint8_t>(attributes & 0x07); // read-only, hidden, system
    }
    if (!BaseName(name).empty() && BaseName(name).front() == '.') {
        bits |= 2;
    }
    return bits;
}

std::string BaseName(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

zip_t* OpenForReading(const std::string& path, std::string& why, bool& missing)
{
    missing = false;
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0) {
        missing = true;
        why = "The archive " + path + " does not exist.";
        return nullptr;
    }
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr) {
        zip_error_t detail;
        zip_error_init_with_code(&detail, error);
        why =
            "The archive " + path + " is damaged or not a zip archive (" + zip_error_strerror(&detail) + ").";
        zip_error_fini(&detail);
    }
    return archive;
}

std::vector<std::string> ArgumentsOf(std::intptr_t count, void* arguments)
{
    std::vector<std::string> args;
    if (arguments == nullptr || count < 0) {
        return args;
    }
    auto** list = static_cast<const char**>(arguments);
    for (std::intptr_t i = 0; i < count; ++i) {
        args.emplace_back(list[i] != nullptr ? list[i] : "");
    }
    return args;
}

} // namespace Tandemix::ZipLib
