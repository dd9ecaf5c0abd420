// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AdminPassword.h"

#include <gtest/gtest.h>

#include <string>

namespace Tandemix {
namespace {

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
