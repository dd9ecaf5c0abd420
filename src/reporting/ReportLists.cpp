// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportLists.h"

#include "engine/ListingMessages.h"
#include "platform/AsciiText.h"

#include <charconv>

namespace Tandemix {

namespace {

constexpr std::size_t NameWidth = 28;
constexpr std::size_t KindWidth = 18;
constexpr std::size_t SizeWidth = 8;
constexpr std::size_t DetailWidth = 20;
constexpr char Tab = '\t';
constexpr std::string_view MiddleMarker = "---";

// Sizes arrive as decimal text; anything else counts as nothing rather than failing the run.
std::int64_t BytesOf(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) {
        return 0;
    }
    return value;
}

bool IsValid(ReportCategory category)
{
    int value = static_cast<int>(category);
    return value >= 0 && value < static_cast<int>(ReportCategoryCount);
}

} // namespace

void ReportLists::AddReportEntry(const ReportEntry& entry, const ReportSwitches& switches)
{
    if (!IsValid(entry.Category)) {
        return;
    }
    if (entry.Category == ReportCategory::Messages) {
        AddMessage(entry.Kind);
        return;
    }
    if (!switches.SyncActive || !switches.UseReportForm) {
        return;
    }
    bool unmatched = entry.Category == ReportCategory::UnMatched;
    if (unmatched && !switches.ListUnMatchedFiles) {
        return;
    }

    std::size_t index = Index(entry.Category);
    ReportList& list = FLists[index];
    std::string line = ReportLine(entry, switches.UseCompression);
    std::int64_t bytes = BytesOf(entry.SizeText);

    if (entry.Kind.starts_with('D')) {
        // Withdrawals ("Delete UnMatched Files" / "...Folder") concern only the unmatched list:
        // an exclusion reason that happens to begin with "D" ("Date Exclusion", a mask such as
        // "D*.tmp") is a reason to list, not a withdrawal. The total drops even when the line
        // is gone already, exactly as much as the entry it withdraws once added.
        if (unmatched) {
            list.RemoveLine(line);
            ForgetUnmatchedLine(line);
            FTotals[index] -= bytes;
            FCounts[index] = static_cast<std::int64_t>(list.Count());
            return;
        }
    }

    std::size_t row = 0;
    if (entry.Detail.find(MiddleMarker) != std::string_view::npos) {
        row = MiddleRow(list.Count());
    } else if (unmatched) {
        // Files of the folder being listed stay together and in listing order.
        row = FUnMatchedCounter < list.Count() ? FUnMatchedCounter : list.Count();
        ++FUnMatchedCounter;
    }
    if (unmatched) {
        FUnmatchedItems.try_emplace(line,
                                    UnmatchedItem{std::string(entry.Name),
                                                  std::string(entry.Path),
                                                  std::string(entry.SizeText),
                                                  std::string(entry.Detail),
                                                  entry.Kind == Msg::ReportUnMatchedFolder,
                                                  line,
                                                  std::string(entry.Archive)});
    }
    list.Insert(row, std::move(line));
    FTotals[index] += bytes;
    FCounts[index] = static_cast<std::int64_t>(list.Count());
}

void ReportLists::ClearReports()
{
    for (ReportList& list : FLists) {
        list.Clear();
    }
    FCounts.fill(0);
    FTotals.fill(0);
    FUnMatchedCounter = 0;
    FUnmatchedItems.clear();
}

void ReportLists::AddMessage(std::string_view text)
{
    ReportList& list = FLists[Index(ReportCategory::Messages)];
    if (list.Contains(text)) {
        return;
    }
    list.Append(std::string(text));
    if (!text.starts_with('-')) {
        ++FCounts[Index(ReportCategory::Messages)];
    }
}

std::string ReportLine(const ReportEntry& entry, bool useCompression)
{
    std::string line;
    line.reserve(NameWidth + KindWidth + SizeWidth + DetailWidth + entry.Path.size() + 8);
    line += PadRight(entry.Name, NameWidth);
    line.push_back(Tab);
    if (entry.Category == ReportCategory::Excluded) {
        line += PadRight(entry.Kind, KindWidth);
        line.push_back(Tab);
    }
    line += PadLeft(entry.SizeText, SizeWidth);
    line.push_back(Tab);
    line += PadLeft(entry.Detail, DetailWidth);
    line.push_back(Tab);
    line.append(entry.Path);
    if (useCompression && entry.Category == ReportCategory::UnMatched) {
        line = LowerAscii(line);
    }
    return line;
}

std::size_t MiddleRow(std::size_t lines)
{
    std::size_t half = lines / 2;
    if (lines % 2 == 1 && half % 2 == 1) {
        ++half; // x.5 goes to the even neighbour
    }
    return half;
}

void ReportLists::ClearUnMatched()
{
    std::size_t index = Index(ReportCategory::UnMatched);
    FLists[index].Clear();
    FCounts[index] = 0;
    FTotals[index] = 0;
    FUnMatchedCounter = 0;
    FUnmatchedItems.clear();
}

void ReportLists::ClearList(ReportCategory category)
{
    if (category == ReportCategory::UnMatched) {
        ClearUnMatched();
        return;
    }
    FLists[Index(category)].Clear();
    FCounts[Index(category)] = 0;
    FTotals[Index(category)] = 0;
}

void ReportLists::ReplaceLines(ReportCategory category, std::vector<std::string> lines)
{
    if (category == ReportCategory::UnMatched) {
        FUnMatchedCounter = 0;
        FUnmatchedItems.clear();
    }
    FLists[Index(category)].Assign(std::move(lines));
}

std::vector<UnmatchedItem> ReportLists::UnmatchedItems() const
{
    std::vector<UnmatchedItem> items;
    const ReportList& list = FLists[Index(ReportCategory::UnMatched)];
    items.reserve(list.Count());
    for (std::size_t row = 0; row < list.Count(); ++row) {
        // A line this run did not file (one loaded from a report file) is nothing to act on.
        auto item = FUnmatchedItems.find(list.At(row));
        if (item != FUnmatchedItems.end()) {
            items.push_back(item->second);
        }
    }
    return items;
}

void ReportLists::RemoveListed(ReportCategory category, const UnmatchedItem& item)
{
    if (!IsValid(category)) {
        return;
    }
    std::size_t index = Index(category);
    if (FLists[index].RemoveLine(item.Line)) {
        FTotals[index] -= BytesOf(item.SizeText);
        FCounts[index] = static_cast<std::int64_t>(FLists[index].Count());
    }
    if (category == ReportCategory::UnMatched) {
        ForgetUnmatchedLine(item.Line);
    }
}

const UnmatchedItem* ReportLists::UnmatchedRecord(const std::string& line) const
{
    auto item = FUnmatchedItems.find(line);
    return item != FUnmatchedItems.end() ? &item->second : nullptr;
}

void ReportLists::ForgetUnmatchedLine(const std::string& line)
{
    // The same line may stand twice (a file seen by two listings); its item goes with the last.
    if (!FLists[Index(ReportCategory::UnMatched)].Contains(line)) {
        FUnmatchedItems.erase(line);
    }
}

} // namespace Tandemix
