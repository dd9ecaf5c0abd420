// SPDX-License-Identifier: GPL-3.0-or-later
// The password file reader on any file left in the program folder, and the two codings a
// password goes through on its way there: each must give back exactly what it was given.
#include "FuzzInput.h"
#include "settings/PasswordFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tandemix;
    std::string_view text = Fuzz::Text(data, size);
    (void)Fuzz::AsFile(text, PasswordFileName);
    FilePasswordStore store;
    if (auto passwords = store.ReadPasswords(Fuzz::ScratchFolder())) {
        // What was read writes back and reads again as the same two passwords.
        Fuzz::Require(WritePasswordFile(Fuzz::ScratchFolder(), passwords->first, passwords->second) == 0);
        Fuzz::Require(store.ReadPasswords(Fuzz::ScratchFolder()) == passwords);
    }
    Fuzz::Require(UnscrambleText(ScrambleText(text)) == text);
    const std::string line = ScrambledToLine(text);
    Fuzz::Require(line.find_first_of("\r\n") == std::string::npos && LineToScrambled(line) == text);
    return 0;
}
