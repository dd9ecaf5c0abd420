// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DirReader.h"

#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "platform/FolderPrefetch.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

namespace Tandemix {
namespace {

class DirReaderTest : public Test::TreeFixture
{
protected:
    std::map<std::string, DirEntry> Listing(const std::string& folder, bool withArchive = true)
    {
        SysResult<std::vector<DirEntry>> entries = ReadFolderEntries(folder, EntryOptions{withArchive});
        EXPECT_TRUE(entries.Ok()) << entries.Call() << " " << entries.Error();
        std::map<std::string, DirEntry> byName;
        for (const DirEntry& entry : *entries) {
            EXPECT_TRUE(byName.emplace(entry.Name, entry).second) << "listed twice: " << entry.Name;
        }
        return byName;
    }
};

TEST_F(DirReaderTest, ListsFilesFoldersLinksAndDotFiles)
{
    Tree.AddFile("plain.txt", 1234, TreeTime(timespec{1600000000, 123456789}));
    Tree.AddFile(".hidden", "x");
    Tree.AddFile("sub/inner", "not listed at this level");
    Tree.SetTime("sub", TreeTime(1500000000));
    // A link to a folder is listed as itself, with its own size and time, and never entered.
    Tree.AddSymlink("to-sub", "sub");
    Tree.SetTime("to-sub", TreeTime(1700000000));
    for (const char* name : {"caf\xE9", "bad\xFFname\x80", "ünïcödé"}) { // names are bytes
        Tree.AddFile(name, "a");
    }

    std::map<std::string, DirEntry> listing = Listing(Tree.Root());
    ASSERT_EQ(listing.size(), 7u);
    EXPECT_EQ(std::tuple(listing.at("bad\xFFname\x80").Size, listing.count("caf\xE9")), std::tuple(1, 1u));

    // Folder, link, size, modified, its nanoseconds, accessed, attributes.
    auto fields = [](const DirEntry& e) {
        return std::tuple(e.IsDir, e.IsLink, e.Size, e.MTime.tv_sec, e.MTime.tv_nsec, e.ATime.tv_sec, e.Attr);
    };
    EXPECT_EQ(fields(listing.at("plain.txt")),
              std::tuple(false, false, 1234, 1600000000, 123456789, 1600000000, Attr::Archive));
    EXPECT_EQ(listing.at(".hidden").Attr, Attr::Hidden | Attr::Archive);
    EXPECT_EQ(fields(listing.at("sub")),
              std::tuple(true, false, 0, 1500000000, 0, 1500000000, Attr::Directory | Attr::Archive));
    EXPECT_EQ(fields(listing.at("to-sub")),
              std::tuple(false, true, 3, 1700000000, 0, 1700000000, Attr::Archive));
}

// A read on the worker must give what the caller's own read gives, entry for entry and in the
// folder's order, and nothing at all where it was not asked in exactly that way or failed.
TEST_F(DirReaderTest, ReadAheadGivesTheFoldersOwnListingOrNothing)
{
    for (int i = 0; i < 300; ++i) {
        Tree.AddFile("many/f" + std::to_string(i), i);
    }
    Tree.AddSymlink("many/link", "f1");
    Tree.AddFolder("many/sub");
    ASSERT_EQ(::mkfifo(Tree.Path("many/fifo").c_str(), 0600), 0);
    const std::string folder = Tree.Path("many") + "/";
    const EntryOptions options{false, true};
    const std::vector<DirEntry> own = ReadFolderEntries(folder, options).Value();

    FolderPrefetch prefetch;
    prefetch.Start(folder, options);
    std::optional<std::vector<DirEntry>> read = prefetch.Take(folder, options, {});
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->size(), own.size());
    for (std::size_t i = 0; i < own.size(); ++i) {
        const DirEntry& a = (*read)[i];
        const DirEntry& b = own[i];
        EXPECT_EQ(std::tuple(a.Name, a.IsDir, a.IsLink, a.IsSpecial, a.Size, a.MTime.tv_nsec, a.Attr),
                  std::tuple(b.Name, b.IsDir, b.IsLink, b.IsSpecial, b.Size, b.MTime.tv_nsec, b.Attr));
    }
    EXPECT_FALSE(prefetch.Take(folder, options, {}).has_value()) << "taken once only";

    prefetch.Start(folder, options);
    EXPECT_FALSE(prefetch.Take(Tree.Path("other/"), options, {}).has_value());
    EXPECT_FALSE(prefetch.Take(folder, EntryOptions{true, true}, {}).has_value());
    EXPECT_TRUE(prefetch.Take(folder, options, {}).has_value()) << "a mismatch leaves the read alone";
    prefetch.Start(Tree.Path("missing/"), options);
    EXPECT_FALSE(prefetch.Take(Tree.Path("missing/"), options, {}).has_value());
    prefetch.Start(folder, options); // dropped unread when the object ends
}

// Unless asked for, and then only flagged: the listing must know a name is taken.
TEST_F(DirReaderTest, NeverListsFifosSocketsOrDevicesAsFiles)
{
    Tree.AddFile("file", "x");
    ASSERT_EQ(::mkfifo(Tree.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mknod(Tree.Path("socket").c_str(), S_IFSOCK | 0644, 0), 0) << std::strerror(errno);
    std::map<std::string, bool> expected{{"file", false}, {"fifo", true}, {"socket", true}};
    if (::mknod(Tree.Path("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
        expected["null"] = true;
    } else {
        std::fprintf(stderr, "no device node (%s): devices not covered\n", std::strerror(errno));
    }
    ASSERT_EQ(Listing(Tree.Root()).size(), 1u);
    EXPECT_EQ(Listing(Tree.Root()).begin()->first, "file");

    std::map<std::string, bool> special;
    auto visit = [&special](const DirEntry& entry) {
        special[entry.Name] = entry.IsSpecial;
        return true;
    };
    ASSERT_TRUE(ForEachEntry(Tree.Root(), visit, EntryOptions{true, true}).Ok());
    EXPECT_EQ(special, expected);
}

TEST_F(DirReaderTest, ArchiveOnlyWhenAskedVisitorStopsAndNoDescriptorIsLeft)
{
    ASSERT_TRUE(ResetArchive(Tree.AddFile("f", "x")).Ok());
    Tree.AddFile("g", "x");
    EXPECT_EQ(Listing(Tree.Root()).at("f").Attr, Attr::Normal);
    EXPECT_EQ(Listing(Tree.Root(), false).at("f").Attr, Attr::Archive);
    int visits = 0;
    EXPECT_TRUE(ForEachEntry(Tree.Root(), [&visits](const DirEntry&) { return ++visits == 0; }).Ok());
    EXPECT_EQ(visits, 1);
    auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const auto before = openDescriptors();
    for (int i = 0; i < 3; ++i) {
        (void)ReadFolderEntries(Tree.Root(), {});
        (void)ForEachSubFolder(Tree.Root(), [](const std::string&) { return true; });
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(DirReaderTest, FolderThatCannotBeReadIsAnErrorNotAnEmptyOrPartialListing)
{
    EXPECT_EQ(ReadFolderEntries(Tree.Path("missing"), {}).Error(), ENOENT);
    EXPECT_EQ(ReadFolderEntries(Tree.AddFile("file", "x"), {}).Error(), ENOTDIR);
    Tree.AddFile("closed/a", "x");
    Tree.AddFile("listable-only/a", "x");
    {
        ScopedFault fault({FaultOp::Open, EACCES, "closed"});
        EXPECT_EQ(ReadFolderEntries(Tree.Path("closed"), {}).Error(), EACCES);
    }
    // Names can be read but not looked up: every fstatat fails.
    ASSERT_EQ(::chmod(Tree.Path("listable-only").c_str(), 0444), 0);
    ScopedNoDacOverride noOverride;
    if (!noOverride.Active()) {
        GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE here, so permission bits do not bite";
    }
    EXPECT_EQ(ReadFolderEntries(Tree.Path("listable-only"), {}).Error(), EACCES);
}

// ---- Attributes ----------------------------------------------------------------------------

constexpr std::uint32_t Dir = Attr::Directory, Hid = Attr::Hidden, RO = Attr::ReadOnly, Arc = Attr::Archive;

TEST(AttrFromStatTest, MapsModeAndName)
{
    // clang-format off
    const struct { const char* Name; const char* Path; mode_t Mode; bool ArchiveSet; std::uint32_t Expected; } rows[] = {
        {"PlainBackedUp", "plain", S_IFREG | 0644, false, Attr::Normal},
        {"PlainChanged", "plain", S_IFREG | 0644, true, Arc},
        {"OwnerCannotWrite", "locked", S_IFREG | 0444, false, RO},
        // Group and others may write, the owner may not: still read-only.
        {"OnlyOthersWrite", "locked", S_IFREG | 0466, true, RO | Arc},
        {"DotName", ".profile", S_IFREG | 0644, false, Hid},
        {"DotFolderInPath", "/home/u/.cache/file", S_IFREG | 0644, false, Attr::Normal},
        {"DotNameInPath", "/home/u/docs/.hidden", S_IFREG | 0600, true, Hid | Arc},
        {"EverythingAtOnce", ".git", S_IFDIR | 0555, true, Dir | Hid | RO | Arc},
        {"DotDotIsNotHidden", "/a/b/..", S_IFDIR | 0755, false, Dir},
        // A link's mode is always 0777 and says nothing about being read-only.
        {"Symlink", "link", S_IFLNK | 0777, true, Arc}};
    // clang-format on
    for (const auto& row : rows) {
        struct stat st = {};
        st.st_mode = row.Mode;
        EXPECT_EQ(AttrFromStat(row.Path, st, row.ArchiveSet), row.Expected) << row.Name;
    }
}

using Test::ModeOf;

std::uint32_t AttrOf(const std::string& path)
{
    SysResult<std::uint32_t> attr = GetFileAttr(path);
    EXPECT_TRUE(attr.Ok()) << path << ": " << attr.Call() << " " << attr.Error();
    return *attr;
}

// The mode bits and the attributes together.
std::tuple<mode_t, std::uint32_t> ModeAndAttr(const std::string& path)
{
    return {ModeOf(path), AttrOf(path)};
}

TEST_F(DirReaderTest, ArchiveFollowsTheMTimeAndBothFlagsCanBeSet)
{
    std::string file = Tree.AddFile("doc.txt", "first", TreeTime(1600000000));
    EXPECT_EQ(AttrOf(file), Arc) << "a fresh file has not been backed up";
    ASSERT_TRUE(ResetArchive(file).Ok());
    EXPECT_EQ(AttrOf(file), Attr::Normal);
    Tree.SetTime("doc.txt", timespec{1600000000, 1});
    EXPECT_EQ(AttrOf(file), Arc) << "a one-nanosecond change counts as a change";
    Tree.SetXattr("doc.txt", ArchiveXattrName, "1599999999.0");
    EXPECT_EQ(AttrOf(file), Arc) << "a foreign value";
    Tree.SetXattr("doc.txt", ArchiveXattrName, "1600000000.1");
    EXPECT_EQ(AttrOf(file), Attr::Normal);

    std::string folder = Tree.AddFolder(".config", 0755);
    EXPECT_EQ(AttrOf(folder), Dir | Hid | Arc);
    ASSERT_TRUE(ResetArchive(folder).Ok());
    EXPECT_EQ(AttrOf(folder), Dir | Hid);

    // SetFileAttr turns read-only and archive both ways, or says why not.
    file = Tree.AddFile("set.txt", "x", {}, 0664);
    ASSERT_TRUE(SetFileAttr(file, RO | Arc).Ok());
    EXPECT_EQ(ModeAndAttr(file), std::tuple(mode_t{0444}, RO | Arc)) << "every write bit goes";
    ASSERT_TRUE(SetFileAttr(file, Arc | Hid | Attr::System).Ok());
    // Only the owner gets write back; hidden and system cannot be set and are ignored.
    EXPECT_EQ(ModeAndAttr(file), std::tuple(mode_t{0644}, Arc));
    ASSERT_TRUE(SetFileAttr(file, Attr::Normal).Ok());
    EXPECT_EQ(AttrOf(file), Attr::Normal);

    std::string target = Tree.AddFile("target.txt", "x", {}, 0644);
    std::string link = Tree.AddSymlink("link", "target.txt");
    ASSERT_TRUE(SetFileAttr(link, RO).Ok());
    EXPECT_EQ(ModeOf(target), 0644u) << "a link's target keeps its mode";
    EXPECT_TRUE(ResetArchive(link).Ok()) << "a link cannot hold the flag: nothing to do";
    EXPECT_EQ(AttrOf(link), Arc);

    const std::string missing = Tree.Path("missing");
    EXPECT_EQ(GetFileAttr(missing).Error(), ENOENT);
    EXPECT_EQ(SetFileAttr(missing, RO).Error(), ENOENT);
    EXPECT_EQ(ResetArchive(missing).Error(), ENOENT);
    ScopedFault fault({FaultOp::SetAttr, EPERM, "target.txt"});
    EXPECT_EQ(SetFileAttr(target, RO).Error(), EPERM);
    EXPECT_EQ(ResetArchive(target).Error(), EPERM);
    EXPECT_EQ(ModeAndAttr(target), std::tuple(mode_t{0644}, Arc));
}

TEST_F(DirReaderTest, ReadOnlyFileCanStillBeMarkedBackedUp)
{
    std::string file = Tree.AddFile("doc.txt", "x", {}, 0444);
    ScopedNoDacOverride noOverride;
    if (!noOverride.Active()) {
        GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE here, so a read-only file is writable anyway";
    }
    ASSERT_TRUE(ResetArchive(file).Ok());
    EXPECT_EQ(ModeAndAttr(file), std::tuple(mode_t{0444}, RO))
        << "the write bit lent for the xattr is taken back";
    ASSERT_TRUE(SetFileAttr(file, RO | Arc).Ok());
    EXPECT_EQ(AttrOf(file), RO | Arc);
    ASSERT_TRUE(SetFileAttr(file, RO).Ok());
    EXPECT_EQ(AttrOf(file), RO);
}

// ramfs has no user xattrs at all; tmpfs gained them in Linux 6.6, so it no longer serves.
TEST_F(DirReaderTest, ArchiveStaysSetWithoutXattrSupport)
{
    std::string mountPoint = Tree.AddFolder("ramfs");
    int code = RunInMountNamespace([&mountPoint]() {
        if (::mount("ramfs", mountPoint.c_str(), "ramfs", 0, nullptr) != 0) {
            return NoMountNamespace;
        }
        std::string file = mountPoint + "/doc.txt";
        std::ofstream(file) << "x";
        if (!ResetArchive(file) || !SetFileAttr(file, Attr::Normal)) {
            return 10; // unsupported must be a quiet no-op
        }
        SysResult<std::uint32_t> after = GetFileAttr(file);
        return after && *after == Attr::Archive ? 0 : 11;
    });
    if (code == NoMountNamespace) {
        GTEST_SKIP() << "no private mount namespace or ramfs here";
    }
    EXPECT_EQ(code, 0) << "10 reset or set failed, 11 bit cleared";
}

} // namespace
} // namespace Tandemix
