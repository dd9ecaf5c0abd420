// SPDX-License-Identifier: GPL-3.0-or-later
// Archives from outside as the reading library meets them: opened and checked, every entry's
// name judged before anything could be written, and the libraries' argument lists parsed. An
// entry name that could leave the extract folder must always be refused.
#include "FuzzInput.h"
#include "compression/libs/LibArgs.h"
#include "compression/libs/LibCommon.h"

#include <vector>

namespace {

bool Escapes(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos) {
        return true;
    }
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tandemix;
    using namespace Tandemix::ZipLib;
    std::string_view text = Fuzz::Text(data, size);

    // The text as one entry name, and as an argument list (words split at NUL).
    const std::string name(text.substr(0, text.find('\0')));
    Fuzz::Require(!Escapes(name) || !HostileNameReason(name).empty());
    std::vector<std::string> args;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = std::min(text.find('\0', start), text.size());
        args.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    (void)ParseWriteArguments(args);
    (void)ParseReadArguments(args);

    // The text as an archive.
    std::string why;
    bool missing = false;
    ArchiveHolder holder;
    holder.Archive = OpenForReading(Fuzz::AsFile(text, "in.zip"), why, missing);
    if (holder.Archive == nullptr) {
        Fuzz::Require(!why.empty());
        return 0;
    }
    const zip_int64_t count = zip_get_num_entries(holder.Archive, 0);
    for (zip_int64_t i = 0; i < count && i < 4096; ++i) {
        const char* entry = zip_get_name(holder.Archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (entry == nullptr) {
            continue;
        }
        const std::string entryName(entry);
        Fuzz::Require(!Escapes(entryName) || !HostileNameReason(entryName).empty());
        (void)IsLinkEntry(holder.Archive, static_cast<zip_uint64_t>(i));
        (void)EntryMode(holder.Archive, static_cast<zip_uint64_t>(i));
        (void)EntryAttributes(holder.Archive, static_cast<zip_uint64_t>(i), entryName);
    }
    return 0;
}
