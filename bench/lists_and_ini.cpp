// SPDX-License-Identifier: GPL-3.0-or-later
// Times two things a run does many times over, whose cost must not grow with their size:
//  - a report list that takes 200,000 lines at the top, the middle and a moving counter and
//    withdraws them again in random order (a vector's shifting or a linear search would take
//    minutes);
//  - a configuration read key by key, each read parsing the file anew (1,500 reads).
// Prints "report-list-ms ini-ms" and exits 1 when either exceeds its bound (10 s, 2 s: far above
// an unoptimised build's time, so only a change of complexity trips it).
//
//   lists_and_ini [SCRATCH_FOLDER]        default: $TMPDIR or /tmp
#include "reporting/ReportList.h"
#include "settings/IniFile.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace Tandemix;
using Clock = std::chrono::steady_clock;

long long Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string Line(std::size_t i)
{
    return "file" + std::to_string(i) + ".txt\t      10\t 7/22/97 10:01:44 AM\t/data/dst/";
}

long long TimeReportList()
{
    constexpr std::size_t Lines = 200000;
    const Clock::time_point start = Clock::now();
    ReportList list;
    std::size_t counter = 0;
    for (std::size_t i = 0; i < Lines; ++i) {
        const std::size_t row = i % 3 == 0   ? 0
                                : i % 3 == 1 ? list.Count() / 2
                                             : std::min(counter++, list.Count());
        list.Insert(row, Line(i));
    }
    std::vector<std::size_t> order(Lines);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (std::size_t i : order) {
        if (!list.RemoveLine(Line(i))) {
            std::fprintf(stderr, "lists_and_ini: line %zu was not found\n", i);
            std::exit(2);
        }
    }
    return Since(start);
}

long long TimeIniReads(const std::string& folder)
{
    const std::string path = folder + "/lists_and_ini." + std::to_string(getpid()) + ".cfg";
    {
        std::ofstream out(path, std::ios::binary);
        for (int key = 0; key < 150; ++key) {
            out << (key % 25 == 0 ? "\r\n[Section " + std::to_string(key / 25) + "]\r\n" : "");
            out << "Key " << key << "=" << std::string(40, 'v') << "\r\n";
        }
    }
    IniFile ini(path);
    int found = 0;
    const Clock::time_point start = Clock::now();
    for (int key = 0; key < 1500; ++key) {
        std::string section = "section " + std::to_string(key % 150 / 25);
        found += ini.ReadString(section, "KEY " + std::to_string(key % 150), "").size() == 40 ? 1 : 0;
    }
    const long long elapsed = Since(start);
    std::remove(path.c_str());
    if (found != 1500) {
        std::fprintf(stderr, "lists_and_ini: %d of 1500 keys read back\n", found);
        std::exit(2);
    }
    return elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = argc > 1 ? argv[1] : tmp != nullptr ? tmp : "/tmp";
    const long long listMs = TimeReportList();
    const long long iniMs = TimeIniReads(folder);
    std::printf("%lld %lld\n", listMs, iniMs);
    return listMs < 10000 && iniMs < 2000 ? 0 : 1;
}
