// SPDX-License-Identifier: GPL-3.0-or-later
// The batch file reader: never crashes, and a list it accepts and that may be saved reads back
// as the same rows (a save must never shift a cell).
#include "FuzzInput.h"
#include "batch/BatchFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tandemix;
    BatchFileContent content = ParseBatchFile(Fuzz::Text(data, size));
    for (const RefusedBatchLine& refused : content.Refused) {
        Fuzz::Require(refused.Line >= 1 && !RefusedLineText(refused).empty());
    }
    if (CheckBatchListForSaving(content.List).empty()) {
        BatchFileContent again = ParseBatchFile(BatchFileText(content.List));
        Fuzz::Require(again.List.Rows == content.List.Rows);
    }
    return 0;
}
