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

    void AddReportEntry(std::string_view name,
                        std::string_view path,
                        std::string_view sizeText,
                        std::string_view detail,
                        std::string_view kind,
                        ReportCategory category) noexcept override
    {
        Entries.push_back(Entry{std::string(name),
                                std::string(path),
                                std::string(sizeText),
                                std::string(detail),
                                std::string(kind),
                                category});
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
