// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/NetworkShares.h"

#include "platform/DirReader.h"
#include "platform/PathText.h"

#include <algorithm>
#include <cstdio>

namespace Tandemix {

namespace {

constexpr std::string_view GvfsType = "fuse.gvfsd-fuse";

bool Unreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
           || c == '_' || c == '~';
}

// Every byte but the unreserved ones (and '/' where `slashes` allows) as %XX: a blank, '@',
// '?', '#' or ';' in a name stays part of the name.
std::string Encoded(std::string_view text, bool slashes)
{
    std::string out;
    for (char c : text) {
        if (Unreserved(c) || (slashes && c == '/')) {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        }
    }
    return out;
}

bool ValidServer(std::string_view server)
{
    if (server.empty() || server.front() == '-' || server.front() == '.') {
        return false;
    }
    if (server.front() == '[') {
        return server.size() > 2 && server.back() == ']'
               && std::all_of(server.begin() + 1, server.end() - 1, [](char c) {
                      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')
                             || c == ':' || c == '.';
                  });
    }
    return std::all_of(server.begin(), server.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
               || c == '.' || c == '_';
    });
}

std::string_view Scheme(ShareKind kind)
{
    switch (kind) {
    case ShareKind::Smb:
        return "smb";
    case ShareKind::Sftp:
        return "sftp";
    case ShareKind::WebDav:
        return "dav";
    case ShareKind::WebDavSecure:
        return "davs";
    }
    return "smb";
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Decoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0
            && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// "key=value" of a gvfs share folder's name ("smb-share:server=s,share=d"), whose values gvfs
// writes escaped; empty when absent.
std::string Field(std::string_view fields, std::string_view key)
{
    while (!fields.empty()) {
        std::size_t comma = fields.find(',');
        std::string_view field = fields.substr(0, comma);
        fields = comma == std::string_view::npos ? std::string_view() : fields.substr(comma + 1);
        if (field.size() > key.size() && field.starts_with(key) && field[key.size()] == '=') {
            return Decoded(field.substr(key.size() + 1));
        }
    }
    return {};
}

const MountInfo* HoldingMount(const std::vector<MountInfo>& mounts, const std::string& folder)
{
    std::string point = LongestMountPrefix(mounts, folder);
    const MountInfo* found = nullptr;
    for (const MountInfo& mount : mounts) {
        if (mount.MountPoint == point) {
            found = &mount; // the last one mounted there is the one seen
        }
    }
    return found;
}

} // namespace

std::optional<std::string> ShareUrl(const ShareAddress& address)
{
    if (!ValidServer(address.Server) || address.Port < 0 || address.Port > 65535) {
        return std::nullopt;
    }
    std::string_view path = address.Path;
    while (path.starts_with('/')) {
        path.remove_prefix(1);
    }
    if (address.Kind == ShareKind::Smb && path.empty()) {
        return std::nullopt;
    }
    std::string url = std::string(Scheme(address.Kind)) + "://";
    if (!address.User.empty()) {
        if (address.Kind == ShareKind::Smb && !address.Domain.empty()) {
            url += Encoded(address.Domain, false) + ";";
        }
        url += Encoded(address.User, false) + "@";
    }
    url += address.Server;
    if (address.Port != 0) {
        url += ":" + std::to_string(address.Port);
    }
    url += "/" + Encoded(path, true);
    return url;
}

std::vector<std::string> MountArguments(const std::string& url)
{
    // "--" first: a location can never be taken for an option.
    return {"gio", "mount", "--", url};
}

std::vector<std::string> UnmountArguments(const std::string& location)
{
    return {"gio", "mount", "-u", "--", location};
}

std::string MountAnswers(const ShareAddress& address)
{
    switch (address.Kind) {
    case ShareKind::Smb:
        return address.User + "\n" + address.Domain + "\n" + address.Password + "\n";
    case ShareKind::Sftp:
        return address.Password + "\n";
    case ShareKind::WebDav:
    case ShareKind::WebDavSecure:
        return address.User + "\n" + address.Password + "\n";
    }
    return {};
}

std::optional<std::string> UrlOfShareFolder(std::string_view name)
{
    std::size_t colon = name.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view kind = name.substr(0, colon);
    std::string_view fields = name.substr(colon + 1);
    std::string host = Field(fields, kind == "smb-share" ? "server" : "host");
    if (!ValidServer(host)) {
        return std::nullopt;
    }
    std::string user = Field(fields, "user");
    std::string at = user.empty() ? std::string() : Encoded(user, false) + "@";
    std::string port = Field(fields, "port");
    if (!port.empty()) {
        if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        host += ":" + port;
    }
    if (kind == "smb-share") {
        std::string share = Field(fields, "share");
        if (share.empty()) {
            return std::nullopt;
        }
        return "smb://" + at + host + "/" + Encoded(share, false);
    }
    if (kind == "sftp") {
        return "sftp://" + at + host + "/";
    }
    if (kind == "dav") {
        std::string prefix = Field(fields, "prefix");
        while (prefix.starts_with('/')) {
            prefix.erase(0, 1);
        }
        std::string scheme = Field(fields, "ssl") == "true" ? "davs://" : "dav://";
        return scheme + at + host + "/" + Encoded(prefix, true);
    }
    return std::nullopt;
}

std::string NetworkRootOf(const std::vector<MountInfo>& mounts, const std::string& folder)
{
    const MountInfo* mount = HoldingMount(mounts, folder);
    if (mount == nullptr || !IsNetworkFileSystem(mount->FsType)) {
        return {};
    }
    if (mount->FsType != GvfsType) {
        return mount->MountPoint;
    }
    // Below the gvfs mount each share is a folder of its own.
    std::string base(WithoutTrailingSlashes(mount->MountPoint));
    if (folder.size() <= base.size() + 1) {
        return {};
    }
    std::string_view rest = std::string_view(folder).substr(base.size() + 1);
    return base + "/" + std::string(rest.substr(0, rest.find('/')));
}

std::vector<std::string> MountedShares(const std::vector<MountInfo>& mounts)
{
    std::vector<std::string> shares;
    auto add = [&shares](std::string share) {
        if (std::find(shares.begin(), shares.end(), share) == shares.end()) {
            shares.push_back(std::move(share));
        }
    };
    for (const MountInfo& mount : mounts) {
        if (mount.FsType == GvfsType) {
            std::string base(WithoutTrailingSlashes(mount.MountPoint));
            (void)ForEachSubFolder(base, [&](const std::string& name) {
                add(base + "/" + name);
                return true;
            });
        }
    }
    for (const MountInfo& mount : mounts) {
        if (mount.FsType != GvfsType && IsNetworkFileSystem(mount.FsType)) {
            add(mount.MountPoint);
        }
    }
    return shares;
}

} // namespace Tandemix
