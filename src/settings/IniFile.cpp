// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "settings/IniMessages.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <unordered_set>
#include <utility>

// How the file is read and written. Configuration files come from older releases, from hand
// edits and from other programs, so reading is forgiving and writing disturbs as little as it can.
//
// Reading
// - Line ends CR LF, LF and a lone CR are all accepted, mixed in one file. A UTF-8 byte order
//   mark at the start is skipped (and kept when the file is rewritten).
// - Blanks are spaces and tabs. "[ name ]" is a section header (text after the first ']' is
//   ignored; a '[' line without ']' is neither header nor key). A line whose first non-blank
//   character is ';' is a comment. Other lines with '=' are keys: the text before the first '='
//   is the key, the rest the value (further '=' belong to it), both trimmed. Lines without '='
//   and keys before the first header are ignored by reads.
// - Section and key names match without regard to ASCII case; other characters must be equal.
// - Only the first section of a name counts, and in it only the first line of a key.
// - A value wrapped in a pair of double quotes is read without them. Values and defaults are cut
//   to 1023 characters, counted as UTF-8 characters, never splitting one; a byte that belongs
//   to no well-formed character counts as one.
// - Integers: decimal with an optional sign, or "0x"/"0X" and hex digits read as a 32-bit
//   pattern ("0xFFFFFFFF" is -1; a value beyond 32 bits gives the default).
// - A file that cannot be read is treated as a missing one: every read gives its default.
// - SectionExists is true for a header even when no key follows it.
// - ReadSection has no size limit: a long list section is never cut short.
//
// Writing
// - Every write reads the file, changes it in memory and replaces it through
//   WriteFileAtomically. A write that would change nothing leaves the file alone (no rewrite,
//   so no failure on a read-only file for an unchanged value).
// - Everything the write does not change stays byte for byte, line ends included; every line
//   the write produces ends with CR LF. A replaced key line becomes "<key as spelled in the
//   file>=<value>" and keeps its own line end.
// - A new key goes after the last key line of the section (after the header when it has none),
//   so blank lines and comments that follow the keys stay where they are. A new section goes
//   at the end of the file, after a blank line unless the file is empty or already ends with one.
// - Section and key names are written trimmed; a value is written as given, but only up to its
//   first line break (a line break would otherwise smuggle further keys into the file).
//   Names that the reader would take apart cannot be stored faithfully: a section name with
//   ']', a key with '=' or one beginning with '[' or ';'.
// - EraseSection removes every section of that name (so that none is left to be read), each
//   from its header up to the next header; when that reaches the end of the file, the blank lines
//   before the header go too.
// - A file that exists but cannot be read is not rewritten (its content would be lost): the
//   write fails with IniWriteError.

namespace Tandemix {

namespace {

constexpr std::size_t MaxValueCharacters = 1023;
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view LineEnd = "\r\n";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

struct Line
{
    std::size_t Begin = 0;
    std::size_t TextEnd = 0; // before the line end
    std::size_t End = 0; // after the line end; TextEnd when the file ends without one
};

class LineScanner
{
public:
    explicit LineScanner(std::string_view content)
        : FContent(content)
        , FPos(content.starts_with(Utf8Bom) ? Utf8Bom.size() : 0)
    {}

    bool Next(Line& line)
    {
        if (FPos >= FContent.size()) {
            return false;
        }
        line.Begin = FPos;
        // A load scans the file once per key: two memchr calls per line, where find_first_of
        // would try every character against the set in turn.
        const char* begin = FContent.data() + FPos;
        std::size_t rest = FContent.size() - FPos;
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', rest));
        std::size_t length = lf != nullptr ? static_cast<std::size_t>(lf - begin) : rest;
        const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', length));
        std::size_t stop = FPos + (cr != nullptr ? static_cast<std::size_t>(cr - begin) : length);
        if (stop == FContent.size()) {
            line.TextEnd = line.End = FContent.size();
        } else {
            line.TextEnd = stop;
            bool crLf = FContent[stop] == '\r' && stop + 1 < FContent.size() && FContent[stop + 1] == '\n';
            line.End = stop + (crLf ? 2 : 1);
        }
        FPos = line.End;
        return true;
    }

    std::string_view Text(const Line& line) const
    {
        return FContent.substr(line.Begin, line.TextEnd - line.Begin);
    }

    // Offset of the first line: after a byte order mark.
    std::size_t Start() const { return FContent.starts_with(Utf8Bom) ? Utf8Bom.size() : 0; }

private:
    std::string_view FContent;
    std::size_t FPos;
};

enum class LineKind
{
    Blank,
    Comment,
    Section,
    Key,
    Other,
};

struct ParsedLine
{
    LineKind Kind = LineKind::Other;
    std::string_view Name; // section or key, trimmed
    std::string_view Value; // trimmed, quotes still on
};

ParsedLine Classify(std::string_view text)
{
    text = Trim(text);
    if (text.empty()) {
        return {LineKind::Blank, {}, {}};
    }
    if (text.front() == ';') {
        return {LineKind::Comment, {}, {}};
    }
    if (text.front() == '[') {
        std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return {LineKind::Other, {}, {}};
        }
        return {LineKind::Section, Trim(text.substr(1, close - 1)), {}};
    }
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return {LineKind::Other, {}, {}};
    }
    return {LineKind::Key, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// A byte that cannot be part of a well-formed character counts as one character of its own, so
// that no run of stray bytes escapes the limit.
std::size_t CharacterLength(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    std::size_t taken = 1;
    while (taken < length && at + taken < text.size()
           && (static_cast<unsigned char>(text[at + taken]) & 0xC0) == 0x80) {
        ++taken;
    }
    return taken;
}

std::string_view CutToCharacters(std::string_view text, std::size_t maxCharacters)
{
    if (text.size() <= maxCharacters) {
        return text;
    }
    std::size_t at = 0;
    for (std::size_t characters = 0; characters < maxCharacters && at < text.size(); ++characters) {
        at += CharacterLength(text, at);
    }
    return text.substr(0, at);
}

std::string ReadableValue(std::string_view rawValue)
{
    return std::string(CutToCharacters(Unquote(rawValue), MaxValueCharacters));
}

// Calls visit(name, rawValue) for each key line of the first section named `section`, until
// visit returns false. Stops reading at the end of that section. Returns whether it exists.
template <typename Visit>
bool ForEachKeyOf(std::string_view content, std::string_view section, Visit visit)
{
    section = Trim(section);
    LineScanner scanner(content);
    Line line;
    bool inSection = false;
    while (scanner.Next(line)) {
        std::string_view text = scanner.Text(line);
        if (!inSection) {
            // Most lines before the section are keys of other sections: only headers matter.
            std::string_view trimmed = Trim(text);
            if (trimmed.empty() || trimmed.front() != '[') {
                continue;
            }
        }
        ParsedLine parsed = Classify(text);
        if (parsed.Kind == LineKind::Section) {
            if (inSection) {
                return true;
            }
            inSection = EqualsNoCaseAscii(parsed.Name, section);
        } else if (inSection && parsed.Kind == LineKind::Key) {
            if (!visit(parsed.Name, parsed.Value)) {
                return true;
            }
        }
    }
    return inSection;
}

bool EndsWithLineEnd(std::string_view content)
{
    return !content.empty() && (content.back() == '\n' || content.back() == '\r');
}

std::string
WithValue(std::string_view content, std::string_view section, std::string_view key, std::string_view value)
{
    section = Trim(section);
    key = Trim(key);
    value = value.substr(0, value.find_first_of("\r\n"));

    LineScanner scanner(content);
    Line line;
    bool inSection = false;
    bool sectionFound = false;
    std::size_t insertAt = 0;
    bool lastLineBlank = true;
    while (scanner.Next(line)) {
        ParsedLine parsed = Classify(scanner.Text(line));
        lastLineBlank = parsed.Kind == LineKind::Blank;
        if (parsed.Kind == LineKind::Section) {
            if (inSection) {
                break;
            }
            inSection = EqualsNoCaseAscii(parsed.Name, section);
            if (inSection) {
                sectionFound = true;
                insertAt = line.End;
            }
        } else if (inSection && parsed.Kind == LineKind::Key) {
            if (EqualsNoCaseAscii(parsed.Name, key)) {
                std::string out;
                out.reserve(content.size() + value.size());
                out.append(content.substr(0, line.Begin));
                out.append(parsed.Name).append("=").append(value);
                out.append(content.substr(line.TextEnd));
                return out;
            }
            insertAt = line.End;
        }
    }

    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 16);
    if (sectionFound) {
        out.append(content.substr(0, insertAt));
        if (!EndsWithLineEnd(out)) {
            out.append(LineEnd);
        }
        out.append(key).append("=").append(value).append(LineEnd);
        out.append(content.substr(insertAt));
        return out;
    }
    out.append(content);
    if (content.size() > scanner.Start()) {
        if (!EndsWithLineEnd(content)) {
            out.append(LineEnd);
        }
        if (!lastLineBlank) {
            out.append(LineEnd);
        }
    }
    out.append("[").append(section).append("]").append(LineEnd);
    out.append(key).append("=").append(value).append(LineEnd);
    return out;
}

std::string WithoutSection(std::string_view content, std::string_view section)
{
    section = Trim(section);
    std::vector<std::pair<std::size_t, std::size_t>> cuts;
    LineScanner scanner(content);
    Line line;
    bool erasing = false;
    std::size_t eraseBegin = 0;
    std::size_t blankRunBegin = std::string_view::npos; // first of the blank lines just above
    std::size_t headerBlankRunBegin = 0;
    while (scanner.Next(line)) {
        ParsedLine parsed = Classify(scanner.Text(line));
        if (parsed.Kind == LineKind::Section) {
            if (erasing) {
                cuts.emplace_back(eraseBegin, line.Begin);
                erasing = false;
            }
            if (EqualsNoCaseAscii(parsed.Name, section)) {
                erasing = true;
                eraseBegin = line.Begin;
                headerBlankRunBegin = blankRunBegin == std::string_view::npos ? line.Begin : blankRunBegin;
            }
        }
        if (parsed.Kind == LineKind::Blank) {
            if (blankRunBegin == std::string_view::npos) {
                blankRunBegin = line.Begin;
            }
        } else {
            blankRunBegin = std::string_view::npos;
        }
    }
    if (erasing) {
        // The last section goes with the blank lines that separated it from the one before.
        std::size_t previousCutEnd = cuts.empty() ? 0 : cuts.back().second;
        cuts.emplace_back(std::max(headerBlankRunBegin, previousCutEnd), content.size());
    }

    std::string out;
    out.reserve(content.size());
    std::size_t kept = 0;
    for (const auto& [begin, end] : cuts) {
        out.append(content.substr(kept, begin - kept));
        kept = end;
    }
    out.append(content.substr(kept));
    return out;
}

bool ParseDecimal(std::string_view text, int& result)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return false;
        }
    }
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || error != std::errc{} || ptr != end) {
        return false;
    }
    result = value;
    return true;
}

// Hexadecimal is a 32-bit pattern: "0xFFFFFFFF" is -1, as a flag mask written in hex means.
bool ParseHex(std::string_view digits, int& result)
{
    std::uint64_t value = 0;
    const char* end = digits.data() + digits.size();
    auto [ptr, error] = std::from_chars(digits.data(), end, value, 16);
    if (error != std::errc{} || ptr != end || value > 0xFFFFFFFFULL) {
        return false;
    }
    result = static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    return true;
}

std::string WriteErrorText(const std::string& fileName)
{
    std::string text(UnableToWriteTo);
    std::size_t placeholder = text.find("%s");
    if (placeholder != std::string::npos) {
        text.replace(placeholder, 2, fileName);
    }
    return text;
}

} // namespace

IniWriteError::IniWriteError(const std::string& fileName, int error)
    : std::runtime_error(WriteErrorText(fileName))
    , FError(error)
{}

IniFile::IniFile(std::string fileName)
    : FFileName(std::move(fileName))
{}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    std::string content = Load();
    key = Trim(key);
    std::string_view found;
    bool present = false;
    ForEachKeyOf(content, section, [&](std::string_view name, std::string_view value) {
        if (!EqualsNoCaseAscii(name, key)) {
            return true;
        }
        found = value;
        present = true;
        return false;
    });
    return present ? ReadableValue(found) : std::string(CutToCharacters(def, MaxValueCharacters));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    std::string text = ReadString(section, key, "");
    int value = def;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    bool parsed = hex ? ParseHex(std::string_view(text).substr(2), value) : ParseDecimal(text, value);
    return parsed ? value : def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    std::string content = LoadForUpdate();
    Store(content, WithValue(content, section, key, value));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const
{
    std::string content = Load();
    std::vector<std::string> keys;
    std::unordered_set<std::string> seen;
    ForEachKeyOf(content, section, [&](std::string_view name, std::string_view) {
        if (seen.insert(LowerAscii(name)).second) {
            keys.emplace_back(name);
        }
        return true;
    });
    return keys;
}

std::vector<std::string> IniFile::ReadSectionValues(std::string_view section) const
{
    std::string content = Load();
    std::vector<std::string> entries;
    std::unordered_set<std::string> seen;
    ForEachKeyOf(content, section, [&](std::string_view name, std::string_view value) {
        if (seen.insert(LowerAscii(name)).second) {
            entries.push_back(std::string(name) + "=" + ReadableValue(value));
        }
        return true;
    });
    return entries;
}

void IniFile::EraseSection(std::string_view section)
{
    std::string content = LoadForUpdate();
    Store(content, WithoutSection(content, section));
}

bool IniFile::SectionExists(std::string_view section) const
{
    std::string content = Load();
    return ForEachKeyOf(content, section, [](std::string_view, std::string_view) { return false; });
}

IniFile IniFile::Snapshot(std::string fileName)
{
    IniFile ini(std::move(fileName));
    ini.FContent = ini.Load();
    return ini;
}

std::string IniFile::Load() const
{
    if (FContent) {
        return *FContent;
    }
    SysResult<std::string> content = ReadWholeFile(FFileName);
    return content.Ok() ? std::move(content.Value()) : std::string();
}

std::string IniFile::LoadForUpdate() const
{
    // Even a snapshot's write starts from the file as it is now: another program's change since
    // is kept, not undone.
    SysResult<std::string> content = ReadWholeFile(FFileName);
    if (content.Ok()) {
        return std::move(content.Value());
    }
    if (content.Error() == ENOENT) {
        return {};
    }
    throw IniWriteError(FFileName, content.Error());
}

void IniFile::Store(const std::string& oldContent, const std::string& newContent)
{
    if (FContent) {
        FContent = newContent;
    }
    if (newContent == oldContent) {
        return;
    }
    SysStatus written = WriteFileAtomically(FFileName, newContent);
    if (!written) {
        throw IniWriteError(FFileName, written.Error());
    }
}

} // namespace Tandemix
