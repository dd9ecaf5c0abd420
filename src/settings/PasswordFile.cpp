// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PasswordFile.h"

#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdint>

namespace Tandemix {

namespace {

constexpr std::uint32_t Seed = 731;
constexpr std::uint32_t Step1 = 40169;
constexpr std::uint32_t Step2 = 17393;

// Both directions advance the key by the scrambled byte, so each undoes the other.
std::string Run(std::string_view text, bool scramble)
{
    std::string out(text.size(), '\0');
    std::uint32_t key = Seed;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto in = static_cast<std::uint8_t>(text[i]);
        auto result = static_cast<std::uint8_t>(in ^ ((key >> 8) & 0xFF));
        out[i] = static_cast<char>(result);
        key += (scramble ? result : in) + Step1 + Step2;
    }
    return out;
}

constexpr char Escape = '\x10';

} // namespace

std::string ScrambleText(std::string_view text)
{
    return Run(text, true);
}

std::string UnscrambleText(std::string_view text)
{
    return Run(text, false);
}

std::string ScrambledToLine(std::string_view scrambled)
{
    std::string line;
    line.reserve(scrambled.size());
    for (char c : scrambled) {
        if (c == '\r') {
            line += {Escape, 'r'};
        } else if (c == '\n') {
            line += {Escape, 'n'};
        } else if (c == Escape) {
            line += {Escape, Escape};
        } else {
            line.push_back(c);
        }
    }
    return line;
}

std::string LineToScrambled(std::string_view line)
{
    std::string scrambled;
    scrambled.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == Escape && i + 1 < line.size()) {
            char next = line[i + 1];
            if (next == 'r' || next == 'n' || next == Escape) {
                scrambled.push_back(next == 'r' ? '\r' : next == 'n' ? '\n' : Escape);
                ++i;
                continue;
            }
        }
        scrambled.push_back(c);
    }
    return scrambled;
}

std::optional<std::pair<std::string, std::string>>
FilePasswordStore::ReadPasswords(const std::string& programFolder)
{
    SysResult<std::string> content = ReadWholeFile(programFolder + PasswordFileName);
    if (!content.Ok()) {
        return std::nullopt;
    }
    // Lines end in CR LF; a bare LF is taken too, from a file edited by hand.
    std::string lines[2];
    std::string_view rest = content.Value();
    for (std::string& line : lines) {
        std::size_t end = rest.find('\n');
        std::string_view raw = rest.substr(0, end);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        line = UnscrambleText(LineToScrambled(raw));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return std::make_pair(lines[0], lines[1]);
}

int WritePasswordFile(const std::string& programFolder, const std::string& archive, const std::string& admin)
{
    std::string content =
        ScrambledToLine(ScrambleText(archive)) + "\r\n" + ScrambledToLine(ScrambleText(admin)) + "\r\n";
    SysStatus written = WriteFileAtomically(programFolder + PasswordFileName, content, 0600);
    return written.Ok() ? 0 : written.Error();
}

bool ChangeArchivePassword(Options& opts, const std::string& oldPassword, const std::string& newPassword)
{
    if (oldPassword != opts.PassWordName) {
        return false;
    }
    if (newPassword != opts.PassWordName) {
        opts.PassWordName = newPassword;
        opts.SavePasswordEnabled = true;
    }
    return true;
}

} // namespace Tandemix
