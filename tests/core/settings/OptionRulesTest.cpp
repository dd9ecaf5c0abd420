// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/OptionRules.h"

#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <string>

namespace Tandemix {
namespace {

using Test::ByName;
using Test::PrintTo;

TEST(DeleteUnmatchedRule, OnBuildsTheListTheDeletionNeedsOffEndsPreDeleteAndReplication)
{
    Options opts;
    opts.UseReportForm = false;
    opts.ListUnMatchedFiles = false;
    SetDeleteUnmatched(opts, true);
    EXPECT_TRUE(opts.DeleteUnmatched);
    EXPECT_TRUE(opts.UseReportForm);
    EXPECT_TRUE(opts.ListUnMatchedFiles);

    // A file or batch row saying "on" with reporting off must not keep reporting off just
    // because deletion happened to be on already.
    opts.ListUnMatchedFiles = false;
    SetDeleteUnmatched(opts, true);
    EXPECT_TRUE(opts.ListUnMatchedFiles);

    SetReplicateFolders(opts, true);
    opts.DeleteUnMatchPriorToSync = true;
    SetDeleteUnmatched(opts, false);
    EXPECT_FALSE(opts.DeleteUnmatched);
    EXPECT_FALSE(opts.ReplicateFolders);
    EXPECT_FALSE(opts.DeleteUnMatchPriorToSync);
    EXPECT_FALSE(opts.ReplicateBypass());
    EXPECT_TRUE(opts.UseReportForm); // reporting stays
    EXPECT_TRUE(opts.ListUnMatchedFiles);

    // Replication on switches deletion on; off leaves it alone.
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

// The schedule (minutes) and polling (seconds) follow the same rule, and exclude each other.
struct Trigger
{
    const char* Name;
    bool (*Set)(Options&, bool);
    bool Options::*On;
    std::string Options::*Text;
    bool Options::*Other;
};

const Trigger Triggers[] = {
    {"Schedule", SetRunSyncSched, &Options::RunSyncSched, &Options::RunSyncEveryMin, &Options::PoleEvery},
    {"Polling", SetPoleEvery, &Options::PoleEvery, &Options::PoleSecs, &Options::RunSyncSched}};

struct IntervalRow
{
    std::string Name;
    std::string Text;
    bool Accepted;
};

class TriggerIntervalTest : public ::testing::TestWithParam<IntervalRow>
{};

TEST_P(TriggerIntervalTest, TakesOnlyAWholeNumberOfAtLeastOneToSwitchOn)
{
    for (const Trigger& trigger : Triggers) {
        SCOPED_TRACE(trigger.Name);
        Options opts;
        opts.*trigger.Other = true;
        opts.*trigger.Text = GetParam().Text;
        EXPECT_EQ(trigger.Set(opts, true), GetParam().Accepted);
        EXPECT_EQ(opts.*trigger.On, GetParam().Accepted);
        EXPECT_EQ(opts.*trigger.Text, GetParam().Accepted ? GetParam().Text : "0");
        // A refused trigger leaves the other as it was; an armed one ends it.
        EXPECT_EQ(opts.*trigger.Other, !GetParam().Accepted);
        // Switching off never fails and keeps whatever text there is.
        opts.*trigger.Text = GetParam().Text;
        opts.*trigger.On = true;
        EXPECT_TRUE(trigger.Set(opts, false));
        EXPECT_FALSE(opts.*trigger.On);
        EXPECT_EQ(opts.*trigger.Text, GetParam().Text);
    }
}

const IntervalRow IntervalRows[] = {{"One", "1", true},
                                    {"Ninety", "90", true},
                                    {"Blanks", " 15 ", true},
                                    {"Zero", "0", false},
                                    {"Negative", "-5", false},
                                    {"Fraction", "1.5", false},
                                    {"Letters", "ten", false},
                                    {"Empty", "", false},
                                    {"TooBig", "99999999999", false}};

INSTANTIATE_TEST_SUITE_P(Texts, TriggerIntervalTest, ::testing::ValuesIn(IntervalRows), ByName());

struct ExtRow
{
    std::string Name;
    std::string Typed;
    std::string Ext;
};

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

const ExtRow ExtRows[] = {{"Plain", "zip", ".zip"},
                          {"DotKept", ".Z", ".Z"},
                          {"ElevenCut", "abcdefghijk", ".abcdefghi"},
                          {"DottedCut", ".abcdefghijkl", ".abcdefghi"},
                          {"ExactlyTen", ".123456789", ".123456789"},
                          {"Empty", "", "."},
                          // Characters, not bytes: eleven two-byte letters.
                          {"Utf8", "ééééééééééé", ".ééééééééé"}};

INSTANTIATE_TEST_SUITE_P(Texts, CompressedExtTest, ::testing::ValuesIn(ExtRows), ByName());

} // namespace
} // namespace Tandemix
