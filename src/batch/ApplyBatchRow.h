// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchRow.h"
#include "engine/LaterHooks.h"
#include "settings/Options.h"

#include <ctime>
#include <string>
#include <string_view>

namespace Tandemix {

// How the archive password is kept in a row: scrambled, never as typed. The archive subsystem
// provides the scrambling. Its text must hold no TAB, CR, LF or NUL, which a batch file cannot
// store.
class PasswordScrambler
{
public:
    virtual ~PasswordScrambler() = default;
    virtual std::string Scramble(std::string_view password) const = 0;
    virtual std::string Unscramble(std::string_view scrambled) const = 0;
};

enum class BatchRowOutcome
{
    Applied, // every option the row carries is in force
    NoOptions, // the attribute mask is empty: the row carries no options, nothing changed
    Refused, // nothing changed: see Problem
};

struct BatchRowResult
{
    BatchRowOutcome Outcome = BatchRowOutcome::NoOptions;
    BatchRowFolders Folders; // the row's folders, whatever the outcome
    std::string Problem; // why it was refused: a damaged cell, or a pair no run may synchronise
};

// Puts the options a row carries into `opts`, all of them or, when the row is damaged or its
// folders overlap (the refusal a single pair gets), none. Switches with consequences go through
// the option rules. Options the row does not carry stay as they are, and so does everything
// when the row has no attribute mask. The row's folders are handed back for the caller to show.
// Like the grid, the row itself is updated: an empty row marker becomes "0", and the warning
// delay cell shows the delay in force.
// Without a scrambler the password cell is neither read nor written.
BatchRowResult
ApplyBatchRow(Options& opts, BatchRow& row, std::time_t now, const PasswordScrambler* scrambler = nullptr);

// Writes the options in force into columns 4 to 33 of the row, as "Update" stores them. The date
// cells of the other modes, the warning delay while deletion is off and the unused cells keep
// what they hold.
void CaptureBatchRow(BatchRow& row,
                     const Options& opts,
                     std::time_t now,
                     const PasswordScrambler* scrambler = nullptr);

// A row as "Add" makes it: its number, the folders, the direction ">" and the options in force.
BatchRow NewBatchRow(int number,
                     std::string_view source,
                     std::string_view target,
                     const Options& opts,
                     std::time_t now,
                     const PasswordScrambler* scrambler = nullptr);

} // namespace Tandemix
