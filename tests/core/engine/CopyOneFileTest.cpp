// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CopyOneFile.h"

#include "engine/CopyMessages.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "platform/AtomicFile.h"
#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "platform/Mounts.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedHost.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace Tandemix {
namespace {

using Test::RecordingReporter;
using Test::ScriptedHost;

constexpr std::int64_t MiB = 1024 * 1024;
constexpr std::int64_t GiB = 1024 * MiB;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

struct stat LStat(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::vector<std::string> TempNamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (IsTempName(entry->d_name)) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

// The exit status of a forked child, or minus the signal that ended it.
int ExitStatusOf(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        return -WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}

constexpr auto ByLabel = [](const auto& info) {
    return std::string(info.param.Label);
};

class CopyOneFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Engine.TargetFreeSpace = -1;
        // Every poll pumps, so an action queued on the host runs at the next chunk.
        State.SetClock([this] { return Now += std::chrono::seconds(1); });
        Src = Tree.AddFolder("src");
        Dst = Tree.AddFolder("dst");
    }

    CopyRequest Request(const std::string& name, std::int64_t size, std::uint32_t attr = Attr::Archive)
    {
        return CopyRequest{name, Src, Dst, size, 0, attr, false, {}};
    }

    int Copy(const CopyRequest& r) { return CopyOneFile(Ctx, r); }

    // Runs `press` at the first poll that finds at least `percent` of the file copied.
    void AtGauge(int percent, std::function<void()> press)
    {
        Host.OnNextPump([this, percent, press] {
            if (Engine.FileGauge >= percent) {
                GaugeWhenPressed = Engine.FileGauge;
                SkipEnabledWhenPressed = Engine.SkipFileEnabled;
                press();
            } else {
                AtGauge(percent, press);
            }
        });
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const RecordingReporter::Entry& entry : Report.EntriesIn(ReportCategory::Messages)) {
            texts.push_back(entry.Kind);
        }
        return texts;
    }

    void ExpectProblem(std::string_view label, const std::string& path, LogKind kind)
    {
        ASSERT_EQ(Report.Logs.size(), 1u);
        EXPECT_EQ(Report.Logs[0].Text, ProblemLogLine(label, path));
        EXPECT_EQ(Report.Logs[0].Kind, kind);
        EXPECT_EQ(Messages(), std::vector<std::string>{ProblemMessageLine(label, path)});
    }

    void ExpectNoTempLeft() { EXPECT_EQ(TempNamesIn(Dst), std::vector<std::string>{}); }

    ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    RecordingReporter Report;
    EngineState Engine;
    RunContext Ctx{Opts, State, Host, Report, Engine};
    TempTree Tree;
    std::string Src;
    std::string Dst;
    RunState::Clock::time_point Now = RunState::Clock::time_point{} + std::chrono::hours(1);
    int GaugeWhenPressed = -1;
    bool SkipEnabledWhenPressed = false;
};

// ---- Data, times and attributes arrive exactly --------------------------------------------------

class CopyOneFileSizes : public CopyOneFileTest, public ::testing::WithParamInterface<std::int64_t>
{};

TEST_P(CopyOneFileSizes, CopiesByteExactWithFullPrecisionTimes)
{
    const std::int64_t size = GetParam();
    std::string source = Tree.AddFile("src/f.bin", size, {}, 0640);
    const timespec atime{1400000000, 987654321};
    const timespec mtime{1500000000, 123456789};
    const timespec times[2] = {atime, mtime};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    Tree.AddFile("dst/f.bin", "old content of a different length");

    EXPECT_EQ(Copy(Request("f.bin", size)), 0);

    std::string target = Dst + "/f.bin";
    struct stat st = LStat(target); // before reading it, which moves the atime
    EXPECT_TRUE(ReadAll(target) == TempTree::Pattern(size)) << "content differs";
    EXPECT_EQ(st.st_size, size);
    EXPECT_TRUE(SameTime(st.st_mtim, mtime)) << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec;
    EXPECT_TRUE(SameTime(st.st_atim, atime)) << st.st_atim.tv_sec << "." << st.st_atim.tv_nsec;
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Engine.FileGauge, 100);
    EXPECT_FALSE(Engine.SkipFileEnabled);
    ExpectNoTempLeft();
    EXPECT_TRUE(Report.Logs.empty());
    EXPECT_TRUE(Report.Entries.empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         CopyOneFileSizes,
                         ::testing::Values(0, 1, MiB - 1, MiB, MiB + 1, 3 * MiB + 17, 16 * MiB + 5),
                         [](const ::testing::TestParamInfo<std::int64_t>& param) {
                             return "Bytes" + std::to_string(param.param);
                         });

TEST_F(CopyOneFileTest, ReadOnlyAndModeBitsOfTheSourceArrive)
{
    Tree.AddFile("src/tool.sh", 100, {}, 0755);
    EXPECT_EQ(Copy(Request("tool.sh", 100, Attr::ReadOnly | Attr::Archive)), 0);
    struct stat st = LStat(Dst + "/tool.sh");
    EXPECT_EQ(st.st_mode & 07777, 0555u) << "execute bits kept, every write bit cleared";
    SysResult<std::uint32_t> attr = GetFileAttr(Dst + "/tool.sh");
    ASSERT_TRUE(attr.Ok());
    EXPECT_NE(*attr & Attr::ReadOnly, 0u);
    EXPECT_NE(*attr & Attr::Archive, 0u);
}

TEST_F(CopyOneFileTest, ArchiveBitAfterACompletedCopy)
{
    std::string reset = Tree.AddFile("src/reset.txt", 10);
    std::string kept = Tree.AddFile("src/kept.txt", 10);
    Tree.AddFile("src/clear.txt", 10);
    if (::lsetxattr(reset.c_str(), "user.tandemix.probe", "1", 1, 0) != 0) {
        GTEST_SKIP() << "the temporary folder's filesystem has no user extended attributes";
    }
    Opts.CheckResetArchive = true;
    EXPECT_EQ(Copy(Request("reset.txt", 10, Attr::Archive)), 0);
    EXPECT_EQ(GetFileAttr(reset).Value() & Attr::Archive, 0u) << "source reset after the copy";
    EXPECT_EQ(GetFileAttr(Dst + "/reset.txt").Value() & Attr::Archive, 0u) << "target never gets the bit";

    // Without the option the target mirrors the decided bit and the source is left alone.
    Opts.CheckResetArchive = false;
    EXPECT_EQ(Copy(Request("kept.txt", 10, Attr::Archive)), 0);
    EXPECT_EQ(Copy(Request("clear.txt", 10, 0)), 0);
    EXPECT_NE(GetFileAttr(Dst + "/kept.txt").Value() & Attr::Archive, 0u);
    EXPECT_EQ(GetFileAttr(Dst + "/clear.txt").Value() & Attr::Archive, 0u);
    EXPECT_NE(GetFileAttr(kept).Value() & Attr::Archive, 0u);
}

TEST_F(CopyOneFileTest, SymlinkIsCopiedAsALinkNeverFollowed)
{
    Tree.AddFile("elsewhere/big", 2 * MiB);
    Tree.AddSymlink("src/ln", "../elsewhere/big");
    Tree.AddSymlink("src/dangling", "nowhere/at/all");
    Tree.SetTime("src/ln", TreeTime(timespec{1234567890, 500}));
    Tree.AddFile("dst/ln", "an old regular file");

    CopyRequest link = Request("ln", 16);
    link.IsLink = true;
    EXPECT_EQ(Copy(link), 0);
    CopyRequest dangling = Request("dangling", 14);
    dangling.IsLink = true;
    EXPECT_EQ(Copy(dangling), 0);

    struct stat st = LStat(Dst + "/ln");
    ASSERT_TRUE(S_ISLNK(st.st_mode));
    char text[64] = {};
    ASSERT_GT(::readlink((Dst + "/ln").c_str(), text, sizeof text - 1), 0);
    EXPECT_STREQ(text, "../elsewhere/big");
    EXPECT_TRUE(SameTime(st.st_mtim, timespec{1234567890, 500}));
    EXPECT_TRUE(S_ISLNK(LStat(Dst + "/dangling").st_mode));
    EXPECT_EQ(Tree.ReadFile("elsewhere/big"), TempTree::Pattern(2 * MiB));
    ExpectNoTempLeft();
}

TEST_F(CopyOneFileTest, TimeTheTargetCannotStoreIsReportedButTheCopyCounts)
{
    Tree.AddFile("src/t.txt", 5000);
    ScopedFault refuse(FaultPlan{FaultOp::SetTimes, ERANGE, Dst});
    EXPECT_EQ(Copy(Request("t.txt", 5000)), 0);
    EXPECT_EQ(ReadAll(Dst + "/t.txt"), TempTree::Pattern(5000));
    ExpectProblem(CopyMsg::CouldNotSetTime, Dst + "/t.txt", LogKind::FileError);
    ExpectNoTempLeft();
}

// ---- Read-only targets ------------------------------------------------------------------------------

TEST_F(CopyOneFileTest, ReadOnlyTargetIsReplacedWhenReadOnlyFilesAreIncluded)
{
    Opts.CheckReadOnly = true;
    Tree.AddFile("src/ro.txt", 2000, {}, 0444);
    Tree.AddFile("src/rw.txt", 3000, {}, 0644);
    std::string readOnly = Tree.AddFile("dst/ro.txt", "old", {}, 0444);
    std::string writable = Tree.AddFile("dst/rw.txt", "old", {}, 0444);

    EXPECT_EQ(Copy(Request("ro.txt", 2000, Attr::ReadOnly | Attr::Archive)), 0);
    EXPECT_EQ(Copy(Request("rw.txt", 3000, Attr::Archive)), 0);

    EXPECT_EQ(ReadAll(readOnly), TempTree::Pattern(2000));
    EXPECT_EQ(LStat(readOnly).st_mode & 0222, 0u) << "ends read-only like its source";
    EXPECT_EQ(ReadAll(writable), TempTree::Pattern(3000));
    EXPECT_NE(LStat(writable).st_mode & S_IWUSR, 0u) << "ends writable like its source";
    EXPECT_TRUE(Report.Logs.empty());
}

// ---- Target space -----------------------------------------------------------------------------------

// Existing -1: no target yet. Answer: set when the user is asked.
// clang-format off
struct SpaceRow { const char* Label; std::int64_t Free; std::int64_t Existing; bool Ignore; bool MidBatch;
                  bool Display; std::optional<DialogResult> Answer; int Expected; };
const SpaceRow SpaceRows[] = {
    // label                          free  existing ignore batch  display answer                 result
    {"ReplacingFreesEnough",          200,  900,     false, false, true,  std::nullopt,          0},
    {"FreeEqualsSize",                1000, -1,      false, false, true,  std::nullopt,          0},
    {"FreeSpaceUnknown",              -1,   -1,      false, false, true,  std::nullopt,          0},
    {"SpaceCheckSwitchedOff",         0,    900,     true,  false, true,  std::nullopt,          0},
    {"ReplacingFreesJustTooLittle",   100,  900,     false, false, true,  DialogResult::Ok,      4},
    {"NewFileOneByteShort",           999,  -1,      false, false, true,  DialogResult::Ok,      4},
    {"BatchGoesOnWithNextFolder",     50,   900,     false, true,  true,  DialogResult::Yes,     3},
    {"BatchStops",                    50,   900,     false, true,  true,  DialogResult::Cancel,  4},
    {"SilentSinglePairStops",         50,   900,     false, false, false, std::nullopt,          4},
    {"SilentBatchGoesOn",             50,   900,     false, true,  false, std::nullopt,          3},
};
// clang-format on

void PrintTo(const SpaceRow& row, std::ostream* os)
{
    *os << row.Label;
}

class CopyOneFileSpace : public CopyOneFileTest, public ::testing::WithParamInterface<SpaceRow>
{};

TEST_P(CopyOneFileSpace, RefusesACopyThatWouldNotFitBeforeWritingAnything)
{
    const SpaceRow& row = GetParam();
    constexpr std::int64_t size = 1000;
    Tree.AddFile("src/s.bin", size);
    std::string oldContent = TempTree::Pattern(row.Existing > 0 ? row.Existing : 0);
    std::reverse(oldContent.begin(), oldContent.end());
    if (row.Existing >= 0) {
        Tree.AddFile("dst/s.bin", oldContent);
    }
    Engine.TargetFreeSpace = row.Free;
    Opts.IgnoreTargetSpace = row.Ignore;
    Opts.DisplayMessages = row.Display;
    Opts.RunBatchList = row.MidBatch;
    Engine.LastBatchRow = !row.MidBatch;
    if (row.Answer) {
        Host.QueueAnswer(*row.Answer);
    }

    EXPECT_EQ(Copy(Request("s.bin", size)), row.Expected);

    std::string message = "Target Drive \"" + MountPointOf(Dst) + "\" Does Not Have Enough Available Space!";
    ExpectNoTempLeft();
    if (row.Expected == 0) {
        EXPECT_EQ(ReadAll(Dst + "/s.bin"), TempTree::Pattern(size));
        EXPECT_TRUE(Host.Questions.empty());
        EXPECT_TRUE(Report.Logs.empty());
        return;
    }
    if (row.Existing >= 0) {
        EXPECT_TRUE(ReadAll(Dst + "/s.bin") == oldContent) << "old target changed";
    } else {
        EXPECT_FALSE(Tree.Exists("dst/s.bin"));
    }
    if (row.Answer) {
        ASSERT_EQ(Host.Questions.size(), 1u);
        EXPECT_NE(Host.Questions[0].Text.find(message), std::string::npos) << Host.Questions[0].Text;
    } else {
        EXPECT_TRUE(Host.Questions.empty());
    }
    EXPECT_EQ(Host.UnusedAnswers(), 0u);
    ASSERT_EQ(Report.Logs.size(), 1u);
    EXPECT_EQ(Report.Logs[0].Text, std::string(CopyMsg::DiskFullLog) + message);
    EXPECT_EQ(Report.Logs[0].Kind, LogKind::FileError);
    EXPECT_EQ(Messages(), std::vector<std::string>{message});
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileSpace, ::testing::ValuesIn(SpaceRows), ByLabel);

TEST_F(CopyOneFileTest, SpaceCheckHoldsForFilesBeyondFourGigabytes)
{
    Tree.AddFile("src/huge.img", 10);
    // A sparse old copy costs no disk space but counts with its full size.
    std::string target = Tree.AddFile("dst/huge.img", "");
    ASSERT_EQ(::truncate(target.c_str(), 2 * GiB), 0);
    CopyRequest huge = Request("huge.img", 6 * GiB);

    Engine.TargetFreeSpace = 3 * GiB + GiB / 2; // 3.5 GiB: not more than 6 - 2
    Host.QueueAnswer(DialogResult::Ok);
    EXPECT_EQ(Copy(huge), 4);
    EXPECT_EQ(LStat(target).st_size, 2 * GiB);

    Engine.TargetFreeSpace = 4 * GiB + GiB / 2; // 4.5 GiB: the 2 GiB freed make it fit
    EXPECT_EQ(Copy(huge), 0);
    EXPECT_EQ(ReadAll(target), TempTree::Pattern(10));
}

// ---- Failures leave the old target as it was ---------------------------------------------------------

// Fault paths: "/src/" is the source side, "/dst/" the target side. ReadOnlyTarget: with read-only
// files left out of the run. SourceNamed: the report names the source, else the target.
// clang-format off
struct FailureRow { const char* Label; std::optional<FaultPlan> Fault; bool ReadOnlyTarget;
                    std::string_view Problem; bool SourceNamed; };
const FailureRow FailureRows[] = {
    {"SourceCannotBeOpened",  FaultPlan{FaultOp::Open, EACCES, "/src/"},           false, CopyMsg::CouldNotRead,  true},
    {"TempCannotBeCreated",   FaultPlan{FaultOp::Open, EACCES, "/dst/"},           false, CopyMsg::CouldNotWrite, false},
    {"DiskFullMidCopy",       FaultPlan{FaultOp::Write, ENOSPC, "/dst/", 100000},  false, CopyMsg::CouldNotWrite, false},
    {"IoErrorMidCopy",        FaultPlan{FaultOp::Write, EIO, "/dst/", 1500000},    false, CopyMsg::CouldNotWrite, false},
    {"RenameRefused",         FaultPlan{FaultOp::Rename, EIO, "/dst/"},            false, CopyMsg::CouldNotWrite, false},
    {"ReadOnlyTargetKept",    std::nullopt,                                        true,  CopyMsg::CouldNotWrite, false},
};
// clang-format on

void PrintTo(const FailureRow& row, std::ostream* os)
{
    *os << row.Label;
}

class CopyOneFileFailures : public CopyOneFileTest, public ::testing::WithParamInterface<FailureRow>
{};

TEST_P(CopyOneFileFailures, LeaveTheOldTargetAsItWasAndAreNotCounted)
{
    const FailureRow& row = GetParam();
    std::string source = Tree.AddFile("src/f.bin", 3 * MiB);
    std::string target = Tree.AddFile("dst/f.bin", 200000, {}, row.ReadOnlyTarget ? 0444 : 0644);
    Opts.CheckReadOnly = !row.ReadOnlyTarget;
    Opts.CheckResetArchive = true;
    std::optional<ScopedFault> fault;
    if (row.Fault) {
        fault.emplace(*row.Fault);
    }

    EXPECT_EQ(Copy(Request("f.bin", 3 * MiB)), 1);
    fault.reset();

    EXPECT_TRUE(ReadAll(target) == TempTree::Pattern(200000)) << "old target changed";
    EXPECT_EQ(LStat(target).st_mode & 07777, row.ReadOnlyTarget ? 0444u : 0644u);
    ExpectProblem(row.Problem, row.SourceNamed ? source : target, LogKind::UpdatedFile);
    ExpectNoTempLeft();
    EXPECT_FALSE(Engine.SkipFileEnabled);
    // The source still needs backing up: nothing reached the target.
    EXPECT_NE(GetFileAttr(source).Value() & Attr::Archive, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileFailures, ::testing::ValuesIn(FailureRows), ByLabel);

TEST_F(CopyOneFileTest, ProblemPathIsPaddedInTheLogAndColumnedInTheMessages)
{
    CopyRequest missing{"a", "/nx", Dst, 10, 0, Attr::Archive, false, {}};
    EXPECT_EQ(Copy(missing), 1);
    ASSERT_EQ(Report.Logs.size(), 1u);
    EXPECT_EQ(Report.Logs[0].Text, "Could Not Read File: /nx/a     ");
    EXPECT_EQ(Report.Logs[0].Kind, LogKind::UpdatedFile);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Could Not Read File:      /nx/a"});
    ExpectNoTempLeft();
}

TEST_F(CopyOneFileTest, ReadErrorFromTheKernelKeepsTheOldTarget)
{
    // Reading this process's memory file from offset 0 fails with EIO: a real read error.
    std::string target = Tree.AddFile("dst/mem", "old target");
    CopyRequest r{"mem", "/proc/self", Dst, 0, 0, Attr::Archive, false, {}};
    EXPECT_EQ(Copy(r), 1);
    EXPECT_EQ(ReadAll(target), "old target");
    ExpectProblem(CopyMsg::CouldNotRead, "/proc/self/mem", LogKind::UpdatedFile);
    ExpectNoTempLeft();
}

TEST_F(CopyOneFileTest, RealFullDiskKeepsTheOldTarget)
{
    // A 1 MiB tmpfs in a private mount namespace of a child process: the kernel's own short
    // write and ENOSPC, not a simulated one. Nothing leaks when the child ends.
    Tree.AddFile("src/big.bin", 3 * MiB);
    std::string small = Tree.AddFolder("small");
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=1m") != 0) {
            ::_exit(77);
        }
        std::string old(300000, 'o');
        int fd = ::open((small + "/big.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, old.data(), old.size()) != static_cast<ssize_t>(old.size())) {
            ::_exit(70);
        }
        ::close(fd);
        Dst = small;
        bool reported = Copy(Request("big.bin", 3 * MiB)) == 1 && Report.Logs.size() == 1
                        && Report.Logs[0].Text == ProblemLogLine(CopyMsg::CouldNotWrite, small + "/big.bin");
        if (!reported) {
            ::_exit(1);
        }
        if (ReadAll(small + "/big.bin") != old || !TempNamesIn(small).empty()) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = ExitStatusOf(pid);
    if (status == 77) {
        GTEST_SKIP() << "needs root to mount a small tmpfs in a private mount namespace";
    }
    EXPECT_EQ(status, 0) << "1: not reported as unwritten, 2: old target changed or temp left behind";
}

// ---- Stop and Skip File --------------------------------------------------------------------------------

TEST_F(CopyOneFileTest, SkipInTheMiddleKeepsTheOldTargetAndTheRunGoesOn)
{
    Tree.AddFile("src/big.bin", 16 * MiB);
    Tree.AddFile("src/next.bin", 3 * MiB);
    std::string target = Tree.AddFile("dst/big.bin", "old target");
    AtGauge(25, [this] { State.SkipFileButtonClick(); });

    EXPECT_EQ(Copy(Request("big.bin", 16 * MiB)), 1);

    EXPECT_TRUE(SkipEnabledWhenPressed);
    EXPECT_LT(GaugeWhenPressed, 100);
    EXPECT_FALSE(Engine.SkipFileEnabled);
    EXPECT_EQ(ReadAll(target), "old target");
    ExpectProblem(CopyMsg::UserSkipped, Src + "/big.bin", LogKind::UpdatedFile);
    ExpectNoTempLeft();

    // A skip request still standing belonged to that file only: the next one is copied in full.
    State.SkipFileButtonTag = 1;
    EXPECT_EQ(Copy(Request("next.bin", 3 * MiB)), 0);
    EXPECT_EQ(ReadAll(Dst + "/next.bin"), TempTree::Pattern(3 * MiB));
}

TEST_F(CopyOneFileTest, ConfirmedStopInTheMiddleKeepsTheOldTarget)
{
    Tree.AddFile("src/big.bin", 16 * MiB);
    std::string target = Tree.AddFile("dst/big.bin", "old target");
    Host.QueueAnswer(DialogResult::Yes);
    AtGauge(25, [this] { State.StopButtonClick(); });

    EXPECT_EQ(Copy(Request("big.bin", 16 * MiB)), 4);

    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text, Msg::ConfirmStop);
    EXPECT_LT(GaugeWhenPressed, 100);
    EXPECT_EQ(ReadAll(target), "old target");
    EXPECT_TRUE(Report.Logs.empty());
    ExpectNoTempLeft();
    EXPECT_FALSE(Engine.SkipFileEnabled);
}

TEST_F(CopyOneFileTest, DeclinedStopLetsTheCopyFinish)
{
    Tree.AddFile("src/big.bin", 8 * MiB);
    Host.QueueAnswer(DialogResult::No);
    AtGauge(25, [this] { State.StopButtonClick(); });
    EXPECT_EQ(Copy(Request("big.bin", 8 * MiB)), 0);
    EXPECT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(ReadAll(Dst + "/big.bin"), TempTree::Pattern(8 * MiB));
}

TEST_F(CopyOneFileTest, StopConfirmedBeforeTheFileTouchesNothing)
{
    Tree.AddFile("src/f.bin", 10);
    State.OperationState = static_cast<int>(OperationStates::Confirmed);
    EXPECT_EQ(Copy(Request("f.bin", 10)), 4);
    EXPECT_FALSE(Tree.Exists("dst/f.bin"));
    ExpectNoTempLeft();
    EXPECT_TRUE(Report.Logs.empty());
}

// ---- A killed process ------------------------------------------------------------------------------------

// Pumps slowly, so a copy takes long enough to be killed half way.
class SlowHost : public ScriptedHost
{
public:
    void ProcessMessages() override { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }
};

TEST_F(CopyOneFileTest, KilledCopyLeavesTheOldTargetAndAStaleTempTheNextRunRemoves)
{
    Tree.AddFile("src/big.bin", 16 * MiB);
    std::string target = Tree.AddFile("dst/big.bin", "old target");
    Tree.AddFile("dst/.hidden", "kept");
    Tree.AddFile("dst/look.txpart", "kept: not a temporary name");

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SlowHost slow;
        RunState state(slow, Opts);
        state.SetClock([this] { return Now += std::chrono::seconds(1); });
        RunContext ctx{Opts, state, slow, Report, Engine};
        ::_exit(CopyOneFile(ctx, Request("big.bin", 16 * MiB)) == 0 ? 10 : 11);
    }

    // Kill it once its temporary file holds a few chunks.
    bool killed = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!killed && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& name : TempNamesIn(Dst)) {
            struct stat st
            {};
            if (::stat((Dst + "/" + name).c_str(), &st) == 0 && st.st_size >= 3 * MiB) {
                ::kill(pid, SIGKILL);
                killed = true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!killed) {
        ::kill(pid, SIGKILL);
    }
    ASSERT_EQ(ExitStatusOf(pid), -SIGKILL) << "the copy ended before it could be killed";

    EXPECT_EQ(ReadAll(target), "old target");
    ASSERT_EQ(TempNamesIn(Dst).size(), 1u) << "the killed copy's temporary file";

    RemoveStaleTempFiles(Dst);

    ExpectNoTempLeft();
    EXPECT_EQ(ReadAll(target), "old target");
    EXPECT_EQ(ReadAll(Dst + "/.hidden"), "kept");
    EXPECT_EQ(ReadAll(Dst + "/look.txpart"), "kept: not a temporary name");
    EXPECT_EQ(Tree.ReadFile("src/big.bin").size(), static_cast<std::size_t>(16 * MiB));
}

TEST_F(CopyOneFileTest, StaleTempRemovalStaysInItsFolder)
{
    std::string sub = Tree.AddFolder("dst/sub");
    std::string top = TempPathFor(Dst + "/a.txt");
    std::string below = TempPathFor(sub + "/b.txt");
    Tree.AddFile(top.substr(Tree.Root().size() + 1), "x");
    Tree.AddFile(below.substr(Tree.Root().size() + 1), "y");

    RemoveStaleTempFiles(Dst);

    EXPECT_FALSE(Tree.Exists(top.substr(Tree.Root().size() + 1)));
    EXPECT_TRUE(Tree.Exists(below.substr(Tree.Root().size() + 1)));
    RemoveStaleTempFiles(Dst + "/does-not-exist"); // nothing to do, nothing raised
}

} // namespace
} // namespace Tandemix
