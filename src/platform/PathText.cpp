// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathText.h"

namespace Tandemix {

std::string_view WithoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return path;
}

std::string_view LastComponent(std::string_view path)
{
    path = WithoutTrailingSlashes(path);
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ParentFolder(std::string_view path)
{
    path = WithoutTrailingSlashes(path);
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

} // namespace Tandemix
