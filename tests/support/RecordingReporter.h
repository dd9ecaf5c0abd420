// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Reporter.h"

#include <string>
#include <string_view>
#include <vector>

namespace Tandemix::Test {

// A reporter for tests: every log request and every report entry is recorded as it was made,
// in order, with nothing filtered, merged or formatted.
class RecordingReporter : public Reporter
{
public:
    struct LogLine
    {
        std::string Text;
        LogKind Kind;
    };

    struct Entry
    {
        std::string Name;
        std::string Path;
        std::string SizeText;
        std::string Detail;
        std::string Kind;
        ReportCategory Category;
    };

    std::vector<LogLine> Logs;
    std::vector<Entry> Entries;

    void WriteLogFile(std::string_view text, LogKind kind) noexcept override
    {
        Logs.push_back(LogLine{std::string(text), kind});
    }

    void AddReportEntry(const ReportEntry& e) noexcept override
    {
        Entries.push_back(Entry{std::string(e.Name),
                                std::string(e.Path),
                                std::string(e.SizeText),
                                std::string(e.Detail),
                                std::string(e.Kind),
                                e.Category});
    }

    std::vector<Entry> EntriesIn(ReportCategory category) const
    {
        std::vector<Entry> found;
        for (const Entry& entry : Entries) {
            if (entry.Category == category) {
                found.push_back(entry);
            }
        }
        return found;
    }

    std::vector<std::string> LogTexts(LogKind kind) const
    {
        std::vector<std::string> found;
        for (const LogLine& line : Logs) {
            if (line.Kind == kind) {
                found.push_back(line.Text);
            }
        }
        return found;
    }
};

} // namespace Tandemix::Test
