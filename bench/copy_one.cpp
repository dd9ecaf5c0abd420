// SPDX-License-Identifier: GPL-3.0-or-later
// Copies one file with the program's own copy routine, so that its speed can be timed against
// other tools. Usage: copy_one SOURCE_FILE TARGET_FOLDER. Exits with the copy result (0 copied).
#include "engine/CopyOneFile.h"
#include "platform/Attributes.h"
#include "platform/DiskSpace.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace {

using namespace Tandemix;

// Nobody watches a benchmark: nothing is shown and every question gets its silent answer.
class NullHost : public Host
{
public:
    void ShowStatus(std::string_view) noexcept override {}
    void SetCursorShape(CursorShape) noexcept override {}
    CursorShape CurrentCursorShape() const noexcept override { return CursorShape::Default; }
    void SetStopEnabled(bool) noexcept override {}
    void EnableControls(bool) noexcept override {}
    void SetElapsedTimerRunning(bool) noexcept override {}
    void ShowElapsed(std::string_view) noexcept override {}
    void ProcessMessages() override {}
    DialogResult Ask(std::string_view, DialogButtons) override { return DialogResult::Cancel; }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: copy_one SOURCE_FILE TARGET_FOLDER\n");
        return 2;
    }
    std::string source = argv[1];
    std::size_t slash = source.rfind('/');
    std::string folder = slash == std::string::npos ? "." : source.substr(0, slash);
    std::string name = slash == std::string::npos ? source : source.substr(slash + 1);

    struct stat st
    {};
    if (::lstat(source.c_str(), &st) != 0) {
        std::perror(source.c_str());
        return 2;
    }
    SysResult<std::uint32_t> attr = GetFileAttr(source);

    NullHost host;
    Options options;
    options.DisplayMessages = false;
    RunState state(host, options);
    NullReporter report;
    EngineState engine;
    engine.TargetFreeSpace = FreeSpace(argv[2]);
    RunContext ctx{options, state, host, report, engine};

    CopyRequest request;
    request.Name = name;
    request.SourceFolder = folder;
    request.TargetFolder = argv[2];
    request.Size = st.st_size;
    request.Attr = attr.Ok() ? *attr : Attr::Archive;
    request.IsLink = S_ISLNK(st.st_mode);
    request.SourceMTime = st.st_mtim;
    return CopyOneFile(ctx, request);
}
