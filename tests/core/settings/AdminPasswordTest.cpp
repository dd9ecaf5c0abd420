// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AdminPassword.h"

#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <string>

namespace Tandemix {
namespace {

using Test::ByName;
using Test::PrintTo;

struct PasswordCase
{
    std::string Name;
    std::string Entry;
    std::string Password;
    bool Entered; // accepted at the tray's Show and Exit
    bool Changed; // accepted as the old password of the change dialog
};

class AdminPasswordTest : public ::testing::TestWithParam<PasswordCase>
{};

TEST_P(AdminPasswordTest, EntryIgnoresCaseAndTheChangeDialogDoesNot)
{
    EXPECT_EQ(AdminEntryAccepted(GetParam().Entry, GetParam().Password), GetParam().Entered);
    EXPECT_EQ(OldPasswordAccepted(GetParam().Entry, GetParam().Password), GetParam().Changed);
}

// clang-format off
const PasswordCase PasswordCases[] = {
    {"Exact",                    "Secret", "Secret", true,  true},
    {"OtherCase",                "sECRET", "Secret", true,  false},
    {"Wrong",                    "Secre",  "Secret", false, false},
    {"EmptyForEmpty",            "",       "",       true,  true},
    {"SomethingForEmpty",        "x",      "",       false, false},
    {"ServicePassword",          "QJ47",   "Secret", true,  true},
    {"ServicePasswordOtherCase", "qj47",   "Secret", false, false},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Passwords, AdminPasswordTest, ::testing::ValuesIn(PasswordCases), ByName{});

} // namespace
} // namespace Tandemix
