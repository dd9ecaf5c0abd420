// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CopyOneFile.h"

#include "engine/CopyMessages.h"
#include "engine/ShowError.h"
#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "platform/Mounts.h"
#include "support/CoreBundle.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

namespace Tandemix {
namespace {

using Test::ByName;
using Test::LStat;
using Test::PrintTo;
using Test::SameTime;
using Test::TempNamesIn;

constexpr std::int64_t MiB = 1024 * 1024;
constexpr std::int64_t GiB = 1024 * MiB;

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
        std::string twin = Tree.Exists("dst/" + name) ? name : "";
        return CopyRequest{name, Src, Dst, size, 0, attr, false, twin, {}};
    }
    int Copy(const CopyRequest& r) { return CopyOneFile(Ctx, r); }
    std::string Target(const std::string& name) const { return Tree.ReadFile("dst/" + name); }
    std::uint32_t AttrOf(const std::string& path) const { return GetFileAttr(path).Value(); }

    // Runs `press` at the first poll that finds at least `percent` of the file copied.
    void AtGauge(int percent, std::function<void()> press)
    {
        AtFirstPollWhere([this, percent] { return Engine.FileGauge >= percent; },
                         [this, press] {
                             GaugeWhenPressed = Engine.FileGauge;
                             SkipEnabledWhenPressed = Engine.SkipFileEnabled;
                             press();
                         });
    }

    // The one problem of the copy, in the log and in the message list.
    void ExpectProblem(std::string_view label,
                       const std::string& path,
                       LogKind kind = LogKind::UpdatedFile,
                       const std::string& note = {})
    {
        ASSERT_EQ(Report.Logs.size(), 1u);
        EXPECT_EQ(std::tie(Report.Logs[0].Text, Report.Logs[0].Kind),
                  std::tuple(ProblemLogLine(label, path) + note, kind));
        EXPECT_EQ(Messages(), std::vector<std::string>{ProblemMessageLine(label, path) + note});
    }
    void ExpectNoTempLeft() { EXPECT_EQ(TempNamesIn(Dst), std::vector<std::string>{}); }
    TempTree Tree;
    std::string Src;
    std::string Dst;
    int GaugeWhenPressed = -1;
    bool SkipEnabledWhenPressed = false;
    std::optional<ScopedFault> Fault;
};

// ---- Data, times and attributes arrive exactly --------------------------------------------------

using CopyOneFileSizes = Test::TableOf<CopyOneFileTest, std::int64_t>;

TEST_P(CopyOneFileSizes, CopiesByteExactWithFullPrecisionTimes)
{
    const std::int64_t size = GetParam();
    std::string source = Tree.AddFile("src/f.bin", size, {}, 0640);
    const timespec times[2] = {{1400000000, 987654321}, {1500000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    Tree.AddFile("dst/f.bin", "old content of a different length");
    EXPECT_EQ(Copy(Request("f.bin", size)), 0);
    struct stat st = LStat(Dst + "/f.bin"); // before reading it, which moves the atime
    EXPECT_TRUE(Target("f.bin") == TempTree::Pattern(size)) << "content differs";
    EXPECT_TRUE(SameTime(st.st_mtim, times[1]) && SameTime(st.st_atim, times[0]));
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::tie(Engine.FileGauge, Engine.SkipFileEnabled), std::make_tuple(100, false));
    ExpectNoTempLeft();
    EXPECT_TRUE(Report.Logs.empty() && Report.Entries.empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         CopyOneFileSizes,
                         ::testing::Values(0, 1, MiB - 1, MiB, MiB + 1, 3 * MiB + 17, 16 * MiB + 5),
                         [](const auto& param) { return "Bytes" + std::to_string(param.param); });

// A new file gets its mode when it is created; a umask that strips bits from it, or a mode only
// a change can give, must still leave exactly the source's mode behind.
TEST_F(CopyOneFileTest, ModeReadOnlyAndArchiveBitFollowTheSourceWhateverTheUmask)
{
    Opts.CheckReadOnly = true;
    const mode_t saved = ::umask(077);
    for (mode_t mode : {0664u, 0755u, 0600u, 0640u}) {
        std::string name = "m" + std::to_string(mode);
        Tree.AddFile("src/" + name, 10, {}, mode);
        EXPECT_EQ(Copy(Request(name, 10)), 0);
        EXPECT_EQ(LStat(Dst + "/" + name).st_mode & 07777, mode) << name;
    }
    Tree.AddFile("src/tool.sh", 100, {}, 0755);
    Tree.AddFile("src/ro.txt", 2000, {}, 0444);
    Tree.AddFile("src/rw.txt", 3000, {}, 0644);
    Tree.AddFile("dst/ro.txt", "old", {}, 0444);
    Tree.AddFile("dst/rw.txt", "old", {}, 0444);
    EXPECT_EQ(Copy(Request("tool.sh", 100, Attr::ReadOnly | Attr::Archive)), 0);
    EXPECT_EQ(Copy(Request("ro.txt", 2000, Attr::ReadOnly | Attr::Archive)), 0);
    EXPECT_EQ(Copy(Request("rw.txt", 3000, Attr::Archive)), 0);
    ::umask(saved);
    EXPECT_EQ(LStat(Dst + "/tool.sh").st_mode & 07777, 0555u) << "execute bits kept, every write bit cleared";
    EXPECT_EQ(Target("ro.txt") + Target("rw.txt"), TempTree::Pattern(2000) + TempTree::Pattern(3000));
    EXPECT_EQ(LStat(Dst + "/ro.txt").st_mode & 0222, 0u);
    EXPECT_NE(LStat(Dst + "/rw.txt").st_mode & S_IWUSR, 0u);
    EXPECT_TRUE(Report.Logs.empty());
    std::string reset = Tree.AddFile("src/reset.txt", 10);
    std::string kept = Tree.AddFile("src/kept.txt", 10);
    Tree.AddFile("src/clear.txt", 10);
    if (::lsetxattr(reset.c_str(), "user.tandemix.probe", "1", 1, 0) != 0) {
        GTEST_SKIP() << "the temporary folder's filesystem has no user extended attributes";
    }
    EXPECT_EQ(AttrOf(Dst + "/tool.sh") & (Attr::ReadOnly | Attr::Archive), Attr::ReadOnly | Attr::Archive);
    Opts.CheckResetArchive = true;
    EXPECT_EQ(Copy(Request("reset.txt", 10, Attr::Archive)), 0);
    EXPECT_EQ(AttrOf(reset) & Attr::Archive, 0u) << "source reset after the copy";
    EXPECT_EQ(AttrOf(Dst + "/reset.txt") & Attr::Archive, 0u) << "target never gets the bit";
    // Without the option the target mirrors the decided bit and the source is left alone.
    Opts.CheckResetArchive = false;
    EXPECT_EQ(Copy(Request("kept.txt", 10, Attr::Archive)), 0);
    EXPECT_EQ(Copy(Request("clear.txt", 10, 0)), 0);
    EXPECT_EQ(AttrOf(Dst + "/kept.txt") & Attr::Archive, Attr::Archive);
    EXPECT_EQ(AttrOf(Dst + "/clear.txt") & Attr::Archive, 0u);
    EXPECT_EQ(AttrOf(kept) & Attr::Archive, Attr::Archive);
}

// A folder's copies share the folders held open for them: the target folder stays the one
// opened, even when a link takes its path between two copies, so nothing goes through the link.
TEST_F(CopyOneFileTest, HeldFoldersAreNeverLeftForALinkThatTookTheirPlace)
{
    Tree.AddFile("src/a.txt", 10);
    Tree.AddFile("src/b.txt", 20);
    Tree.AddFolder("elsewhere");
    CopyFolders folders;
    CopyRequest first = Request("a.txt", 10);
    first.Folders = &folders;
    EXPECT_EQ(Copy(first), 0);
    ASSERT_EQ(::rename(Dst.c_str(), (Dst + ".moved").c_str()), 0);
    Tree.AddSymlink("dst", "elsewhere");
    CopyRequest second = Request("b.txt", 20);
    second.Folders = &folders;
    EXPECT_EQ(Copy(second), 0);
    EXPECT_EQ(Tree.ReadFile("dst.moved/b.txt"), TempTree::Pattern(20));
    EXPECT_FALSE(Tree.Exists("elsewhere/b.txt"));
}

TEST_F(CopyOneFileTest, LinksAreCopiedAsLinksAndAnUpdateWritesToItsTwin)
{
    Tree.AddFile("elsewhere/big", 2 * MiB);
    Tree.AddSymlink("src/ln", "../elsewhere/big");
    Tree.AddSymlink("src/dangling", "nowhere/at/all");
    Tree.SetTime("src/ln", TreeTime(timespec{1234567890, 500}));
    Tree.AddFile("dst/ln", "an old regular file");
    Tree.AddFile("src/Report.TXT", 4000);
    Tree.AddFile("dst/report.txt", "old");
    // A link where the source has a file is replaced as a link: what it points at stays.
    Tree.AddFile("src/f.bin", 100);
    Tree.AddFile("elsewhere/victim", "not to be written");
    Tree.AddSymlink("dst/f.bin", "../elsewhere/victim");
    for (auto [name, size] : {std::pair{"ln", 16}, std::pair{"dangling", 14}}) {
        CopyRequest link = Request(name, size);
        link.IsLink = true;
        EXPECT_EQ(Copy(link), 0) << name;
    }
    CopyRequest update = Request("Report.TXT", 4000);
    update.TargetName = "report.txt";
    EXPECT_EQ(Copy(update), 0);
    EXPECT_EQ(Copy(Request("f.bin", 100)), 0);
    EXPECT_EQ(Tandemix::Test::LinkTarget(Dst + "/ln") + "|" + Tandemix::Test::LinkTarget(Dst + "/dangling"),
              "../elsewhere/big|nowhere/at/all");
    EXPECT_TRUE(SameTime(LStat(Dst + "/ln").st_mtim, timespec{1234567890, 500}));
    EXPECT_EQ(Target("report.txt"), TempTree::Pattern(4000));
    EXPECT_FALSE(Tree.Exists("dst/Report.TXT")) << "no second file beside the twin";
    // Read through a link left in place this would be the victim's text.
    EXPECT_EQ(Target("f.bin"), TempTree::Pattern(100));
    EXPECT_EQ(Tree.ReadFile("elsewhere/victim"), "not to be written");
    EXPECT_TRUE(Report.Logs.empty());
    ExpectNoTempLeft();
}

TEST_F(CopyOneFileTest, TimeTheTargetCannotStoreIsReportedOnceAndTheCopiesCount)
{
    Tree.AddFile("src/t.txt", 5000);
    Tree.AddFile("src/u.txt", 10);
    ScopedFault refuse(FaultPlan{FaultOp::SetTimes, ERANGE, Dst});
    EXPECT_EQ(Copy(Request("t.txt", 5000)), 0);
    EXPECT_EQ(Copy(Request("u.txt", 10)), 0);
    EXPECT_EQ(Target("t.txt") + Target("u.txt"), TempTree::Pattern(5000) + TempTree::Pattern(10));
    std::string note = " " + std::string(CopyMsg::TimeNotKeptNote);
    ExpectProblem(CopyMsg::CouldNotSetTime, Dst + "/t.txt", LogKind::FileError, note);
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

using CopyOneFilePlacing = Test::TableOf<CopyOneFileTest, PlaceRow>;

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
        EXPECT_EQ(Target("f.bin"), TempTree::Pattern(3 * MiB));
        EXPECT_TRUE(Report.Logs.empty());
    } else {
        EXPECT_EQ(Target(name), "someone else's");
        ExpectProblem(CopyMsg::CouldNotWrite, Dst + "/" + name);
    }
    ExpectNoTempLeft();
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFilePlacing, ::testing::ValuesIn(PlaceRows), ByName());

// ---- A file not copied leaves the old target as it was --------------------------------------------

// Breaks the 3 MiB update of f.bin (or of another source it names) and returns the path the
// report must name.
using Arrange = std::function<std::string(CopyOneFileTest&, CopyRequest&)>;

Arrange AtAQuarter(std::function<void(const std::string&)> change)
{
    return [change](CopyOneFileTest& t, CopyRequest&) {
        std::string source = t.Src + "/f.bin";
        t.AtGauge(25, [change, source] { change(source); });
        return source;
    };
}

// Another source: procfs files say less than they hold (status) or fail to read (mem); a fifo
// would block an open for reading for ever, a link would be followed.
Arrange Instead(std::string folder,
                std::string name,
                std::int64_t size,
                std::function<void(CopyOneFileTest&)> make = {})
{
    return [=](CopyOneFileTest& t, CopyRequest& r) {
        if (make) {
            make(t);
        }
        r.Name = r.TargetName = name;
        r.SourceFolder = folder.empty() ? t.Src : folder;
        r.Size = size;
        r.SourceMTime = {};
        t.Tree.AddFile("dst/" + name, 200000);
        return r.SourceFolder + "/" + name;
    };
}

Arrange Faulty(FaultPlan plan, bool sourceNamed)
{
    return [plan, sourceNamed](CopyOneFileTest& t, CopyRequest&) {
        t.Fault.emplace(plan);
        return sourceNamed ? t.Src + "/f.bin" : t.Dst + "/f.bin";
    };
}

const std::string_view Changed = CopyMsg::ChangedDuringCopy;
const std::string_view Unread = CopyMsg::CouldNotRead;
const std::string_view Unwritten = CopyMsg::CouldNotWrite;

// clang-format off
struct NotCopiedRow { std::string Name; std::string_view Problem; Arrange Break; };
const NotCopiedRow NotCopiedRows[] = {
    {"Shrinks", Changed, AtAQuarter([](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), MiB + MiB / 2), 0); })},
    {"Grows", Changed, AtAQuarter([](const std::string& p) { std::ofstream(p, std::ios::app) << "more"; })},
    {"RewrittenInPlace", Changed, AtAQuarter([](const std::string& p) { std::fstream(p, std::ios::in | std::ios::out) << "new"; })},
    {"GrowsWithItsTimeRestored", Changed, AtAQuarter([](const std::string& p) {
         std::ofstream(p, std::ios::app) << "more";
         const timespec times[2] = {{1500000000, 0}, {1500000000, 0}};
         ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0); })},
    {"ChangedSinceListed", Changed, [](CopyOneFileTest& t, CopyRequest& r) { r.SourceMTime = {1400000000, 0}; return t.Src + "/f.bin"; }},
    {"HoldsMoreThanItsSize", Changed, Instead("/proc/self", "status", 0)},
    {"KernelReadError", Unread, Instead("/proc/self", "mem", 3 * MiB)},
    {"NowAFifo", Unread, Instead({}, "fifo", 10, [](CopyOneFileTest& t) { ASSERT_EQ(::mkfifo((t.Src + "/fifo").c_str(), 0644), 0); })},
    {"NowALink", Unread, Instead({}, "ln", 16, [](CopyOneFileTest& t) { t.Tree.AddSymlink("src/ln", "f.bin"); })},
    {"SourceCannotBeOpened", Unread, Faulty(FaultPlan{FaultOp::Open, EACCES, "/src/"}, true)},
    {"TempCannotBeCreated", Unwritten, Faulty(FaultPlan{FaultOp::Open, EACCES, "/dst/"}, false)},
    {"DiskFullMidCopy", Unwritten, Faulty(FaultPlan{FaultOp::Write, ENOSPC, "/dst/", 100000}, false)},
    {"IoErrorMidCopy", Unwritten, Faulty(FaultPlan{FaultOp::Write, EIO, "/dst/", 1500000}, false)},
    {"RenameRefused", Unwritten, Faulty(FaultPlan{FaultOp::Rename, EIO, "/dst/"}, false)},
    {"ReadOnlyTargetKept", Unwritten, [](CopyOneFileTest& t, CopyRequest&) {
         t.Opts.CheckReadOnly = false; // read-only files are left out of the run
         EXPECT_EQ(::chmod((t.Dst + "/f.bin").c_str(), 0444), 0);
         return t.Dst + "/f.bin"; }},
};
// clang-format on

using CopyOneFileNotCopied = Test::TableOf<CopyOneFileTest, NotCopiedRow>;

TEST_P(CopyOneFileNotCopied, LeavesTheOldTargetReportsItAndIsNotCounted)
{
    const timespec listed{1500000000, 0};
    Tree.AddFile("src/f.bin", 3 * MiB, TreeTime(listed));
    Tree.AddFile("dst/f.bin", 200000);
    Opts.CheckReadOnly = true;
    Opts.CheckResetArchive = true;
    CopyRequest r = Request("f.bin", 3 * MiB);
    r.SourceMTime = listed;
    std::string named = GetParam().Break(*this, r);
    std::string target = Dst + "/" + r.Name;
    const mode_t mode = LStat(target).st_mode;
    EXPECT_EQ(Copy(r), 1);
    Fault.reset();
    EXPECT_TRUE(Target(r.Name) == TempTree::Pattern(200000)) << "old target changed";
    EXPECT_EQ(LStat(target).st_mode, mode);
    ExpectProblem(GetParam().Problem, named);
    ExpectNoTempLeft();
    EXPECT_FALSE(Engine.SkipFileEnabled);
    // The source still needs backing up: nothing reached the target.
    EXPECT_NE(AttrOf(Src + "/f.bin") & Attr::Archive, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileNotCopied, ::testing::ValuesIn(NotCopiedRows), ByName());

// ---- Target space -----------------------------------------------------------------------------------

// Existing -1: no target yet (an old one is sparse: it costs no disk space but counts with its
// full size). Size: what the decision saw. Answer: the user's; the copy goes by the answer alone,
// so the answers given with messages off are left to ShowErrorTable.
constexpr std::int64_t G2 = 2 * GiB, G6 = 6 * GiB, G3h = 3 * GiB + GiB / 2, G4h = 4 * GiB + GiB / 2;
// clang-format off
struct SpaceRow { std::string Name; std::int64_t Free; std::int64_t Existing; bool Ignore; bool MidBatch;
                  std::optional<DialogResult> Answer; int Expected; std::int64_t Size = 1000; };
const SpaceRow SpaceRows[] = {
    // name                           free  existing ignore batch  answer                 result
    {"ReplacingFreesEnough",          200,  900,     false, false, std::nullopt,          0},
    {"FreeEqualsSize",                1000, -1,      false, false, std::nullopt,          0},
    {"FreeSpaceUnknown",              -1,   -1,      false, false, std::nullopt,          0},
    {"SpaceCheckSwitchedOff",         0,    900,     true,  false, std::nullopt,          0},
    {"ReplacingFreesJustTooLittle",   100,  900,     false, false, DialogResult::Ok,      4},
    {"NewFileOneByteShort",           999,  -1,      false, false, DialogResult::Ok,      4},
    {"BatchGoesOnWithNextFolder",     50,   900,     false, true,  DialogResult::Yes,     3},
    {"BatchStops",                    50,   900,     false, true,  DialogResult::Cancel,  4},
    {"BeyondFourGiBTooLittle",        G3h,  G2,      false, false, DialogResult::Ok,      4, G6},
    {"BeyondFourGiBFreedFits",        G4h,  G2,      false, false, std::nullopt,          0, G6},
};
// clang-format on

using CopyOneFileSpace = Test::TableOf<CopyOneFileTest, SpaceRow>;

TEST_P(CopyOneFileSpace, RefusesACopyThatWouldNotFitBeforeWritingAnything)
{
    const SpaceRow& row = GetParam();
    Tree.AddFile("src/s.bin", 1000);
    if (row.Existing >= 0) {
        ASSERT_EQ(::truncate(Tree.AddFile("dst/s.bin", "").c_str(), row.Existing), 0);
    }
    Engine.TargetFreeSpace = row.Free;
    Opts.IgnoreTargetSpace = row.Ignore;
    Opts.RunBatchList = row.MidBatch;
    Engine.LastBatchRow = !row.MidBatch;
    if (row.Answer) {
        Host.QueueAnswer(*row.Answer);
    }
    EXPECT_EQ(Copy(Request("s.bin", row.Size)), row.Expected);
    std::string message = "Target Drive \"" + MountPointOf(Dst) + "\" Does Not Have Enough Available Space!";
    ExpectNoTempLeft();
    if (row.Expected == 0) {
        EXPECT_EQ(Target("s.bin"), TempTree::Pattern(1000));
        EXPECT_TRUE(Host.Questions.empty() && Report.Logs.empty());
        return;
    }
    EXPECT_EQ(Tree.Exists("dst/s.bin") ? LStat(Dst + "/s.bin").st_size : -1, row.Existing)
        << "old target changed";
    ASSERT_EQ(Host.Questions.size(), row.Answer ? 1u : 0u);
    if (row.Answer) {
        EXPECT_NE(Host.Questions[0].Text.find(message), std::string::npos) << Host.Questions[0].Text;
    }
    ASSERT_EQ(Report.Logs.size(), 1u);
    EXPECT_EQ(std::tie(Report.Logs[0].Text, Report.Logs[0].Kind),
              std::tuple(std::string(CopyMsg::DiskFullLog) + message, LogKind::FileError));
    EXPECT_EQ(Messages(), std::vector<std::string>{message});
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileSpace, ::testing::ValuesIn(SpaceRows), ByName());

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

using CopyOneFileStops = Test::TableOf<CopyOneFileTest, StopRow>;

TEST_P(CopyOneFileStops, KeepTheOldTargetAndTouchOnlyThatFile)
{
    const StopRow& row = GetParam();
    std::string source = Tree.AddFile("src/big.bin", 8 * MiB);
    Tree.AddFile("src/next.bin", 3 * MiB);
    Tree.AddFile("dst/big.bin", "old target");
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
    EXPECT_EQ(Target("big.bin"), row.Expected == 0 ? TempTree::Pattern(8 * MiB) : "old target");
    EXPECT_EQ(Host.Questions.size(), row.Answer ? 1u : 0u) << "the stop question alone";
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
        EXPECT_EQ(Target("next.bin"), TempTree::Pattern(3 * MiB));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyOneFileStops, ::testing::ValuesIn(StopRows), ByName());

TEST_F(CopyOneFileTest, ADeadCopyLeavesTheOldTargetAndOnlyItsRecordedTempIsRemoved)
{
    Tree.AddFile("src/big.bin", 16 * MiB);
    Tree.AddFile("dst/big.bin", "old target");
    // A user's files, whatever they look like, are never taken for leftovers.
    Tree.AddFile("dst/.keep.Zz9999.txpart", "kept");
    std::string journal = Tree.AddFolder("journal");
    int code = RunInChild([&] {
        UseTempJournal(journal);
        // Where unnamed files are possible nothing would be left at all; this case is the other.
        InjectFault(FaultPlan{FaultOp::Open, EOPNOTSUPP, Dst + "/", 0, 1});
        // Dies at a poll with a quarter written, running no clean-up, as a killed process would.
        AtGauge(25, [] { ::_exit(12); });
        return Copy(Request("big.bin", 16 * MiB)) == 0 ? 10 : 11;
    });
    ASSERT_EQ(code, 12) << "the copy ended before it died";
    EXPECT_EQ(Target("big.bin"), "old target");
    ASSERT_EQ(TempNamesIn(Dst).size(), 2u) << "the dead copy's temporary file and the look-alike";

    // This process still runs: its own recorded temporary file may be in use and stays.
    UseTempJournal(journal);
    int fd = -1;
    SysResult<std::string> ours = CreateTempFile(Dst + "/a.txt", 0600, fd);
    ASSERT_TRUE(ours.Ok());
    ::close(fd);
    RemoveRecordedTempFiles(journal);
    EXPECT_EQ(TempNamesIn(Dst).size(), 2u) << "ours and the look-alike";
    EXPECT_TRUE(Tree.Exists(ours.Value().substr(Tree.Root().size() + 1)));
    EXPECT_EQ(std::tuple(Target(".keep.Zz9999.txpart"), Target("big.bin")), std::tuple("kept", "old target"));
    EXPECT_EQ(Tandemix::Test::SortedNamesIn(journal),
              std::vector<std::string>{"TXTemp" + std::to_string(::getpid()) + ".jnl"})
        << "the dead copy's journal worked off, ours kept";
    ::unlink(ours.Value().c_str());
    TempEntryGone();
    UseTempJournal({});
}

} // namespace
} // namespace Tandemix
