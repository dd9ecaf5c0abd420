// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Tandemix {

// A whole number as the edits take it: an optional sign and decimal digits, nothing else.
std::optional<std::int64_t> WholeNumber(std::string_view text);

// How setting one option changes others. A configuration load, a batch row and a click all go
// through these, so the options never end up in a combination the window could not produce.
// These are the programmatic changes: nothing is asked. The confirmation a click on "Delete
// Unmatched" shows first is the window's; once confirmed, the click applies the same rule.

// On: the deletion works from the unmatched list, so reporting and that list are switched on.
// Off: with nothing deleted, neither the deleting first pass nor replication can stay on.
void SetDeleteUnmatched(Options& opts, bool on);

// Replication is deletion of unmatched items plus a filter bypass: on also switches deletion on;
// off leaves deletion as it is.
void SetReplicateFolders(Options& opts, bool on);

// Whether `folder` is the recovery folder of deleted files: wherever it lies, inside a source or
// a target, it is never listed, walked, matched or deleted.
bool IsRecoveryFolder(const Options& opts, std::string_view folder);

// The schedule and the source polling exclude each other: arming one disarms the other. The
// interval text (RunSyncEveryMin, PoleSecs) must be a whole number of at least 1; otherwise the
// trigger stays off, its text becomes "0" and the result is false, so that the caller can tell
// the user.
bool SetRunSyncSched(Options& opts, bool on);
bool SetPoleEvery(Options& opts, bool on);

// The archive extension with its dot, at most 10 characters (counted as characters, not bytes):
// "zip" gives ".zip", ".Z" stays ".Z".
std::string CompressedExtFor(std::string_view extText);
// Sets the extension text as typed and the extension derived from it.
void SetCompressedFileExt(Options& opts, std::string_view extText);

} // namespace Tandemix
