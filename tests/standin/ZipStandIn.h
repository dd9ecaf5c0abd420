// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "compression/ZipInterface.h"

#include <cstdint>
#include <string>
#include <vector>

// What the zip stand-in recorded; reached through its exported StandInRecord().
struct StandInState
{
    std::vector<std::vector<std::string>> Calls; // entry name, then every argument
    std::vector<std::uint32_t> Answers; // what the callback answered, in order
    std::string ReplyText; // what the component wrote into the last reply buffer
    std::uint8_t ReplyAction = 0;
    int Script = 0;
    std::uint32_t Result = 0;
};

// Scripts the stand-in plays during a call.
enum StandInScript : int
{
    ScriptNone = 0,
    ScriptCount = 1,
    ScriptPasswordQuery = 2,
    ScriptListTwo = 3,
    ScriptSharedText = 4,
    ScriptUnknownMessage = 5,
};
