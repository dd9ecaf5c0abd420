// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Mounts.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// Network shares are mounted and unmounted with the desktop's `gio mount`: a share mounted so
// appears as a folder below the gvfs mount (/run/user/<uid>/gvfs/smb-share:server=s,share=d),
// one folder per share. Shares mounted by the system (nfs, cifs in /etc/fstab) are their own
// mount points.

enum class ShareKind
{
    Smb, // smb://server/share
    Sftp, // sftp://user@server/path
    WebDav, // dav://server/path
    WebDavSecure, // davs://server/path
};

struct ShareAddress
{
    ShareKind Kind = ShareKind::Smb;
    std::string Server; // a host name, an IPv4 address or an IPv6 one in brackets
    std::string Path; // the share and any folder below it; may be empty for sftp and WebDAV
    std::string User; // empty: ask nobody for one
    std::string Domain; // SMB only
    int Port = 0; // 0: the protocol's own
    std::string Password; // handed to gio on its input, never on the command line
};

// The location `gio mount` is given: names percent-encoded, nothing the shell or gio could read
// as anything but a location. Nothing when the address is unusable: no server, a server that is
// no host name, an SMB address without a share, a port out of range.
std::optional<std::string> ShareUrl(const ShareAddress& address);

// The argument lists; the program is argv[0].
std::vector<std::string> MountArguments(const std::string& url);
std::vector<std::string> UnmountArguments(const std::string& location);
// The answers gio reads on its input when the share asks (user, domain, password for SMB; user
// and password for WebDAV; the password for SFTP), one a line.
std::string MountAnswers(const ShareAddress& address);

// The location of a share from its folder below the gvfs mount ("smb-share:server=s,share=d"
// is smb://s/d); nothing for a folder name that is no share the location can be built from.
std::optional<std::string> UrlOfShareFolder(std::string_view folderName);

// The drive-box entry of a folder on a network share: the share's own folder below the gvfs
// mount, or the mount point of a share the system mounted. Empty when the folder is not on one.
std::string NetworkRootOf(const std::vector<MountInfo>& mounts, const std::string& resolvedFolder);

// Every mounted share: the folders below each gvfs mount, then the other network mount points.
std::vector<std::string> MountedShares(const std::vector<MountInfo>& mounts);

} // namespace Tandemix
