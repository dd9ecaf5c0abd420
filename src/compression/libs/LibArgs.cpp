// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/libs/LibArgs.h"

#include "platform/Wildcard.h"

#include <algorithm>

namespace Tandemix::ZipLib {

namespace {

bool IsSwitch(const std::string& arg)
{
    return arg.size() == 2 && arg[0] == '-';
}

std::string LastComponent(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AnyMatch(const std::string& name, const std::vector<std::string>& masks)
{
    return std::any_of(masks.begin(), masks.end(), [&](const std::string& mask) {
        return MatchesMask(name, LastComponent(mask));
    });
}

} // namespace

std::optional<WriteRequest> ParseWriteArguments(const std::vector<std::string>& args)
{
    if (args.empty()) {
        return std::nullopt;
    }
    WriteRequest request;
    request.Password = args[0];
    std::size_t i = 1;
    auto value = [&](std::string& into) {
        if (i + 1 >= args.size()) {
            return false;
        }
        into = args[++i];
        return true;
    };
    for (; i < args.size() && IsSwitch(args[i]); ++i) {
        char letter = args[i][1];
        bool ok = true;
        switch (letter) {
        case 'f':
            request.Mode = WriteMode::Freshen;
            break;
        case 'u':
            request.Mode = WriteMode::Update;
            break;
        case 'd':
            request.Mode = WriteMode::Delete;
            break;
        case 'e':
            request.Encrypt = true;
            break;
        case 'm':
            request.MoveFiles = true;
            break;
        case 'S':
            request.Hidden = true;
            break;
        case 'D':
            request.DirectoryEntries = true;
            break;
        case '$':
            request.VolumeLabel = true;
            break;
        case 'r':
            request.Recurse = true;
            break;
        case 'j':
            request.JunkPaths = true;
            break;
        case 'g':
            request.NoTempFile = true;
            break;
        case '!':
            request.Multidisk = true;
            break;
        case '&':
            request.ClearDisks = true;
            break;
        case 'b':
            ok = value(request.TempPath);
            break;
        case 'n':
            ok = value(request.StoredExtensions);
            break;
        case 't':
            ok = value(request.FromDate);
            break;
        default:
            if (letter >= '0' && letter <= '9') {
                request.Level = letter - '0';
            } else {
                ok = false;
            }
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (i >= args.size()) {
        return std::nullopt;
    }
    request.Archive = args[i++];
    std::vector<std::string>* into = &request.Items;
    for (; i < args.size(); ++i) {
        if (args[i] == "-i") {
            into = &request.Includes;
        } else if (args[i] == "-x") {
            into = &request.Excludes;
        } else {
            into->push_back(args[i]);
        }
    }
    return request;
}

std::optional<ReadRequest> ParseReadArguments(const std::vector<std::string>& args)
{
    if (args.empty()) {
        return std::nullopt;
    }
    ReadRequest request;
    request.Password = args[0];
    std::size_t i = 1;
    for (; i < args.size() && IsSwitch(args[i]); ++i) {
        switch (args[i][1]) {
        case 'f':
            request.Mode = ReadMode::Freshen;
            break;
        case 'u':
            request.Mode = ReadMode::Update;
            break;
        case 'v':
            request.Mode = ReadMode::List;
            break;
        case 'j':
            request.JunkPaths = true;
            break;
        case '!':
            request.Multidisk = true;
            break;
        case 'n':
            request.Replace = Overwrite::Never;
            break;
        case 'o':
            request.Replace = Overwrite::Always;
            break;
        default:
            return std::nullopt;
        }
    }
    if (i >= args.size()) {
        return std::nullopt;
    }
    request.Archive = args[i++];
    std::vector<std::string>* into = &request.Items;
    for (; i < args.size(); ++i) {
        if (args[i] == "-x") {
            into = &request.Excludes;
        } else if (args[i] == "-d" && i + 2 == args.size()) {
            // The extract folder is always the last pair of the list.
            request.Folder = args[++i];
        } else {
            into->push_back(args[i]);
        }
    }
    return request;
}

bool Selected(const std::string& name,
              const std::vector<std::string>& items,
              const std::vector<std::string>& includes,
              const std::vector<std::string>& excludes)
{
    if (!items.empty() && !AnyMatch(name, items)) {
        return false;
    }
    if (!includes.empty() && !AnyMatch(name, includes)) {
        return false;
    }
    return !AnyMatch(name, excludes);
}

} // namespace Tandemix::ZipLib
