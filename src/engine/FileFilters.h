// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "settings/OptionRules.h"
#include "settings/Options.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// The file selection filters: include masks, exclusion strings, attribute switches, size
// limits and the date range. Everything here reads the options afresh on every call, so a
// change takes effect with the next file listed. UI thread only.

// The limit a size edit sets; none for a text beginning with "0" (so "0100" is no limit) or one
// that is not a whole number. Any other number is a limit, a negative one too: a maximum of
// "-5" leaves every file out, a minimum of "-5" none, just as the run's log states the limit.
std::optional<std::int64_t> SizeLimit(std::string_view text);

// The include edit's masks: blanks removed, split at ";", empty parts dropped, order kept.
std::vector<std::string> IncludeMasks(std::string_view text);

// What the filters look at in a file.
struct FileFacts
{
    std::string_view Name;
    std::uint32_t Attr = 0;
    std::uint32_t PackedTime = 0;
    std::int64_t Size = 0;
};

// Why the filters keep the file out ("Hidden File", "Exclude: \"BAK\"", "Size Exclusion"...),
// empty when it passes. The tests run in a fixed order and the first failing one names the
// reason. `now` stands for today when the range has no end set yet.
std::string ExclusionReason(const Options& opts,
                            const std::vector<std::string>& excludeList,
                            const FileFacts& file,
                            std::time_t now);

// Rebuilds the engine's exclusion list from the exclusion edit. `fromExcludeString`: the user
// changed the edit itself (the caller marks the batch row as changed).
void UpdateExcludeList(RunContext& ctx, bool fromExcludeString);

// The exclusion list of the exclusion text the options hold now, rebuilt whenever that text
// has changed since the list was built: however the options arrived (the window, a settings
// file at start or through -C, a batch row), a listing filters by what they say.
const std::vector<std::string>& CurrentExcludeList(EngineState& engine, const Options& opts);

enum class SizeEdit
{
    Min,
    Max,
};

// What a size edit must show after its text changed.
struct SizeEditOutcome
{
    std::string EditText; // the text, "0" in place of an empty one
    std::string_view Warning; // not empty: show it to the user
};

// Shared handler of the minimum and maximum size edits: checks the text, stores it as the
// program-wide limit (a text that is not a number is stored as typed; the filter takes it as
// no limit).
SizeEditOutcome MaxFileSizeChange(RunContext& ctx, SizeEdit edit, std::string_view text);

} // namespace Tandemix
