// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
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
