// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ApplyBatchRow.h"

#include "engine/FolderPairCheck.h"
#include "platform/Attributes.h"
#include "platform/FileTimes.h"
#include "settings/DateRange.h"
#include "settings/OptionRules.h"

#include <cstdint>

namespace Tandemix {

namespace {

constexpr std::string_view DateModeFromTo = "1";
constexpr std::string_view DateModeNoDays = "2";
constexpr std::string_view DateModeAll = "3";
// A mask of exactly this value (the compressed bit alone) selects normal files: lists written by
// older releases carry it.
constexpr int CompressedOnlyMask = 2048;
constexpr std::string_view CapturedMarker = "2";
constexpr std::string_view AppliedMarker = "0";
constexpr std::string_view NoSizeLimit = "0";

// Only called on cells BatchRowProblem has passed.
int NumberIn(const BatchRow& row, BatchCol col)
{
    return static_cast<int>(WholeNumber(row[col]).value_or(0));
}

void ApplyAttributeMask(Options& opts, int mask)
{
    opts.CheckArchive = (mask & Attr::Archive) != 0;
    opts.CheckReadOnly = (mask & Attr::ReadOnly) != 0;
    opts.CheckSystem = (mask & Attr::System) != 0;
    opts.CheckHidden = (mask & Attr::Hidden) != 0;
    opts.CheckNormal = (mask & Attr::Normal) != 0 || mask == 0 || mask == CompressedOnlyMask;
}

void ApplyDates(Options& opts, const BatchRow& row, std::time_t now)
{
    const std::string& mode = row[BatchCol::DateMode];
    if (mode == DateModeFromTo) {
        opts.DatesMode = DateMode::FromTo;
        UseDateFromChange(opts, row[BatchCol::DateFrom], now);
        UseDateToChange(opts, row[BatchCol::DateTo], now);
    } else if (mode == DateModeNoDays) {
        opts.PastDaysCount = row[BatchCol::PastDays];
        UseDatesNoDaysClick(opts, now);
    } else if (mode == DateModeAll) {
        UseDatesAllClick(opts, now);
    }
}

// Deletion, and replication on top of it. A row asking for replication without deletion gets
// neither, as a configuration file does: replication would switch deletion on by itself, and a
// row that does not say "delete" must never delete.
void ApplyDeletion(Options& opts, BatchRow& row)
{
    if (row.IsOn(BatchCol::DeleteUnmatched)) {
        SetDeleteUnmatched(opts, true);
        opts.DeleteUnmatchedWarningDelay = NumberIn(row, BatchCol::WarningDelay);
        SetReplicateFolders(opts, row.IsOn(BatchCol::ReplicateFolders));
    } else {
        SetDeleteUnmatched(opts, false);
    }
    row[BatchCol::WarningDelay] = std::to_string(opts.DeleteUnmatchedWarningDelay);
}

void ApplyCompression(Options& opts, const BatchRow& row, const PasswordScrambler* scrambler)
{
    opts.UseCompression = row.IsOn(BatchCol::UseCompression);
    if (!row[BatchCol::CompressExpand].empty()) {
        opts.CompressExpand = NumberIn(row, BatchCol::CompressExpand);
    }
    if (!row[BatchCol::CompressionSpeed].empty()) {
        opts.CompressionSpeed = NumberIn(row, BatchCol::CompressionSpeed);
    }
    // An empty cell is a row saved without a password: the row before must not lend it one.
    if (scrambler != nullptr) {
        const std::string& scrambled = row[BatchCol::Password];
        opts.PassWordName = scrambled.empty() ? std::string() : scrambler->Unscramble(scrambled);
    }
}

void ApplyOptions(Options& opts, BatchRow& row, std::time_t now, const PasswordScrambler* scrambler)
{
    ApplyAttributeMask(opts, NumberIn(row, BatchCol::AttributeMask));
    if (row[BatchCol::RowMarker].empty()) {
        row[BatchCol::RowMarker] = AppliedMarker;
    }
    ApplyDates(opts, row, now);
    opts.IncludeString = row[BatchCol::IncludeMask];
    opts.ExcludeString = row[BatchCol::ExcludeMask];
    // An empty size edit means no limit, and the edit then shows "0".
    const std::string& maxSize = row[BatchCol::MaxFileSize];
    const std::string& minSize = row[BatchCol::MinFileSize];
    opts.MaxFileSize = maxSize.empty() ? std::string(NoSizeLimit) : maxSize;
    opts.MinFileSize = minSize.empty() ? std::string(NoSizeLimit) : minSize;
    opts.CheckResetArchive = row.IsOn(BatchCol::ResetArchive);
    opts.DeleteUnMatchPriorToSync = row.IsOn(BatchCol::PreDelete);
    opts.IncludeSubFolderOption = row.IsOn(BatchCol::IncludeSubFolders);
    opts.UpdateFilesOption = row.IsOn(BatchCol::UpdateFiles);
    opts.AddFilesOption = row.IsOn(BatchCol::AddFiles);
    opts.CreateSubFolderOption = row.IsOn(BatchCol::CreateSubFolder);
    opts.UseLogFile = row.IsOn(BatchCol::UseLogFile);
    opts.ReportLogOverwrite = row.IsOn(BatchCol::LogOverwrite);
    const std::string& logName = row[BatchCol::LogFileName];
    opts.LogFileName = logName.empty() ? std::string(BatchMsg::DefaultLogFileName) : logName;
    ApplyDeletion(opts, row);
    ApplyCompression(opts, row, scrambler);
}

int AttributeMask(const Options& opts)
{
    std::uint32_t mask = (opts.CheckReadOnly ? Attr::ReadOnly : 0) | (opts.CheckHidden ? Attr::Hidden : 0)
                         | (opts.CheckSystem ? Attr::System : 0) | (opts.CheckArchive ? Attr::Archive : 0)
                         | (opts.CheckNormal ? Attr::Normal : 0);
    return static_cast<int>(mask);
}

void CaptureDates(BatchRow& row, const Options& opts, std::time_t now)
{
    switch (opts.DatesMode) {
    case DateMode::FromTo:
        row[BatchCol::DateMode] = DateModeFromTo;
        row[BatchCol::DateFrom] = MaskedDateText(opts.UseDateFrom != 0 ? opts.UseDateFrom : PackedTimeFloor);
        row[BatchCol::DateTo] = MaskedDateText(opts.UseDateTo != 0 ? opts.UseDateTo : TodayPacked(now));
        break;
    case DateMode::NoDays:
        row[BatchCol::DateMode] = DateModeNoDays;
        row[BatchCol::PastDays] = opts.PastDaysCount;
        break;
    case DateMode::All:
        row[BatchCol::DateMode] = DateModeAll;
        break;
    }
}

} // namespace

BatchRowResult
ApplyBatchRow(Options& opts, BatchRow& row, std::time_t now, const PasswordScrambler* scrambler)
{
    BatchRowResult result;
    result.Folders = {row[BatchCol::Source], row[BatchCol::Target]};
    result.Problem = BatchRowProblem(row);
    if (result.Problem.empty() && !result.Folders.Source.empty() && !result.Folders.Target.empty()) {
        result.Problem = CheckFolderPair(result.Folders.Source, result.Folders.Target);
    }
    if (!result.Problem.empty()) {
        result.Outcome = BatchRowOutcome::Refused;
        return result;
    }
    if (row[BatchCol::AttributeMask].empty()) {
        result.Outcome = BatchRowOutcome::NoOptions;
        return result;
    }
    ApplyOptions(opts, row, now, scrambler);
    result.Outcome = BatchRowOutcome::Applied;
    return result;
}

void CaptureBatchRow(BatchRow& row, const Options& opts, std::time_t now, const PasswordScrambler* scrambler)
{
    row[BatchCol::AttributeMask] = std::to_string(AttributeMask(opts));
    CaptureDates(row, opts, now);
    row.SetSwitch(BatchCol::IncludeSubFolders, opts.IncludeSubFolderOption);
    row.SetSwitch(BatchCol::UseCompression, opts.UseCompression);
    row.SetSwitch(BatchCol::UpdateFiles, opts.UpdateFilesOption);
    row.SetSwitch(BatchCol::AddFiles, opts.AddFilesOption);
    row[BatchCol::IncludeMask] = opts.IncludeString;
    row[BatchCol::ExcludeMask] = opts.ExcludeString;
    row[BatchCol::MaxFileSize] = opts.MaxFileSize;
    row[BatchCol::MinFileSize] = opts.MinFileSize;
    row.SetSwitch(BatchCol::CreateSubFolder, opts.CreateSubFolderOption);
    row.SetSwitch(BatchCol::ResetArchive, opts.CheckResetArchive);
    row.SetSwitch(BatchCol::UseLogFile, opts.UseLogFile);
    row.SetSwitch(BatchCol::LogOverwrite, opts.ReportLogOverwrite);
    row[BatchCol::LogFileName] =
        opts.LogFileName.empty() ? std::string() : WithExtension(opts.LogFileName, BatchMsg::LogExtension);
    row.SetSwitch(BatchCol::PreDelete, opts.DeleteUnMatchPriorToSync);
    row.SetSwitch(BatchCol::ReplicateFolders, opts.ReplicateFolders);
    if (opts.DeleteUnmatched) {
        row[BatchCol::WarningDelay] = std::to_string(opts.DeleteUnmatchedWarningDelay);
    }
    row.SetSwitch(BatchCol::DeleteUnmatched, opts.DeleteUnmatched);
    row[BatchCol::CompressExpand] = std::to_string(opts.CompressExpand);
    row[BatchCol::CompressionSpeed] = std::to_string(opts.CompressionSpeed);
    if (scrambler != nullptr) {
        row[BatchCol::Password] =
            opts.PassWordName.empty() ? std::string() : scrambler->Scramble(opts.PassWordName);
    }
    row[BatchCol::RowMarker] = CapturedMarker;
}

BatchRow NewBatchRow(int number,
                     std::string_view source,
                     std::string_view target,
                     const Options& opts,
                     std::time_t now,
                     const PasswordScrambler* scrambler)
{
    BatchRow row;
    row[BatchCol::RowNumber] = std::to_string(number);
    row[BatchCol::Source] = source;
    row[BatchCol::Direction] = ">";
    row[BatchCol::Target] = target;
    CaptureBatchRow(row, opts, now, scrambler);
    return row;
}

} // namespace Tandemix
