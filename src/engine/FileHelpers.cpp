// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileHelpers.h"

#include "platform/Attributes.h"
#include "platform/DiskSpace.h"

#include <cmath>
#include <cstdio>

namespace Tandemix {

namespace {

// Two decimals, thousands grouped, rounded half away from zero as the original did.
std::string TwoDecimals(double value)
{
    double cents = std::round(value * 100.0);
    auto whole = static_cast<std::int64_t>(cents / 100.0);
    auto fraction = static_cast<int>(cents - static_cast<double>(whole) * 100.0);
    char tail[8];
    std::snprintf(tail, sizeof tail, ".%02d", fraction);
    return GroupThousands(whole) + tail;
}

} // namespace

std::string GroupThousands(std::int64_t value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out;
    int count = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (count > 0 && count % 3 == 0) {
            out.insert(out.begin(), ',');
        }
        out.insert(out.begin(), *it);
        ++count;
    }
    if (value < 0) {
        out.insert(out.begin(), '-');
    }
    return out;
}

std::string FormatSize(std::int64_t bytes)
{
    if (bytes > GigabyteDivisor) {
        return TwoDecimals(static_cast<double>(bytes) / static_cast<double>(GigabyteDivisor)) + " GB";
    }
    if (bytes > 1048575) {
        return TwoDecimals(static_cast<double>(bytes) / 1048576.0) + " MB";
    }
    if (bytes > 1023) {
        return TwoDecimals(static_cast<double>(bytes) / 1024.0) + " KB";
    }
    if (bytes > 0) {
        return std::to_string(bytes) + " bytes";
    }
    return "0 bytes";
}

std::string AttrToLetters(std::uint32_t attr)
{
    std::string letters;
    if (attr & Attr::Archive) {
        letters += 'a';
    }
    if (attr & Attr::Directory) {
        letters += 'd';
    }
    if (attr & Attr::Volume) {
        letters += 'v';
    }
    if (attr & Attr::System) {
        letters += 's';
    }
    if (attr & Attr::Hidden) {
        letters += 'h';
    }
    if (attr & Attr::ReadOnly) {
        letters += 'r';
    }
    return letters;
}

std::uint32_t LettersToAttr(std::string_view letters)
{
    std::uint32_t attr = 0;
    if (letters.find('a') != std::string_view::npos) {
        attr |= Attr::Archive;
    }
    if (letters.find('s') != std::string_view::npos) {
        attr |= Attr::System;
    }
    if (letters.find('h') != std::string_view::npos) {
        attr |= Attr::Hidden;
    }
    if (letters.find('r') != std::string_view::npos) {
        attr |= Attr::ReadOnly;
    }
    return attr;
}

std::int64_t DriveFreeSpace(const std::string& root)
{
    return FreeSpace(root);
}

std::string RemoveSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ') {
            out += c;
        }
    }
    return out;
}

} // namespace Tandemix
