// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: the input as text, and a scratch file for the readers that take a
// path (the same file each time, in a folder of its own).
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace Tandemix::Fuzz {

inline std::string_view Text(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

inline const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/tandemix-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern + "/";
    }();
    return folder;
}

// Writes the input to `name` in the scratch folder and gives its path.
inline std::string AsFile(std::string_view text, const char* name)
{
    std::string path = ScratchFolder() + name;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::abort();
    }
    for (std::size_t done = 0; done < text.size();) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return path;
}

// A property every input must keep; a failure is a finding like a crash.
inline void Require(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

} // namespace Tandemix::Fuzz
