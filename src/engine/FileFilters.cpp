// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileFilters.h"

#include "engine/FileHelpers.h"
#include "engine/ListingMessages.h"
#include "engine/Messages.h"
#include "platform/AsciiText.h"
#include "platform/Attributes.h"
#include "settings/DateRange.h"

#include <charconv>

namespace Tandemix {

namespace {

// Files the old platform flagged as compressed count as plain files too; never set on Linux.
constexpr std::uint32_t CompressedAttr = 2048;
// Longer exclusion entries match on this many leading characters.
constexpr std::size_t ExcludeEntryChars = 25;

// Plain substring test without case (letters A-Z; other bytes compare as they are). An empty
// needle matches nothing: an empty exclusion entry must not exclude every file.
bool ContainsNoCase(std::string_view haystack, std::string_view needle)
{
    if (needle.empty() || needle.size() > haystack.size()) {
        return false;
    }
    for (std::size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        std::size_t k = 0;
        while (k < needle.size() && UpperAscii(haystack[start + k]) == UpperAscii(needle[k])) {
            ++k;
        }
        if (k == needle.size()) {
            return true;
        }
    }
    return false;
}

std::string_view AttributeReason(const Options& opts, std::uint32_t attr)
{
    if ((attr == Attr::Normal || attr == CompressedAttr) && !opts.CheckNormal) {
        return Msg::ReasonNormalFile;
    }
    if ((attr & Attr::Archive) && !opts.CheckArchive) {
        return Msg::ReasonArchiveFile;
    }
    if ((attr & Attr::System) && !opts.CheckSystem) {
        return Msg::ReasonSystemFile;
    }
    if ((attr & Attr::Hidden) && !opts.CheckHidden) {
        return Msg::ReasonHiddenFile;
    }
    if ((attr & Attr::ReadOnly) && !opts.CheckReadOnly) {
        return Msg::ReasonReadOnlyFile;
    }
    return {};
}

} // namespace

std::optional<std::int64_t> SizeLimit(std::string_view text)
{
    if (!text.empty() && text.front() == '0') {
        return std::nullopt;
    }
    return WholeNumber(text);
}

std::vector<std::string> IncludeMasks(std::string_view text)
{
    std::string clean = RemoveSpaces(text);
    std::vector<std::string> masks;
    std::size_t start = 0;
    while (start <= clean.size()) {
        std::size_t end = clean.find(';', start);
        if (end == std::string::npos) {
            end = clean.size();
        }
        if (end > start) {
            masks.push_back(clean.substr(start, end - start));
        }
        start = end + 1;
    }
    return masks;
}

std::string ExclusionReason(const Options& opts,
                            const std::vector<std::string>& excludeList,
                            const FileFacts& file,
                            std::time_t now)
{
    // Replication makes the target an exact copy: nothing may be left out.
    if (opts.ReplicateBypass()) {
        return {};
    }
    if (std::string_view reason = AttributeReason(opts, file.Attr); !reason.empty()) {
        return std::string(reason);
    }
    for (const std::string& entry : excludeList) {
        if (ContainsNoCase(file.Name, FirstCharacters(entry, ExcludeEntryChars))) {
            std::string reason(Msg::ReasonExcludePrefix);
            reason.append(1, '"').append(entry).append(1, '"');
            return reason;
        }
    }
    std::optional<std::int64_t> minimum = SizeLimit(opts.MinFileSize);
    if (minimum && file.Size < *minimum) {
        return std::string(Msg::ReasonSizeExclusion);
    }
    std::optional<std::int64_t> maximum = SizeLimit(opts.MaxFileSize);
    if (maximum && file.Size > *maximum) {
        return std::string(Msg::ReasonSizeExclusion);
    }
    if (opts.DatesMode != DateMode::All) {
        std::uint32_t to = opts.DateTo != 0 ? opts.DateTo : TodayPacked(now);
        if (!WithinDays(file.PackedTime, opts.DateFrom, to)) {
            return std::string(Msg::ReasonDateExclusion);
        }
    }
    return {};
}

namespace {

void BuildExcludeList(EngineState& engine, const Options& opts)
{
    engine.ExcludeListText = opts.ExcludeString;
    std::string text = RemoveSpaces(opts.ExcludeString);
    std::vector<std::string>& list = engine.ExcludeList;
    list.clear();
    if (!text.empty()) {
        if (text.back() != ';') {
            text += ';';
        }
        std::size_t start = 0;
        for (std::size_t end = text.find(';'); end != std::string::npos; end = text.find(';', start)) {
            std::string_view part = std::string_view(text).substr(start, end - start);
            start = end + 1;
            // Entries match without case, so "bak" after "BAK" would only repeat it.
            bool known = false;
            for (const std::string& entry : list) {
                known = known || EqualsNoCaseAscii(entry, part);
            }
            if (!known) {
                list.emplace_back(part);
            }
        }
    }
}

} // namespace

void UpdateExcludeList(RunContext& ctx, [[maybe_unused]] bool fromExcludeString)
{
    ctx.State.StatusMsg(Msg::UpdateFileListings);
    BuildExcludeList(ctx.Engine, ctx.Opts);
    ctx.State.StatusMsg(Msg::Ready);
}

const std::vector<std::string>& CurrentExcludeList(EngineState& engine, const Options& opts)
{
    if (engine.ExcludeListText != opts.ExcludeString) {
        BuildExcludeList(engine, opts);
    }
    return engine.ExcludeList;
}

SizeEditOutcome MaxFileSizeChange(RunContext& ctx, SizeEdit edit, std::string_view text)
{
    SizeEditOutcome outcome;
    outcome.EditText = text.empty() ? std::string("0") : std::string(text);
    if (!text.empty() && !WholeNumber(text)) {
        outcome.Warning = Msg::EnterANumber;
    }
    ctx.State.StatusMsg(Msg::UpdateFileListings);
    ctx.State.StatusMsg(Msg::Ready);
    (edit == SizeEdit::Min ? ctx.Opts.MinFileSize : ctx.Opts.MaxFileSize) = outcome.EditText;
    return outcome;
}

} // namespace Tandemix
