// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Options.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace Tandemix {

inline constexpr const char* PasswordFileName = "Tandemix.PWL";

// Where the archive password and the administrator password are kept between runs. Loading the
// default configuration reads them through this seam, so the loader does not depend on the
// password file's format.
class PasswordStore
{
public:
    virtual ~PasswordStore() = default;

    // {archive password, administrator password} from the password file in `programFolder`
    // (with its trailing '/'); nothing when there is no such file.
    virtual std::optional<std::pair<std::string, std::string>>
    ReadPasswords(const std::string& programFolder) = 0;
};

// The password file itself: two CR LF lines, the scrambled archive password, then the scrambled
// administrator password.
class FilePasswordStore : public PasswordStore
{
public:
    std::optional<std::pair<std::string, std::string>>
    ReadPasswords(const std::string& programFolder) override;
};

// Writes both passwords to the password file in `programFolder` (with its trailing '/'), crash
// safe and readable by the owner only. Returns the errno, 0 when written.
int WritePasswordFile(const std::string& programFolder, const std::string& archive, const std::string& admin);

// A running-key scrambler over bytes: the result has the same length, and
// UnscrambleText(ScrambleText(t)) == t for every t. It keeps the passwords from being read at a
// glance; it is no encryption.
std::string ScrambleText(std::string_view text);
std::string UnscrambleText(std::string_view text);

// A scrambled text as one line of the password file: CR and LF (and the escape byte itself)
// are escaped, so the two-line file always reads back. LineToScrambled undoes it.
std::string ScrambledToLine(std::string_view scrambled);
std::string LineToScrambled(std::string_view line);

// The "Change Password" rule: the old password must match the current archive password exactly
// (an empty one is matched by an empty entry). A new password that differs changes it and
// enables Save Password; the same one changes nothing. False when the old one does not match.
bool ChangeArchivePassword(Options& opts, const std::string& oldPassword, const std::string& newPassword);

// A store that never has a password file: both passwords stay as they are.
class NoPasswordStore : public PasswordStore
{
public:
    std::optional<std::pair<std::string, std::string>> ReadPasswords(const std::string&) override
    {
        return std::nullopt;
    }
};

} // namespace Tandemix
