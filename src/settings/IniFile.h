// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// A write to the configuration file failed; the file keeps the content it had before that write.
// what() is the user-facing "Unable to write to <file name>".
class IniWriteError : public std::runtime_error
{
public:
    IniWriteError(const std::string& fileName, int error);
    int Error() const { return FError; }

private:
    int FError;
};

// The configuration file: sections of "key=value" lines, looked up without regard to case.
// Nothing is cached: every read opens and parses the file anew and every write reads, changes
// and replaces it at once, so that changes made by another program between calls are seen and
// kept. Writes replace the whole file atomically; a crash never leaves it half written.
// Not thread-safe for concurrent writes to the same file.
class IniFile
{
public:
    explicit IniFile(std::string fileName);
    // The file as it is now, read once: every later read answers from that content, so a load
    // of many keys opens the file once. Writes still go to the file, and into the content.
    static IniFile Snapshot(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    // Missing file, section or key: `def`. The result is cut to 1023 characters.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal with optional sign, or "0x"/"0X" and hexadecimal digits; anything else: `def`.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // Any integer other than 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // throws IniWriteError
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // throws IniWriteError
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // throws IniWriteError
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The keys of the section in file order, each once.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // "key=value" for each key of ReadSection, the value as ReadString gives it.
    std::vector<std::string> ReadSectionValues(std::string_view section) const;
    // Removes the section header with everything under it; throws IniWriteError
    void EraseSection(std::string_view section);
    bool SectionExists(std::string_view section) const;

private:
    std::string Load() const;
    std::string LoadForUpdate() const;
    void Store(const std::string& oldContent, const std::string& newContent);

    std::string FFileName;
    std::optional<std::string> FContent; // a snapshot's content
};

} // namespace Tandemix
