// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/OptionRules.h"

#include "platform/AsciiText.h"

#include <charconv>

namespace Tandemix {

namespace {

constexpr std::size_t MaxExtCharacters = 10;

// Whether the interval text is a whole number of at least 1; blanks around it are allowed.
bool IsPositiveWholeNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc{} && ptr == end && value >= 1;
}

} // namespace

std::optional<std::int64_t> WholeNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    std::from_chars_result result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

void SetDeleteUnmatched(Options& opts, bool on)
{
    opts.DeleteUnmatched = on;
    if (on) {
        opts.UseReportForm = true;
        opts.ListUnMatchedFiles = true;
    } else {
        opts.DeleteUnMatchPriorToSync = false;
        opts.ReplicateFolders = false;
    }
}

void SetReplicateFolders(Options& opts, bool on)
{
    opts.ReplicateFolders = on;
    if (on) {
        SetDeleteUnmatched(opts, true);
    }
}

bool IsRecoveryFolder(const Options& opts, std::string_view folder)
{
    const std::string& recovery = opts.RecoverDelFilesFolder;
    if (recovery.empty() || folder.empty()) {
        return false;
    }
    std::string_view bare = std::string_view(recovery).substr(0, recovery.size() - (recovery.back() == '/'));
    while (folder.size() > 1 && folder.back() == '/') {
        folder.remove_suffix(1);
    }
    return folder == bare;
}

bool SetRunSyncSched(Options& opts, bool on)
{
    if (!on) {
        opts.RunSyncSched = false;
        return true;
    }
    if (!IsPositiveWholeNumber(opts.RunSyncEveryMin)) {
        opts.RunSyncEveryMin = "0";
        opts.RunSyncSched = false;
        return false;
    }
    opts.RunSyncSched = true;
    opts.PoleEvery = false;
    return true;
}

bool SetPoleEvery(Options& opts, bool on)
{
    if (!on) {
        opts.PoleEvery = false;
        return true;
    }
    if (!IsPositiveWholeNumber(opts.PoleSecs)) {
        opts.PoleSecs = "0";
        opts.PoleEvery = false;
        return false;
    }
    opts.PoleEvery = true;
    opts.RunSyncSched = false;
    return true;
}

std::string CompressedExtFor(std::string_view extText)
{
    std::string ext(FirstCharacters(extText, MaxExtCharacters));
    if (ext.empty() || ext.front() != '.') {
        ext.insert(0, ".");
        ext = std::string(FirstCharacters(ext, MaxExtCharacters));
    }
    return ext;
}

void SetCompressedFileExt(Options& opts, std::string_view extText)
{
    opts.CompressedFileExt.assign(extText);
    opts.CompressedExt = CompressedExtFor(extText);
}

} // namespace Tandemix
