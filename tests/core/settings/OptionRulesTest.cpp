// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/OptionRules.h"

#include <gtest/gtest.h>

#include <string>

namespace Tandemix {
namespace {

TEST(DeleteUnmatchedRule, SwitchingOnBuildsTheListTheDeletionNeeds)
{
    Options opts;
    opts.UseReportForm = false;
    opts.ListUnMatchedFiles = false;
    SetDeleteUnmatched(opts, true);
    EXPECT_TRUE(opts.DeleteUnmatched);
    EXPECT_TRUE(opts.UseReportForm);
    EXPECT_TRUE(opts.ListUnMatchedFiles);
}

TEST(DeleteUnmatchedRule, SwitchingOffEndsPreDeleteAndReplicationButKeepsReporting)
{
    Options opts;
    SetReplicateFolders(opts, true);
    opts.DeleteUnMatchPriorToSync = true;
    SetDeleteUnmatched(opts, false);
    EXPECT_FALSE(opts.DeleteUnmatched);
    EXPECT_FALSE(opts.ReplicateFolders);
    EXPECT_FALSE(opts.DeleteUnMatchPriorToSync);
    EXPECT_FALSE(opts.ReplicateBypass());
    EXPECT_TRUE(opts.UseReportForm);
    EXPECT_TRUE(opts.ListUnMatchedFiles);
}

TEST(DeleteUnmatchedRule, AppliesEvenWhenTheStateDoesNotChange)
{
    // A file or batch row saying "on" with reporting off must not keep reporting off just
    // because deletion happened to be on already.
    Options opts;
    SetDeleteUnmatched(opts, true);
    opts.ListUnMatchedFiles = false;
    SetDeleteUnmatched(opts, true);
    EXPECT_TRUE(opts.ListUnMatchedFiles);
}

TEST(ReplicateFoldersRule, OnSwitchesDeletionOnOffLeavesItAlone)
{
    Options opts;
    opts.ListUnMatchedFiles = false;
    SetReplicateFolders(opts, true);
    EXPECT_TRUE(opts.ReplicateFolders);
    EXPECT_TRUE(opts.DeleteUnmatched);
    EXPECT_TRUE(opts.ListUnMatchedFiles);
    EXPECT_TRUE(opts.ReplicateBypass());

    SetReplicateFolders(opts, false);
    EXPECT_FALSE(opts.ReplicateFolders);
    EXPECT_TRUE(opts.DeleteUnmatched);
}

struct IntervalRow
{
    std::string Name;
    std::string Text;
    bool Accepted;
};

void PrintTo(const IntervalRow& row, std::ostream* os)
{
    *os << row.Name;
}

class TriggerIntervalTest : public ::testing::TestWithParam<IntervalRow>
{};

TEST_P(TriggerIntervalTest, ScheduleTakesOnlyAWholeNumberOfAtLeastOne)
{
    Options opts;
    opts.PoleEvery = true;
    opts.RunSyncEveryMin = GetParam().Text;
    bool accepted = SetRunSyncSched(opts, true);
    EXPECT_EQ(accepted, GetParam().Accepted);
    EXPECT_EQ(opts.RunSyncSched, GetParam().Accepted);
    EXPECT_EQ(opts.RunSyncEveryMin, GetParam().Accepted ? GetParam().Text : "0");
    // A refused schedule leaves polling as it was; an armed one ends it.
    EXPECT_EQ(opts.PoleEvery, !GetParam().Accepted);
}

TEST_P(TriggerIntervalTest, PollingTakesOnlyAWholeNumberOfAtLeastOne)
{
    Options opts;
    opts.RunSyncSched = true;
    opts.PoleSecs = GetParam().Text;
    bool accepted = SetPoleEvery(opts, true);
    EXPECT_EQ(accepted, GetParam().Accepted);
    EXPECT_EQ(opts.PoleEvery, GetParam().Accepted);
    EXPECT_EQ(opts.PoleSecs, GetParam().Accepted ? GetParam().Text : "0");
    EXPECT_EQ(opts.RunSyncSched, !GetParam().Accepted);
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         TriggerIntervalTest,
                         ::testing::Values(IntervalRow{"One", "1", true},
                                           IntervalRow{"Ninety", "90", true},
                                           IntervalRow{"Blanks", " 15 ", true},
                                           IntervalRow{"Zero", "0", false},
                                           IntervalRow{"Negative", "-5", false},
                                           IntervalRow{"Fraction", "1.5", false},
                                           IntervalRow{"Letters", "ten", false},
                                           IntervalRow{"Empty", "", false},
                                           IntervalRow{"TooBig", "99999999999", false}),
                         [](const auto& row) { return row.param.Name; });

TEST(TriggerRule, SwitchingOffNeverFailsAndKeepsTheText)
{
    Options opts;
    opts.RunSyncEveryMin = "abc";
    EXPECT_TRUE(SetRunSyncSched(opts, false));
    EXPECT_FALSE(opts.RunSyncSched);
    EXPECT_EQ(opts.RunSyncEveryMin, "abc");
}

TEST(TriggerRule, TheLaterArmedTriggerWins)
{
    Options opts;
    opts.PoleSecs = "20";
    opts.RunSyncEveryMin = "5";
    ASSERT_TRUE(SetPoleEvery(opts, true));
    ASSERT_TRUE(SetRunSyncSched(opts, true));
    EXPECT_TRUE(opts.RunSyncSched);
    EXPECT_FALSE(opts.PoleEvery);
}

struct ExtRow
{
    std::string Name;
    std::string Typed;
    std::string Ext;
};

void PrintTo(const ExtRow& row, std::ostream* os)
{
    *os << row.Name;
}

class CompressedExtTest : public ::testing::TestWithParam<ExtRow>
{};

TEST_P(CompressedExtTest, GetsOneLeadingDotAndAtMostTenCharacters)
{
    EXPECT_EQ(CompressedExtFor(GetParam().Typed), GetParam().Ext);
    Options opts;
    SetCompressedFileExt(opts, GetParam().Typed);
    EXPECT_EQ(opts.CompressedFileExt, GetParam().Typed); // the edit keeps what was typed
    EXPECT_EQ(opts.CompressedExt, GetParam().Ext);
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         CompressedExtTest,
                         ::testing::Values(ExtRow{"Plain", "zip", ".zip"},
                                           ExtRow{"DotKept", ".Z", ".Z"},
                                           ExtRow{"ElevenCut", "abcdefghijk", ".abcdefghi"},
                                           ExtRow{"DottedCut", ".abcdefghijkl", ".abcdefghi"},
                                           ExtRow{"ExactlyTen", ".123456789", ".123456789"},
                                           ExtRow{"Empty", "", "."},
                                           // Characters, not bytes: eleven two-byte letters.
                                           ExtRow{"Utf8", "ééééééééééé", ".ééééééééé"}),
                         [](const auto& row) { return row.param.Name; });

} // namespace
} // namespace Tandemix
