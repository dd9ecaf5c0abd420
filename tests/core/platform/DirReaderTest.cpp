// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DirReader.h"

#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

namespace Tandemix {
namespace {

SysResult<std::vector<DirEntry>> ReadFolder(const std::string& folder, bool withArchive = true)
{
    std::vector<DirEntry> entries;
    SysStatus status = ForEachEntry(
        folder,
        [&entries](const DirEntry& entry) {
            entries.push_back(entry);
            return true;
        },
        withArchive);
    if (!status) {
        return SysResult<std::vector<DirEntry>>::Failure(status.Error(), status.Call());
    }
    return entries;
}

class DirReaderTest : public testing::Test
{
protected:
    std::map<std::string, DirEntry> Listing(const std::string& folder, bool withArchive = true)
    {
        SysResult<std::vector<DirEntry>> entries = ReadFolder(folder, withArchive);
        EXPECT_TRUE(entries.Ok()) << entries.Call() << " " << entries.Error();
        std::map<std::string, DirEntry> byName;
        for (const DirEntry& entry : *entries) {
            EXPECT_TRUE(byName.emplace(entry.Name, entry).second) << "listed twice: " << entry.Name;
        }
        return byName;
    }

    std::vector<std::string> Names(const SysResult<std::vector<DirEntry>>& entries)
    {
        EXPECT_TRUE(entries.Ok()) << entries.Call() << " " << entries.Error();
        std::vector<std::string> names;
        for (const DirEntry& entry : *entries) {
            names.push_back(entry.Name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void AddSocket(const std::string& rel)
    {
        std::string path = Tree.Path(rel);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0)
            << std::strerror(errno);
        ::close(fd);
    }

    TempTree Tree;
};

TEST_F(DirReaderTest, ListsFilesFoldersLinksAndDotFiles)
{
    Tree.AddFile("plain.txt", 1234, TreeTime(timespec{1600000000, 123456789}));
    Tree.AddFile(".hidden", "x");
    Tree.AddFile("locked", "x", {}, 0444);
    Tree.AddFile("sub/inner", "not listed at this level");
    Tree.SetTime("sub", TreeTime(1500000000));
    for (const char* name : {"caf\xE9", "bad\xFFname\x80", "ünïcödé"}) { // names are bytes
        Tree.AddFile(name, "a");
    }

    std::map<std::string, DirEntry> listing = Listing(Tree.Root());
    ASSERT_EQ(listing.size(), 7u);
    EXPECT_EQ(listing.at("bad\xFFname\x80").Size, 1);
    EXPECT_EQ(listing.count("caf\xE9"), 1u);

    const DirEntry& plain = listing.at("plain.txt");
    EXPECT_FALSE(plain.IsDir);
    EXPECT_FALSE(plain.IsLink);
    EXPECT_EQ(plain.Size, 1234);
    EXPECT_EQ(plain.MTime.tv_sec, 1600000000);
    EXPECT_EQ(plain.MTime.tv_nsec, 123456789);
    EXPECT_EQ(plain.ATime.tv_sec, 1600000000);
    EXPECT_EQ(plain.Attr, Attr::Archive);

    EXPECT_EQ(listing.at(".hidden").Attr, Attr::Hidden | Attr::Archive);
    EXPECT_EQ(listing.at("locked").Attr, Attr::ReadOnly | Attr::Archive);

    const DirEntry& sub = listing.at("sub");
    EXPECT_TRUE(sub.IsDir);
    EXPECT_EQ(sub.Size, 0);
    EXPECT_EQ(sub.MTime.tv_sec, 1500000000);
    EXPECT_EQ(sub.Attr & Attr::Directory, Attr::Directory);
}

TEST_F(DirReaderTest, SubFoldersAreFoldersOnlyHiddenIncludedLinksNever)
{
    Tree.AddFolder("plain");
    Tree.AddFolder(".hidden");
    Tree.AddFile("file.txt", "x");
    Tree.AddSymlink("link-to-folder", Tree.Path("plain"));
    std::vector<std::string> names;
    SysStatus read = ForEachSubFolder(Tree.Root(), [&](const std::string& name) {
        names.push_back(name);
        return true;
    });
    ASSERT_TRUE(read.Ok());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "plain"}));
    EXPECT_FALSE(ForEachSubFolder(Tree.Path("missing"), [](const std::string&) { return true; }).Ok());
}

// Unless asked for, and then only flagged: the listing must know a name is taken.
TEST_F(DirReaderTest, NeverListsFifosSocketsOrDevicesAsFiles)
{
    Tree.AddFile("file", "x");
    ASSERT_EQ(::mkfifo(Tree.Path("fifo").c_str(), 0644), 0);
    AddSocket("socket");
    std::map<std::string, bool> expected{{"file", false}, {"fifo", true}, {"socket", true}};
    if (::mknod(Tree.Path("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
        expected["null"] = true;
    } else {
        std::fprintf(stderr, "no device node (%s): devices not covered\n", std::strerror(errno));
    }
    std::map<std::string, DirEntry> listing = Listing(Tree.Root());
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing.begin()->first, "file");

    std::map<std::string, bool> special;
    auto visit = [&special](const DirEntry& entry) {
        special[entry.Name] = entry.IsSpecial;
        return true;
    };
    ASSERT_TRUE(ForEachEntry(Tree.Root(), visit, EntryOptions{true, true}).Ok());
    EXPECT_EQ(special, expected);
}

TEST_F(DirReaderTest, SymlinkIsListedAsItselfAndNeverFollowed)
{
    Tree.AddFolder("outside");
    Tree.AddFile("outside/big", 100000, TreeTime(1000000000));
    Tree.AddFolder("walk");
    Tree.AddSymlink("walk/to-folder", "../outside");
    Tree.AddSymlink("walk/to-file", "../outside/big");
    Tree.AddSymlink("walk/dangling", "nowhere");
    Tree.AddSymlink("walk/loop", ".");
    Tree.SetTime("walk/to-file", TreeTime(1700000000));

    std::map<std::string, DirEntry> listing = Listing(Tree.Path("walk"));
    ASSERT_EQ(listing.size(), 4u);
    for (const auto& [name, entry] : listing) {
        EXPECT_TRUE(entry.IsLink) << name;
        EXPECT_FALSE(entry.IsDir) << name << ": a walker must not enter it";
        EXPECT_EQ(entry.Attr & Attr::Directory, 0u) << name;
    }
    const DirEntry& toFile = listing.at("to-file");
    EXPECT_EQ(toFile.Size, static_cast<std::int64_t>(std::strlen("../outside/big"))) << "the link's own size";
    EXPECT_EQ(toFile.MTime.tv_sec, 1700000000) << "the link's own time";
}

TEST_F(DirReaderTest, ArchiveOnlyWhenAskedVisitorStopsAndNoDescriptorIsLeft)
{
    std::string file = Tree.AddFile("f", "x");
    ASSERT_TRUE(ResetArchive(file).Ok());
    Tree.AddFile("g", "x");
    EXPECT_EQ(Listing(Tree.Root()).at("f").Attr, Attr::Normal);
    EXPECT_EQ(Listing(Tree.Root(), false).at("f").Attr, Attr::Archive);
    int visits = 0;
    EXPECT_TRUE(ForEachEntry(Tree.Root(), [&visits](const DirEntry&) { return ++visits == 0; }).Ok());
    EXPECT_EQ(visits, 1);
    auto openDescriptors = [] {
        std::size_t count = 0;
        for (auto it = std::filesystem::directory_iterator("/proc/self/fd"); it != decltype(it)(); ++it) {
            ++count;
        }
        return count;
    };
    std::size_t before = openDescriptors();
    for (int i = 0; i < 3; ++i) {
        (void)ReadFolder(Tree.Root());
        (void)ForEachSubFolder(Tree.Root(), [](const std::string&) { return true; });
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(DirReaderTest, FolderThatCannotBeReadIsAnErrorNotAnEmptyOrPartialListing)
{
    EXPECT_EQ(ReadFolder(Tree.Path("missing")).Error(), ENOENT);
    Tree.AddFile("file", "x");
    EXPECT_EQ(ReadFolder(Tree.Path("file")).Error(), ENOTDIR);
    Tree.AddFile("closed/a", "x");
    Tree.AddFile("listable-only/a", "x");
    {
        ScopedFault fault({FaultOp::Open, EACCES, "closed"});
        EXPECT_EQ(ReadFolder(Tree.Path("closed")).Error(), EACCES);
        EXPECT_TRUE(ReadFolder(Tree.Root()).Ok()) << "the fault is for one path only";
    }
    ASSERT_EQ(::chmod(Tree.Path("closed").c_str(), 0), 0);
    // Names can be read but not looked up: every fstatat fails.
    ASSERT_EQ(::chmod(Tree.Path("listable-only").c_str(), 0444), 0);
    ScopedNoDacOverride noOverride;
    if (!noOverride.Active()) {
        GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE here, so permission bits do not bite";
    }
    EXPECT_EQ(ReadFolder(Tree.Path("closed")).Error(), EACCES);
    EXPECT_EQ(ReadFolder(Tree.Path("listable-only")).Error(), EACCES);
}

} // namespace
} // namespace Tandemix
