// SPDX-License-Identifier: GPL-3.0-or-later
// Compressed runs with "Delete Unmatched": entries of the target's archive that the source
// lacks leave the archive, and nothing else does — no file beside it, not the archive itself,
// nothing while a guard holds. Archives are made and read back by python3's zipfile.
#include "compression/CompressedSync.h"
#include "core/compression/ZipReadBack.h"
#include "core/unmatched/UnmatchedRun.h"
#include "unmatched/DeleteUnmatched.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

using Test::EntriesOf;
using Test::MakeArchive;

// A line of the unmatched list for an entry of `archive`.
UnmatchedItem EntryLine(const std::string& name, const std::string& folder, const std::string& archive)
{
    UnmatchedItem item;
    item.Name = item.Line = name, item.Folder = folder, item.SizeText = "1", item.Archive = archive;
    return item;
}

class ArchiveUnmatchedTest : public Test::UnmatchedRun<CompressionHooks>
{
public:
    void SetUp() override
    {
        UnmatchedRun::SetUp();
        Hooks.ZipControl.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
        Opts.UseCompression = true;
        Host.Watched = false;
        Tree.AddFile("src/keep.txt", "keep.txt", 1'500'000'000);
    }

    std::string Archive() const { return Dst + "/dst.ZIP"; }
};

// A plain file of an unmatched entry's name lies beside the archive: it is no part of it.
TEST_F(ArchiveUnmatchedTest, OnlyTheArchivesOwnExtraEntriesGoAndOnlyWhenNoGuardHolds)
{
    Tree.AddFile("dst/gone.txt", "plain");
    MakeArchive(Archive(), {"keep.txt", "gone.txt"});
    Opts.RecoverDelFilesFolder = Tree.AddFolder("recovered") + "/";
    Run();
    EXPECT_EQ(EntriesOf(Archive()), "gone.txt keep.txt");
    EXPECT_TRUE(MessageSays("a recovery folder is set"));

    Opts.RecoverDelFilesFolder.clear();
    Run();
    EXPECT_EQ(EntriesOf(Archive()), "keep.txt");

    std::vector<std::string> names{"keep.txt", "gone.txt"};
    for (int n = 0; n < 11; ++n) {
        names.push_back("extra" + std::to_string(n) + ".txt");
    }
    MakeArchive(Archive(), names);
    const std::string all = EntriesOf(Archive());
    Run();
    EXPECT_EQ(EntriesOf(Archive()), all);
    EXPECT_TRUE(MessageSays("more than half of the target's files: 12 files of 13"));
    EXPECT_EQ(Tree.ReadFile("dst/gone.txt"), "plain");
}

TEST_F(ArchiveUnmatchedTest, EntriesAreListedAsTheArchivesAndEveryEntryGoneLeavesTheArchiveItself)
{
    MakeArchive(Archive(), {"keep.txt", "Gone.txt"});
    Opts.DeleteUnmatched = false;
    Run();
    std::vector<UnmatchedItem> items = Reporter.Lists().UnmatchedItems();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::tie(items[0].Name, items[0].Folder, items[0].Archive),
              std::tuple("Gone.txt", Dst + "/", Archive()));

    // The report window's Delete on every entry: the entries go, the (empty) archive stays.
    items.push_back(EntryLine("keep.txt", Dst + "/", Archive()));
    State.SyncActive = false;
    EXPECT_EQ(DeleteListedItems(Ctx, Reporter.Lists(), ReportCategory::UnMatched, items, Dst + "/"), 0u);
    EXPECT_TRUE(Tree.Exists("dst/dst.ZIP"));
    EXPECT_EQ(EntriesOf(Archive()), "");
    EXPECT_TRUE(Reporter.Lists().UnmatchedItems().empty());
    EXPECT_EQ(Reporter.Lists().List(ReportCategory::Deletions).Count(), 2u);
}

TEST_F(ArchiveUnmatchedTest, AnEntryThatCannotGoOrLiesElsewhereStaysAndTheArchiveIsUntouched)
{
    MakeArchive(Archive(), {"keep.txt", "gone.txt"});
    std::string other = Tree.AddFolder("other");
    MakeArchive(other + "/other.ZIP", {"gone.txt"});
    Tree.AddFile("dst/broken.ZIP", "no archive at all");
    std::vector<UnmatchedItem> items{
        EntryLine("absent.txt", Dst + "/", Archive()), // nothing of that name left: nothing to delete
        EntryLine("gone.txt", Dst + "/", Dst + "/broken.ZIP"), // the archive cannot be read
        EntryLine("gone.txt", other + "/", other + "/other.ZIP"), // outside the target
        EntryLine("gone.txt", Src + "/", Archive()), // the archive does not lie in the line's folder
        EntryLine(">*", Dst + "/", Archive()), // a mask to the component, not a name
        EntryLine("*.txt", Dst + "/", Archive()), // no entry's name: it would take every entry it fits
        EntryLine("x.txt", Dst + "/", Dst + "/twins.ZIP"), // fits two entries regardless of case
    };
    MakeArchive(Dst + "/twins.ZIP", {"X.txt", "x.TXT"});
    EXPECT_EQ(DeleteListedItems(Ctx, Reporter.Lists(), ReportCategory::UnMatched, items, Dst + "/"), 6u);
    EXPECT_EQ(EntriesOf(Archive()), "gone.txt keep.txt");
    EXPECT_EQ(EntriesOf(Dst + "/twins.ZIP"), "X.txt x.TXT");
    EXPECT_TRUE(MessageSays("Could Not Write Archive:"));
    EXPECT_TRUE(MessageSays("Could Not Delete Compressed File:"));
    EXPECT_EQ(EntriesOf(other + "/other.ZIP"), "gone.txt");
}

} // namespace
} // namespace Tandemix
