// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/OptionRules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace Tandemix {
namespace {

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

TEST(TriggerIntervalTest, TakesOnlyAWholeNumberOfAtLeastOneToSwitchOn)
{
    for (auto [text, accepted] : {std::pair{"1", true},
                                  {"90", true},
                                  {" 15 ", true},
                                  {"0", false},
                                  {"-5", false},
                                  {"1.5", false},
                                  {"ten", false},
                                  {"", false},
                                  {"99999999999", false}}) {
        for (const Trigger& trigger : Triggers) {
            SCOPED_TRACE(std::string(trigger.Name) + " '" + text + "'");
            Options opts;
            opts.*trigger.Other = true;
            opts.*trigger.Text = text;
            EXPECT_EQ(trigger.Set(opts, true), accepted);
            EXPECT_EQ(opts.*trigger.On, accepted);
            EXPECT_EQ(opts.*trigger.Text, accepted ? text : "0");
            // A refused trigger leaves the other as it was; an armed one ends it.
            EXPECT_EQ(opts.*trigger.Other, !accepted);
            // Switching off never fails and keeps whatever text there is.
            opts.*trigger.Text = text;
            opts.*trigger.On = true;
            EXPECT_TRUE(trigger.Set(opts, false));
            EXPECT_FALSE(opts.*trigger.On);
            EXPECT_EQ(opts.*trigger.Text, text);
        }
    }
}

TEST(CompressedExtTest, GetsOneLeadingDotAndAtMostTenCharacters)
{
    // Characters, not bytes: eleven two-byte letters are cut to nine after the dot.
    for (auto [typed, ext] : {std::pair{"zip", ".zip"},
                              {".Z", ".Z"},
                              {"abcdefghijk", ".abcdefghi"},
                              {".abcdefghijkl", ".abcdefghi"},
                              {".123456789", ".123456789"},
                              {"", "."},
                              {"ééééééééééé", ".ééééééééé"}}) {
        EXPECT_EQ(CompressedExtFor(typed), ext);
        Options opts;
        SetCompressedFileExt(opts, typed);
        EXPECT_EQ(opts.CompressedFileExt, typed); // the edit keeps what was typed
        EXPECT_EQ(opts.CompressedExt, ext);
    }
}

} // namespace
} // namespace Tandemix
