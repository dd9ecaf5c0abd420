// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CopyOneFile.h"

#include "engine/CopyMessages.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "platform/AtomicFile.h"
#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "platform/Mounts.h"
#include "support/CoreBundle.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
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

using Test::ByName;
using Test::PrintTo;
using Test::TempNamesIn;

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

class CopyOneFileTest : public ::testing::Test, public Test::CoreBundle
{
public:
    void SetUp() override
    {
        Engine.TargetFreeSpace = -1;
        PumpEveryPoll();
        Src = Tree.AddFolder("src");
        Dst = Tree.AddFolder("dst");
    }

    // As the decision asks: an update names the existing target, an add names none.
    CopyRequest Request(const std::string& name, std::int64_t size, std::uint32_t attr = Attr::Archive)
    {
        struct stat st
        {};
        std::string twin = ::lstat((Dst + "/" + name).c_str(), &st) == 0 ? name : "";
        return CopyRequest{name, Src, Dst, size, 0, attr, false, twin, {}};
    }

    int Copy(const CopyRequest& r) { return CopyOneFile(Ctx, r); }

    // Runs `press` at the first poll that finds at least `percent` of the file copied.
    void AtGauge(int percent, std::function<void()> press)
    {
        Host.OnNextPump([this, percent, press] {
            if (Engine.FileGauge < percent) {
                return AtGauge(percent, press);
            }
            GaugeWhenPressed = Engine.FileGauge;
            SkipEnabledWhenPressed = Engine.SkipFileEnabled;
            press();
        });
    }

    void ExpectProblem(std::string_view label, const std::string& path, LogKind kind = LogKind::UpdatedFile)
    {
        ASSERT_EQ(Report.Logs.size(), 1u);
        EXPECT_EQ(Report.Logs[0].Text, ProblemLogLine(label, path));
        EXPECT_EQ(Report.Logs[0].Kind, kind);
        EXPECT_EQ(Messages(), std::vector<std::string>{ProblemMessageLine(label, path)});
    }

    void ExpectNoTempLeft() { EXPECT_EQ(TempNamesIn(Dst), std::vector<std::string>{}); }

    TempTree Tree;
    std::string Src;
    std::string Dst;
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
    const timespec times[2] = {{1400000000, 987654321}, {1500000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    Tree.AddFile("dst/f.bin", "old content of a different length");

    EXPECT_EQ(Copy(Request("f.bin", size)), 0);

    struct stat st = LStat(Dst + "/f.bin"); // before reading it, which moves the atime
    EXPECT_TRUE(ReadAll(Dst + "/f.bin") == TempTree::Pattern(size)) << "content differs";
    EXPECT_TRUE(SameTime(st.st_mtim, times[1])) << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec;
    EXPECT_TRUE(SameTime(st.st_atim, times[0])) << st.st_atim.tv_sec << "." << st.st_atim.tv_nsec;
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Engine.FileGauge, 100);
    EXPECT_FALSE(Engine.SkipFileEnabled);
    ExpectNoTempLeft();
    EXPECT_TRUE(Report.Logs.empty() && Report.Entries.empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         CopyOneFileSizes,
                         ::testing::Values(0, 1, MiB - 1, MiB, MiB + 1, 3 * MiB + 17, 16 * MiB + 5),
                         [](const auto& param) { return "Bytes" + std::to_string(param.param); });

TEST_F(CopyOneFileTest, ModeAndReadOnlyFollowTheSourceOverAReadOnlyTarget)
{
    Opts.CheckReadOnly = true;
    Tree.AddFile("src/tool.sh", 100, {}, 0755);
    Tree.AddFile("src/ro.txt", 2000, {}, 0444);
    Tree.AddFile("src/rw.txt", 3000, {}, 0644);
    std::string readOnly = Tree.AddFile("dst/ro.txt", "old", {}, 0444);
    std::string writable = Tree.AddFile("dst/rw.txt", "old", {}, 0444);

    EXPECT_EQ(Copy(Request("tool.sh", 100, Attr::ReadOnly | Attr::Archive)), 0);
    EXPECT_EQ(Copy(Request("ro.txt", 2000, Attr::ReadOnly | Attr::Archive)), 0);
    EXPECT_EQ(Copy(Request("rw.txt", 3000, Attr::Archive)), 0);

    EXPECT_EQ(LStat(Dst + "/tool.sh").st_mode & 07777, 0555u) << "execute bits kept, every write bit cleared";
    SysResult<std::uint32_t> attr = GetFileAttr(Dst + "/tool.sh");
    ASSERT_TRUE(attr.Ok());
    EXPECT_EQ(*attr & (Attr::ReadOnly | Attr::Archive), Attr::ReadOnly | Attr::Archive);
    EXPECT_EQ(ReadAll(readOnly), TempTree::Pattern(2000));
    EXPECT_EQ(LStat(readOnly).st_mode & 0222, 0u);
    EXPECT_EQ(ReadAll(writable), TempTree::Pattern(3000));
    EXPECT_NE(LStat(writable).st_mode & S_IWUSR, 0u);
    EXPECT_TRUE(Report.Logs.empty());
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

    for (auto [name, size] : {std::pair{"ln", 16}, std::pair{"dangling", 14}}) {
        CopyRequest link = Request(name, size);
        link.IsLink = true;
        EXPECT_EQ(Copy(link), 0) << name;
    }

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

TEST_F(CopyOneFileTest, TimeTheTargetCannotStoreIsReportedOnceAndTheCopiesCount)
{
    Tree.AddFile("src/t.txt", 5000);
    Tree.AddFile("src/u.txt", 10);
    ScopedFault refuse(FaultPlan{FaultOp::SetTimes, ERANGE, Dst});
    EXPECT_EQ(Copy(Request("t.txt", 5000)), 0);
    EXPECT_EQ(Copy(Request("u.txt", 10)), 0);
    EXPECT_EQ(ReadAll(Dst + "/t.txt"), TempTree::Pattern(5000));
    EXPECT_EQ(ReadAll(Dst + "/u.txt"), TempTree::Pattern(10));
    std::string note = " " + std::string(CopyMsg::TimeNotKeptNote);
    ASSERT_EQ(Report.Logs.size(), 1u) << "the second file's lost time is not news";
    EXPECT_EQ(Report.Logs[0].Text, ProblemLogLine(CopyMsg::CouldNotSetTime, Dst + "/t.txt") + note);
    EXPECT_EQ(Report.Logs[0].Kind, LogKind::FileError);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{ProblemMessageLine(CopyMsg::CouldNotSetTime, Dst + "/t.txt") + note});
    ExpectNoTempLeft();
}

// ---- Putting the copy in place ---------------------------------------------------------------------

// Unnamed: the data goes to an unnamed file, else (refused) to a named temporary one. Taken: an
// add whose name was taken before the copy began, or while it ran (then the final link or
// rename must refuse); the newcomer stays. Otherwise the filesystem stamps "now" on a rename
// or link, and the times go on after it.
// clang-format off
enum class TakenWhen { No, Before, During };
struct PlaceRow { std::string Name; bool Update; bool Unnamed; bool Link; TakenWhen Taken; };
const PlaceRow PlaceRows[] = {
    {"AddUnnamed",             false, true,  false, TakenWhen::No},
    {"AddNamed",               false, false, false, TakenWhen::No},
    {"UpdateUnnamed",          true,  true,  false, TakenWhen::No},
    {"UpdateNamed",            true,  false, false, TakenWhen::No},
    {"FileAlreadyThere",       false, true,  false, TakenWhen::Before},
    {"LinkAlreadyThere",       false, true,  true,  TakenWhen::Before},
    {"AppearsDuringCopy",      false, true,  false, TakenWhen::During},
    {"AppearsDuringNamedCopy", false, false, false, TakenWhen::During},
};
// clang-format on

class CopyOneFilePlacing : public CopyOneFileTest, public ::testing::WithParamInterface<PlaceRow>
{};

TEST_P(CopyOneFilePlacing, TimesSurviveThePlacingAndAnAddNeverReplaces)
{
    const PlaceRow& row = GetParam();
    const timespec mtime{1500000000, 123456789};
    Tree.AddFile("src/f.bin", 3 * MiB, TreeTime(mtime));
    Tree.AddSymlink("src/ln", "f.bin");
    const std::string name = row.Link ? "ln" : "f.bin";
    if (row.Update) {
        Tree.AddFile("dst/" + name, "old");
    }
    CopyRequest r = Request(name, 3 * MiB);
    r.IsLink = row.Link;
    if (row.Taken == TakenWhen::Before) {
        Tree.AddFile("dst/" + name, "someone else's");
    } else if (row.Taken == TakenWhen::During) {
        AtGauge(25, [this, name] { Tree.AddFile("dst/" + name, "someone else's"); });
    }
    ScopedFault lose(FaultPlan{FaultOp::LoseTimes, 1, Dst});
    std::optional<ScopedFault> noUnnamed;
    if (!row.Unnamed) {
        noUnnamed.emplace(FaultPlan{FaultOp::Open, EOPNOTSUPP, Dst + "/", 0, 1});
    }

    EXPECT_EQ(Copy(r), row.Taken == TakenWhen::No ? 0 : 1);

    if (row.Taken == TakenWhen::No) {
        EXPECT_TRUE(SameTime(LStat(Dst + "/f.bin").st_mtim, mtime));
        EXPECT_EQ(ReadAll(Dst + "/f.bin"), TempTree::Pattern(3 * MiB));
        EXPECT_TRUE(Report.Logs.empty());
    } else {
        EXPECT_EQ(ReadAll(Dst + "/" + name), "someone else's");
        ExpectProblem(CopyMsg::CouldNotWrite, Dst + "/" + name);
    }
    ExpectNoTempLeft();
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFilePlacing, ::testing::ValuesIn(PlaceRows), ByName());

TEST_F(CopyOneFileTest, AnUpdateWritesToTheTwinItWasDecidedAgainst)
{
    Tree.AddFile("src/Report.TXT", 4000);
    Tree.AddFile("dst/report.txt", "old");
    // A link where the source has a file is replaced as a link: what it points at stays.
    Tree.AddFile("src/f.bin", 100);
    std::string victim = Tree.AddFile("elsewhere/victim", "not to be written");
    Tree.AddSymlink("dst/f.bin", "../elsewhere/victim");

    CopyRequest update = Request("Report.TXT", 4000);
    update.TargetName = "report.txt";
    EXPECT_EQ(Copy(update), 0);
    EXPECT_EQ(Copy(Request("f.bin", 100)), 0);

    EXPECT_EQ(ReadAll(Dst + "/report.txt"), TempTree::Pattern(4000));
    EXPECT_FALSE(Tree.Exists("dst/Report.TXT")) << "no second file beside the twin";
    EXPECT_TRUE(S_ISREG(LStat(Dst + "/f.bin").st_mode));
    EXPECT_EQ(ReadAll(Dst + "/f.bin"), TempTree::Pattern(100));
    EXPECT_EQ(ReadAll(victim), "not to be written");
    EXPECT_TRUE(Report.Logs.empty());
    ExpectNoTempLeft();
}

// ---- The source must be the file that was listed ------------------------------------------------

// Change: what happens to the 3 MiB source once a quarter of it is copied (null: nothing).
// Listed: the listing's size and time differ from the file's. Proc: a procfs file, whose
// size (0) says less than it holds.
// clang-format off
struct ChangeRow { std::string Name; std::function<void(const std::string&)> Change; bool ListedOther; bool Proc; };
const ChangeRow ChangeRows[] = {
    {"Shrinks", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), MiB + MiB / 2), 0); }, false, false},
    {"Grows", [](const std::string& p) { std::ofstream(p, std::ios::app) << "more"; }, false, false},
    {"RewrittenInPlace", [](const std::string& p) { std::fstream(p, std::ios::in | std::ios::out) << "new"; }, false, false},
    {"GrowsWithItsTimeRestored", [](const std::string& p) {
         std::ofstream(p, std::ios::app) << "more";
         const timespec times[2] = {{1500000000, 0}, {1500000000, 0}};
         ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0); }, false, false},
    {"ChangedSinceListed", nullptr, true, false},
    {"HoldsMoreThanItsSize", nullptr, false, true},
};
// clang-format on

class CopyOneFileSourceChanges : public CopyOneFileTest, public ::testing::WithParamInterface<ChangeRow>
{};

TEST_P(CopyOneFileSourceChanges, DiscardTheCopyKeepTheOldTargetAndReportIt)
{
    const ChangeRow& row = GetParam();
    const timespec listed{1500000000, 0};
    std::string source = Tree.AddFile("src/f.bin", 3 * MiB, TreeTime(listed));
    CopyRequest r = Request("f.bin", 3 * MiB);
    r.SourceMTime = row.ListedOther ? timespec{1400000000, 0} : listed;
    if (row.Proc) {
        source = "/proc/self/status";
        r = CopyRequest{"status", "/proc/self", Dst, 0, 0, Attr::Archive, false, {}, {}};
    }
    std::string target = Tree.AddFile("dst/" + r.Name, "old target");
    r.TargetName = r.Name;
    if (row.Change) {
        AtGauge(25, [&row, source] { row.Change(source); });
    }

    EXPECT_EQ(Copy(r), 1);

    EXPECT_EQ(ReadAll(target), "old target");
    ExpectProblem(CopyMsg::ChangedDuringCopy, source);
    ExpectNoTempLeft();
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileSourceChanges, ::testing::ValuesIn(ChangeRows), ByName());

TEST_F(CopyOneFileTest, ASourceThatIsNoLongerAFileIsNotReadAndNeverBlocks)
{
    // Listed as files; by the time of the copy one is a fifo (an open for reading would wait
    // for a writer for ever) and one a link (which would be followed).
    ASSERT_EQ(::mkfifo((Src + "/fifo").c_str(), 0644), 0);
    Tree.AddFile("elsewhere/secret", "not to be copied");
    Tree.AddSymlink("src/ln", "../elsewhere/secret");
    EXPECT_EQ(Copy(Request("fifo", 10)), 1);
    EXPECT_EQ(Copy(Request("ln", 16)), 1);
    EXPECT_FALSE(Tree.Exists("dst/fifo") || Tree.Exists("dst/ln"));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{ProblemMessageLine(CopyMsg::CouldNotRead, Src + "/fifo"),
                                        ProblemMessageLine(CopyMsg::CouldNotRead, Src + "/ln")}));
    ExpectNoTempLeft();
}

// ---- Target space -----------------------------------------------------------------------------------

// Existing -1: no target yet. Answer: set when the user is asked.
// clang-format off
struct SpaceRow { std::string Name; std::int64_t Free; std::int64_t Existing; bool Ignore; bool MidBatch;
                  bool Display; std::optional<DialogResult> Answer; int Expected; };
const SpaceRow SpaceRows[] = {
    // name                           free  existing ignore batch  display answer                 result
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

class CopyOneFileSpace : public CopyOneFileTest, public ::testing::WithParamInterface<SpaceRow>
{};

TEST_P(CopyOneFileSpace, RefusesACopyThatWouldNotFitBeforeWritingAnything)
{
    const SpaceRow& row = GetParam();
    constexpr std::int64_t size = 1000;
    Tree.AddFile("src/s.bin", size);
    std::string oldContent(static_cast<std::size_t>(std::max<std::int64_t>(row.Existing, 0)), 'o');
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
        EXPECT_TRUE(Host.Questions.empty() && Report.Logs.empty());
        return;
    }
    EXPECT_EQ(Tree.Exists("dst/s.bin"), row.Existing >= 0);
    EXPECT_TRUE(row.Existing < 0 || ReadAll(Dst + "/s.bin") == oldContent) << "old target changed";
    ASSERT_EQ(Host.Questions.size(), row.Answer ? 1u : 0u);
    if (row.Answer) {
        EXPECT_NE(Host.Questions[0].Text.find(message), std::string::npos) << Host.Questions[0].Text;
    }
    EXPECT_EQ(Host.UnusedAnswers(), 0u);
    ASSERT_EQ(Report.Logs.size(), 1u);
    EXPECT_EQ(Report.Logs[0].Text, std::string(CopyMsg::DiskFullLog) + message);
    EXPECT_EQ(Report.Logs[0].Kind, LogKind::FileError);
    EXPECT_EQ(Messages(), std::vector<std::string>{message});
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileSpace, ::testing::ValuesIn(SpaceRows), ByName());

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
// files left out of the run. Reading "/proc/self/mem" from its start is a real read error (EIO).
// clang-format off
struct FailureRow { std::string Name; std::optional<FaultPlan> Fault; bool ReadOnlyTarget; std::string_view Problem;
                    bool SourceNamed; std::string Source = {}; std::string File = "f.bin"; };
const FailureRow FailureRows[] = {
    {"SourceCannotBeOpened",  FaultPlan{FaultOp::Open, EACCES, "/src/"},           false, CopyMsg::CouldNotRead,  true},
    {"TempCannotBeCreated",   FaultPlan{FaultOp::Open, EACCES, "/dst/"},           false, CopyMsg::CouldNotWrite, false},
    {"DiskFullMidCopy",       FaultPlan{FaultOp::Write, ENOSPC, "/dst/", 100000},  false, CopyMsg::CouldNotWrite, false},
    {"IoErrorMidCopy",        FaultPlan{FaultOp::Write, EIO, "/dst/", 1500000},    false, CopyMsg::CouldNotWrite, false},
    {"RenameRefused",         FaultPlan{FaultOp::Rename, EIO, "/dst/"},            false, CopyMsg::CouldNotWrite, false},
    {"ReadOnlyTargetKept",    std::nullopt,                                        true,  CopyMsg::CouldNotWrite, false},
    {"KernelReadError",       std::nullopt,                                        false, CopyMsg::CouldNotRead,  true, "/proc/self", "mem"},
};
// clang-format on

class CopyOneFileFailures : public CopyOneFileTest, public ::testing::WithParamInterface<FailureRow>
{};

TEST_P(CopyOneFileFailures, LeaveTheOldTargetAsItWasAndAreNotCounted)
{
    const FailureRow& row = GetParam();
    std::string source = Tree.AddFile("src/f.bin", 3 * MiB);
    std::string target = Tree.AddFile("dst/" + row.File, 200000, {}, row.ReadOnlyTarget ? 0444 : 0644);
    Opts.CheckReadOnly = !row.ReadOnlyTarget;
    Opts.CheckResetArchive = true;
    CopyRequest r = Request(row.File, 3 * MiB);
    if (!row.Source.empty()) {
        r.SourceFolder = row.Source;
        source = row.Source + "/" + row.File;
    }
    std::optional<ScopedFault> fault;
    if (row.Fault) {
        fault.emplace(*row.Fault);
    }

    EXPECT_EQ(Copy(r), 1);
    fault.reset();

    EXPECT_TRUE(ReadAll(target) == TempTree::Pattern(200000)) << "old target changed";
    EXPECT_EQ(LStat(target).st_mode & 07777, row.ReadOnlyTarget ? 0444u : 0644u);
    ExpectProblem(row.Problem, row.SourceNamed ? source : target);
    ExpectNoTempLeft();
    EXPECT_FALSE(Engine.SkipFileEnabled);
    // The source still needs backing up: nothing reached the target.
    EXPECT_NE(GetFileAttr(Src + "/f.bin").Value() & Attr::Archive, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileFailures, ::testing::ValuesIn(FailureRows), ByName());

TEST_F(CopyOneFileTest, RealFullDiskKeepsTheOldTarget)
{
    Tree.AddFile("src/big.bin", 3 * MiB);
    std::string small = Tree.AddFolder("small");
    int status = RunOnSmallDisk(small, "1m", [&] {
        std::string old(300000, 'o');
        std::ofstream(small + "/big.bin", std::ios::binary) << old;
        if (ReadAll(small + "/big.bin") != old) {
            return 70;
        }
        Dst = small;
        bool reported = Copy(Request("big.bin", 3 * MiB)) == 1 && Report.Logs.size() == 1
                        && Report.Logs[0].Text == ProblemLogLine(CopyMsg::CouldNotWrite, small + "/big.bin");
        if (!reported) {
            return 1;
        }
        return ReadAll(small + "/big.bin") == old && TempNamesIn(small).empty() ? 0 : 2;
    });
    if (status == NoMountNamespace) {
        GTEST_SKIP() << "needs root to mount a small tmpfs in a private mount namespace";
    }
    EXPECT_EQ(status, 0) << "1: not reported as unwritten, 2: old target changed or temp left behind";
}

// ---- Stop and Skip File --------------------------------------------------------------------------------

// PressAt: the gauge at which the button is pressed; -1: a stop confirmed before the file.
// Grow: the source grows by 2 MiB at a quarter, so the press comes past its listed size, where
// Stop and Skip File must still be heard.
// clang-format off
struct StopRow { std::string Name; bool Skip; int PressAt; bool Grow; std::optional<DialogResult> Answer; int Expected;
                 std::string_view Problem; };
const StopRow StopRows[] = {
    {"SkipMidway",             true,  25,  false, std::nullopt,      1, CopyMsg::UserSkipped},
    {"SkipPastAGrownSize",     true,  100, true,  std::nullopt,      1, CopyMsg::UserSkipped},
    {"ConfirmedStopMidway",    false, 25,  false, DialogResult::Yes, 4, {}},
    {"DeclinedStopFinishes",   false, 25,  false, DialogResult::No,  0, {}},
    {"StopConfirmedBefore",    false, -1,  false, std::nullopt,      4, {}},
};
// clang-format on

class CopyOneFileStops : public CopyOneFileTest, public ::testing::WithParamInterface<StopRow>
{};

TEST_P(CopyOneFileStops, KeepTheOldTargetAndTouchOnlyThatFile)
{
    const StopRow& row = GetParam();
    std::string source = Tree.AddFile("src/big.bin", 8 * MiB);
    Tree.AddFile("src/next.bin", 3 * MiB);
    std::string target = Tree.AddFile("dst/big.bin", "old target");
    if (row.Answer) {
        Host.QueueAnswer(*row.Answer);
    }
    if (row.Grow) {
        AtGauge(25, [this, source] {
            std::ofstream(source, std::ios::app) << TempTree::Pattern(2 * MiB);
            AtGauge(100, [this] { State.SkipFileButtonClick(); });
        });
    } else if (row.PressAt < 0) {
        State.OperationState = static_cast<int>(OperationStates::Confirmed);
    } else {
        AtGauge(row.PressAt,
                [this, &row] { row.Skip ? State.SkipFileButtonClick() : State.StopButtonClick(); });
    }

    EXPECT_EQ(Copy(Request("big.bin", 8 * MiB)), row.Expected);

    EXPECT_EQ(ReadAll(target), row.Expected == 0 ? TempTree::Pattern(8 * MiB) : "old target");
    EXPECT_EQ(Host.Questions.size(), row.Answer ? 1u : 0u);
    if (row.Answer) {
        EXPECT_EQ(Host.Questions[0].Text, Msg::ConfirmStop);
    }
    if (row.Problem.empty()) {
        EXPECT_TRUE(Report.Logs.empty());
    } else {
        ExpectProblem(row.Problem, source);
    }
    if (row.PressAt >= 0) {
        EXPECT_TRUE(SkipEnabledWhenPressed);
        EXPECT_EQ(GaugeWhenPressed < 100, !row.Grow);
    }
    EXPECT_FALSE(Engine.SkipFileEnabled);
    ExpectNoTempLeft();

    // A skip request still standing belonged to that file only: the next one is copied in full.
    if (row.Skip) {
        State.SkipFileButtonTag = 1;
        EXPECT_EQ(Copy(Request("next.bin", 3 * MiB)), 0);
        EXPECT_EQ(ReadAll(Dst + "/next.bin"), TempTree::Pattern(3 * MiB));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileStops, ::testing::ValuesIn(StopRows), ByName());

// ---- A killed process ------------------------------------------------------------------------------------

// Pumps slowly, so a copy takes long enough to be killed half way.
class SlowHost : public Test::ScriptedHost
{
public:
    void ProcessMessages() override { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }
};

TEST_F(CopyOneFileTest, KilledCopyLeavesTheOldTargetAndOnlyItsRecordedTempIsRemoved)
{
    Tree.AddFile("src/big.bin", 16 * MiB);
    std::string target = Tree.AddFile("dst/big.bin", "old target");
    // A user's files, whatever they look like, are never taken for leftovers.
    std::string lookAlike = Tree.AddFile("dst/.keep.Zz9999.txpart", "kept");
    std::string journal = Tree.AddFolder("journal");

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SlowHost slow;
        RunState state(slow, Opts);
        state.SetClock([this] { return Now += std::chrono::seconds(1); });
        RunContext ctx{Opts, state, slow, Report, Engine};
        UseTempJournal(journal);
        // Where unnamed files are possible nothing would be left at all; this case is the other.
        InjectFault(FaultPlan{FaultOp::Open, EOPNOTSUPP, Dst + "/", 0, 1});
        ::_exit(CopyOneFile(ctx, Request("big.bin", 16 * MiB)) == 0 ? 10 : 11);
    }

    // Kill it once its temporary file holds a few chunks; the deadline only bounds a broken copy.
    bool killed = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!killed && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& name : TempNamesIn(Dst)) {
            struct stat st
            {};
            if (name != ".keep.Zz9999.txpart" && ::stat((Dst + "/" + name).c_str(), &st) == 0
                && st.st_size >= 3 * MiB) {
                killed = ::kill(pid, SIGKILL) == 0;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!killed) {
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the copy ended before it could be killed";
    EXPECT_EQ(ReadAll(target), "old target");
    ASSERT_EQ(TempNamesIn(Dst).size(), 2u) << "the killed copy's temporary file and the look-alike";

    RemoveRecordedTempFiles(journal);

    EXPECT_EQ(TempNamesIn(Dst), std::vector<std::string>{".keep.Zz9999.txpart"});
    EXPECT_EQ(ReadAll(lookAlike), "kept");
    EXPECT_EQ(ReadAll(target), "old target");
    EXPECT_FALSE(Tree.Exists("journal/TXTemp" + std::to_string(pid) + ".jnl")) << "worked off";
}

TEST_F(CopyOneFileTest, TheJournalOfARunningProcessIsLeftAlone)
{
    std::string journal = Tree.AddFolder("journal");
    UseTempJournal(journal);
    int fd = -1;
    SysResult<std::string> temp = CreateTempFile(Dst + "/a.txt", 0600, fd);
    ASSERT_TRUE(temp.Ok());
    ::close(fd);
    RemoveRecordedTempFiles(journal); // this process still runs: its temporary file may be in use
    EXPECT_TRUE(Tree.Exists(temp.Value().substr(Tree.Root().size() + 1)));
    ::unlink(temp.Value().c_str());
    TempEntryGone();
    UseTempJournal({});
}

} // namespace
} // namespace Tandemix
