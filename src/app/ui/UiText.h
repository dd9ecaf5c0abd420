// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/AppInfo.h"

#include <QString>

#include <string>
#include <string_view>

namespace Tandemix {

// Core texts are UTF-8; these are the only conversions the window needs.
inline QString UiText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString UiText(const char* text)
{
    return QString::fromUtf8(text);
}

inline std::string CoreText(const QString& text)
{
    return text.toStdString();
}

} // namespace Tandemix
