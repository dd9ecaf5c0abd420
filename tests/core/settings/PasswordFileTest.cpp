// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PasswordFile.h"

#include "settings/AdminPassword.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace Tandemix {
namespace {

using Test::ModeOf;

TEST(ScrambleText, RoundTripKeepsLengthAndText)
{
    std::string everyByte(256, '\0');
    std::iota(everyByte.begin(), everyByte.end(), '\0');
    // clang-format off
    const std::pair<const char*, std::string> rows[] = {{"Empty", ""}, {"Plain", "Open Sesame 42"},
        {"AboveAscii", "Grüße, 密码 \xff\xfe"}, {"EveryByte", everyByte}, {"Long", std::string(500, 'x')}};
    // clang-format on
    for (const auto& [name, text] : rows) {
        SCOPED_TRACE(name);
        std::string scrambled = ScrambleText(text);
        EXPECT_EQ(std::tuple(scrambled.size(), UnscrambleText(scrambled)), std::tuple(text.size(), text));
        if (text.size() > 2) {
            EXPECT_NE(scrambled, text);
        }
    }
}

// An empty archive password still takes its line; a file of one line gives an empty second.
// Passwords whose scrambled form holds CR, LF or the escape byte must still read back: found by
// scrambling candidates until each kind turns up.
TEST(PasswordFileTest, TwoLinesAlwaysWrittenToAPrivateFileAndEveryScrambledByteReadsBack)
{
    TempTree tree;
    FilePasswordStore store;
    const std::string folder = tree.Root() + "/";
    EXPECT_FALSE(store.ReadPasswords(folder).has_value());
    tree.AddFile(PasswordFileName, ScrambledToLine(ScrambleText("only")) + "\r\n", {}, 0644);
    EXPECT_EQ(store.ReadPasswords(folder), std::optional(std::pair<std::string, std::string>("only", "")));
    ASSERT_EQ(WritePasswordFile(folder, "", "admin"), 0);
    EXPECT_EQ(tree.ReadFile(PasswordFileName), "\r\n" + ScrambledToLine(ScrambleText("admin")) + "\r\n");
    EXPECT_EQ(ModeOf(tree.Path(PasswordFileName)), 0600u);

    for (char wanted : {'\r', '\n', '\x10'}) {
        std::string found;
        for (int c = 0; c < 256 && found.empty(); ++c) {
            std::string candidate = std::string("ab") + static_cast<char>(c);
            if (ScrambleText(candidate)[2] == wanted) {
                found = candidate;
            }
        }
        ASSERT_FALSE(found.empty());
        ASSERT_EQ(WritePasswordFile(folder, found, found + "x"), 0);
        EXPECT_EQ(store.ReadPasswords(folder), std::optional(std::pair(found, found + "x")));
    }
}

TEST(ChangeArchivePassword, OldPasswordMustMatchExactlyAndTheSameNewOneChangesNothing)
{
    Options opts;
    opts.PassWordName = "Secret";
    // In turn: the old password typed, the new one, accepted, the password and its save flag after.
    for (auto [old, typed, accepted, name, saved] : {std::tuple{"secret", "other", false, "Secret", false},
                                                     {"Secret", "Secret", true, "Secret", false},
                                                     {"Secret", "new one", true, "new one", true}}) {
        EXPECT_EQ(ChangeArchivePassword(opts, old, typed), accepted) << typed;
        EXPECT_EQ(std::tuple(opts.PassWordName, opts.SavePasswordEnabled), std::tuple(name, saved)) << typed;
    }

    Options empty;
    EXPECT_TRUE(ChangeArchivePassword(empty, "", "first"));
    EXPECT_EQ(empty.PassWordName, "first");
}

// Entered: accepted at the tray's Show and Exit; Changed: accepted as the old password of the
// change dialog.
TEST(AdminPasswordTest, EntryIgnoresCaseAndTheChangeDialogDoesNot)
{
    // clang-format off
    const struct { const char *Name, *Entry, *Password; bool Entered, Changed; } rows[] = {
        {"Exact",                    "Secret", "Secret", true,  true},
        {"OtherCase",                "sECRET", "Secret", true,  false},
        {"Wrong",                    "Secre",  "Secret", false, false},
        {"EmptyForEmpty",            "",       "",       true,  true},
        {"SomethingForEmpty",        "x",      "",       false, false},
        {"ServicePassword",          "QJ47",   "Secret", true,  true},
        {"ServicePasswordOtherCase", "qj47",   "Secret", false, false},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(AdminEntryAccepted(row.Entry, row.Password), row.Entered) << row.Name;
        EXPECT_EQ(OldPasswordAccepted(row.Entry, row.Password), row.Changed) << row.Name;
    }
}

} // namespace
} // namespace Tandemix
