// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Reporter.h"
#include "reporting/ReportList.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Tandemix {

inline constexpr std::size_t ReportCategoryCount = 6;

// An entry of the unmatched list as the run filed it: what the deletion acts on. Kept beside its
// line, so a name holding a TAB or trailing blanks is never read back out of the text.
struct UnmatchedItem
{
    std::string Name;
    std::string Folder; // with its trailing '/'
    std::string SizeText;
    std::string Detail;
    bool IsFolder = false;
    std::string Line; // the list's line for it
    // The archive holding the entry (a compressed run's target); empty for a file on the disk.
    // Such an entry is deleted from the archive, never a file of its name beside it.
    std::string Archive{};
};

// The switches read at the moment a line is filed.
struct ReportSwitches
{
    bool SyncActive = false;
    bool UseReportForm = true;
    bool ListUnMatchedFiles = false;
    bool UseCompression = false;
};

// The six report lists a run fills (added, updated, excluded, unmatched, messages, deletions),
// each with the item count and byte total shown beside it. The report window shows them; the
// engine files into them through the program's Reporter. UI thread only.
class ReportLists
{
public:
    void AddReportEntry(const ReportEntry& entry, const ReportSwitches& switches);
    // A folder listing starts: its unmatched files go in front of those of earlier folders.
    void BeginListing() { FUnMatchedCounter = 0; }
    // Empties every list and zeroes every count and total.
    void ClearReports();
    // Empties the UnMatched list alone: a run that did not see every folder lists none.
    void ClearUnMatched();
    // Empties one list; its count and total become 0.
    void ClearList(ReportCategory category);
    // Puts `lines` in place of a list's lines (a report file loaded into it). The count and total
    // stay as they were until set: the file says what they were when it was saved. Loaded
    // unmatched lines are no entries a run filed, so nothing is ever deleted on their strength.
    void ReplaceLines(ReportCategory category, std::vector<std::string> lines);
    void SetCount(ReportCategory category, std::int64_t count) { FCounts[Index(category)] = count; }
    void SetTotal(ReportCategory category, std::int64_t total) { FTotals[Index(category)] = total; }

    const ReportList& List(ReportCategory category) const { return FLists[Index(category)]; }
    ReportList& List(ReportCategory category) { return FLists[Index(category)]; }
    // The count shown beside the list: its number of lines, except for messages, where lines
    // beginning with "-" (separators and continuations) are not counted.
    std::int64_t Count(ReportCategory category) const { return FCounts[Index(category)]; }
    std::int64_t Total(ReportCategory category) const { return FTotals[Index(category)]; }
    std::size_t UnMatchedCounter() const { return FUnMatchedCounter; }
    // The unmatched entries a run filed that are still listed, in list order.
    std::vector<UnmatchedItem> UnmatchedItems() const;
    // Takes one entry out of the unmatched list (it was deleted, or the user removed it).
    void RemoveUnmatched(const UnmatchedItem& item) { RemoveListed(ReportCategory::UnMatched, item); }
    // Takes the line of an entry out of a list, its size off the list's total.
    void RemoveListed(ReportCategory category, const UnmatchedItem& item);
    // The unmatched lines stay listed but are no longer the run's to delete: a batch row's items
    // that its own settings kept must never fall to a later row's deletion.
    void ForgetUnmatchedRecords() { FUnmatchedItems.clear(); }
    // The run's own record of an unmatched line; nothing for a line it did not file.
    const UnmatchedItem* UnmatchedRecord(const std::string& line) const;

private:
    static std::size_t Index(ReportCategory category) { return static_cast<std::size_t>(category); }
    void AddMessage(std::string_view text);

    std::array<ReportList, ReportCategoryCount> FLists;
    std::array<std::int64_t, ReportCategoryCount> FCounts{};
    std::array<std::int64_t, ReportCategoryCount> FTotals{};
    // Where the next unmatched file of the folder being listed goes.
    std::size_t FUnMatchedCounter = 0;
    std::unordered_map<std::string, UnmatchedItem> FUnmatchedItems; // by line
    void ForgetUnmatchedLine(const std::string& line);
};

// The line filed for an entry: name in a 28-character column, then TAB-separated size (8),
// detail (20) and folder; exclusions carry their reason (18) after the name. Columns grow for
// longer texts, nothing is cut. Unmatched lines are lower case while compression is on; a
// withdrawal is lowered the same way, so it still finds its line.
std::string ReportLine(const ReportEntry& entry, bool useCompression);

// Where a line whose detail holds "---" goes: the middle of the list, halves rounded to the
// even neighbour (0, 0, 1, 2, 2, 2, 3, 4 for 0..7 lines).
std::size_t MiddleRow(std::size_t lines);

} // namespace Tandemix
