// SPDX-License-Identifier: GPL-3.0-or-later
// Network shares: the locations and argument lists handed to `gio mount`, the share folders
// below the gvfs mount read back, and the drive-box entry of a folder on a share.
#include "filemanager/NetworkShares.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

// Table rows name only the fields that matter to them.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

TEST(ShareUrlTest, BuildsOnlyLocationsThatAreNothingElse)
{
    using enum ShareKind;
    const std::tuple<const char*, ShareAddress, std::optional<std::string>> rows[] = {
        {"Smb", {Smb, "nas", "backup"}, "smb://nas/backup"},
        {"SmbDeepWithUserAndDomain",
         {Smb, "nas.local", "/backup/2024", "anna", "OFFICE"},
         "smb://OFFICE;anna@nas.local/backup/2024"},
        {"SmbWithoutShare", {Smb, "nas", ""}, std::nullopt},
        {"SftpWithPort", {Sftp, "10.0.0.5", "", "bob", "", 2222}, "sftp://bob@10.0.0.5:2222/"},
        {"WebDav", {WebDav, "cloud", "remote.php/dav"}, "dav://cloud/remote.php/dav"},
        {"WebDavSecureIpv6", {WebDavSecure, "[fe80::1]", "files"}, "davs://[fe80::1]/files"},
        {"OddCharactersAreEncoded",
         {Smb, "nas", "my share/#1?;x", "a@b", ""},
         "smb://a%40b@nas/my%20share/%231%3F%3Bx"},
        {"NoServer", {Smb, "", "x"}, std::nullopt},
        {"ServerLikeAnOption", {Smb, "-oProxyCommand=x", "x"}, std::nullopt},
        {"ServerWithSlash", {Sftp, "host/evil", ""}, std::nullopt},
        {"ServerWithBlank", {Sftp, "my host", ""}, std::nullopt},
        {"PortOutOfRange", {Sftp, "host", "", "", "", 70000}, std::nullopt},
    };
    for (const auto& [name, address, url] : rows) {
        EXPECT_EQ(ShareUrl(address), url) << name;
    }
}

TEST(GioArgumentsTest, TheLocationIsNeverAnOptionAndThePasswordNeverAnArgument)
{
    EXPECT_EQ(MountArguments("smb://nas/b"), (std::vector<std::string>{"gio", "mount", "--", "smb://nas/b"}));
    EXPECT_EQ(UnmountArguments("/run/user/0/gvfs/x"),
              (std::vector<std::string>{"gio", "mount", "-u", "--", "/run/user/0/gvfs/x"}));
    ShareAddress smb{ShareKind::Smb, "nas", "b", "anna", "OFFICE", 0, "s3cret"};
    EXPECT_EQ(MountAnswers(smb), "anna\nOFFICE\ns3cret\n");
    EXPECT_EQ(ShareUrl(smb), "smb://OFFICE;anna@nas/b");
    EXPECT_EQ(MountAnswers({ShareKind::Sftp, "h", "", "bob", "", 0, "pw"}), "pw\n");
    EXPECT_EQ(MountAnswers({ShareKind::WebDavSecure, "h", "", "bob", "", 0, "pw"}), "bob\npw\n");
}

TEST(UrlOfShareFolderTest, GvfsFolderNamesReadBackAsLocations)
{
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        {"smb-share:server=nas,share=backup", "smb://nas/backup"},
        {"smb-share:domain=OFFICE,server=nas,share=my%20docs,user=anna", "smb://anna@nas/my%20docs"},
        {"sftp:host=10.0.0.5,port=2222,user=bob", "sftp://bob@10.0.0.5:2222/"},
        {"dav:host=cloud,ssl=true,prefix=%2Fremote.php", "davs://cloud/remote.php"},
        {"dav:host=cloud,ssl=false", "dav://cloud/"},
        {"smb-share:server=nas", std::nullopt},
        {"sftp:host=-oEvil", std::nullopt},
        {"sftp:host=h,port=22x", std::nullopt},
        {"ftp:host=h", std::nullopt},
        {"plainfolder", std::nullopt},
    };
    for (const auto& [name, url] : rows) {
        EXPECT_EQ(UrlOfShareFolder(name), url) << name;
    }
}

TEST(NetworkRootOfTest, AShareIsItsMountOrItsFolderBelowTheGvfsMount)
{
    const std::vector<MountInfo> mounts = {{"/", "ext4", "/dev/sda1"},
                                           {"/mnt/nfs", "nfs4", "server:/export"},
                                           {"/run/user/1000/gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse"},
                                           {"/media/usb", "vfat", "/dev/sdb1"}};
    const std::pair<std::string, std::string> rows[] = {
        {"/mnt/nfs/photos/2024", "/mnt/nfs"},
        {"/mnt/nfs", "/mnt/nfs"},
        {"/run/user/1000/gvfs/smb-share:server=nas,share=b/deep/er",
         "/run/user/1000/gvfs/smb-share:server=nas,share=b"},
        {"/run/user/1000/gvfs/sftp:host=h", "/run/user/1000/gvfs/sftp:host=h"},
        {"/run/user/1000/gvfs", ""},
        {"/media/usb/x", ""},
        {"/home/anna", ""},
        {"/mnt/nfsx", ""},
    };
    for (const auto& [folder, root] : rows) {
        EXPECT_EQ(NetworkRootOf(mounts, folder), root) << folder;
    }
}

TEST(MountedSharesTest, ListsEachShareFolderOfTheGvfsMountThenTheSystemShares)
{
    TempTree tree;
    tree.AddFolder("gvfs/smb-share:server=nas,share=b");
    tree.AddFolder("gvfs/sftp:host=h");
    tree.AddFile("gvfs/not-a-share", "x");
    const std::vector<MountInfo> mounts = {{"/", "ext4", "/dev/sda1"},
                                           {"/mnt/nfs", "nfs4", "server:/export"},
                                           {tree.Path("gvfs"), "fuse.gvfsd-fuse", "gvfsd-fuse"}};
    std::vector<std::string> shares = MountedShares(mounts);
    std::sort(shares.begin(), shares.end() - 1);
    EXPECT_EQ(shares,
              (std::vector<std::string>{tree.Path("gvfs/sftp:host=h"),
                                        tree.Path("gvfs/smb-share:server=nas,share=b"),
                                        "/mnt/nfs"}));
}

} // namespace
} // namespace Tandemix
