// SPDX-License-Identifier: GPL-3.0-or-later
// The report file reader (".TXR"): its header line and tab fields, and the whole file from disk.
// A header the program could have written (its page is one of the report pages) writes back to a
// line that reads as the same header.
#include "FuzzInput.h"
#include "reporting/ReportFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tandemix;
    std::string_view text = Fuzz::Text(data, size);
    std::string_view first = text.substr(0, text.find_first_of("\r\n"));
    std::optional<ReportFileHeader> header = ParseReportHeader(first);
    if (header && ReportPageNamed(header->Page)) {
        std::optional<ReportFileHeader> again = ParseReportHeader(ReportHeaderLine(*header));
        Fuzz::Require(again.has_value() && again->Compressed == header->Compressed
                      && again->ItemCount == header->ItemCount.value_or(0)
                      && again->ByteTotal == header->ByteTotal.value_or(0));
    }
    for (int n = 0; n < 12; ++n) {
        Fuzz::Require(GetTabField(first, n).size() <= first.size());
    }
    (void)ReadReportFile(Fuzz::AsFile(text, "report.TXR"));
    return 0;
}
