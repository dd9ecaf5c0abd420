// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Launch.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

namespace Tandemix {
namespace {

using namespace std::chrono_literals;

// Each fake program writes its arguments, each ended by a NUL (which no argument can hold, so
// none can pass for two and an empty one still shows), to a file named after it, renamed into
// place whole.
std::string FakeProgram(const std::string& outFile)
{
    return "#!/bin/sh\n"
           "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '"
           + outFile + ".part' && mv '" + outFile + ".part' '" + outFile + "'\n";
}

class LaunchTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Tree.AddFolder("work");
        // PATH holds only this folder (so no real xdg-open or terminal is found), with the few
        // tools the fake programs need, and `touch`, so that a shell run by mistake would leave
        // its mark.
        for (const char* tool : {"sh", "mv", "sleep", "touch"}) {
            std::string real = std::string("/usr/bin/") + tool;
            if (::access(real.c_str(), X_OK) != 0) {
                real = std::string("/bin/") + tool;
            }
            Tree.AddSymlink(std::string("bin/") + tool, real);
        }
        OldCwd = std::filesystem::current_path();
        // Whatever a shell would run from the name lands here, where the test looks for it.
        ASSERT_EQ(::chdir(Tree.Path("work").c_str()), 0);
    }
    void TearDown() override { EXPECT_TRUE(OldCwd.empty() || ::chdir(OldCwd.c_str()) == 0); }

    void AddFake(const std::string& name)
    {
        Tree.AddFile("bin/" + name, FakeProgram(Tree.Path(name + ".args")), {}, 0755);
    }

    // The arguments a fake program received within 10 s (launched programs run on their own),
    // taken away so that its next start can be seen.
    std::vector<std::string> ArgsOf(const std::string& name)
    {
        const std::string rel = name + ".args";
        for (auto deadline = std::chrono::steady_clock::now() + 10s; !Tree.Exists(rel);
             std::this_thread::sleep_for(10ms)) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << name << " was not started";
                return {};
            }
        }
        const std::string text = Tree.ReadFile(rel);
        ::unlink(Tree.Path(rel).c_str());
        std::vector<std::string> args;
        for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\0', start);
            args.push_back(text.substr(start, end - start));
        }
        return args;
    }

    static void ExpectNoZombie()
    {
        int status = 0;
        errno = 0;
        EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1) << "a child is left to reap";
        EXPECT_EQ(errno, ECHILD);
    }

    TempTree Tree;
    std::string OldCwd;
    ScopedEnv Path{"PATH", Tree.Path("bin")};
    ScopedEnv Visual{"VISUAL", std::nullopt};
    ScopedEnv Editor{"EDITOR", std::nullopt};
};

TEST_F(LaunchTest, FailuresAreReportedViewerAndDocumentGetTheNameIntactNoShellRunsAndAProgramRunsItself)
{
    EXPECT_EQ(LaunchFile(Tree.Path("work/missing")).Error(), ENOENT);
    std::string document = Tree.AddFile("work/doc.txt", "text", {}, 0644);
    EXPECT_EQ(LaunchFile(document).Error(), ENOENT) << "no xdg-open in PATH";
    // Executable bits on something that is not a program: the exec error comes back.
    std::string garbage =
        Tree.AddFile("work/garbage", std::string("\x7f\x01\x02\x03 not a program"), {}, 0755);
    SysStatus status = LaunchFile(garbage);
    EXPECT_EQ(std::tuple(status.Error(), std::string(status.Call())), std::tuple(ENOEXEC, "execve"));
    ExpectNoZombie();

    AddFake("xdg-open");
    std::string nasty = Tree.AddFile("work/a b;$(touch pwned) `touch pwned2` 'q\" *", "text");
    ASSERT_TRUE(OpenInViewer(nasty).Ok());
    EXPECT_EQ(ArgsOf("xdg-open"), std::vector<std::string>{nasty});
    EXPECT_FALSE(Tree.Exists("work/pwned") || Tree.Exists("work/pwned2"));
    ExpectNoZombie();
    Tree.AddFile("work/--help", "text");
    ASSERT_TRUE(OpenInViewer("--help").Ok());
    EXPECT_EQ(ArgsOf("xdg-open"), std::vector<std::string>{"./--help"}) << "not taken for an option";
    std::string report = Tree.AddFile("work/report $HOME.pdf", "text", {}, 0644);
    ASSERT_TRUE(LaunchFile(report).Ok());
    EXPECT_EQ(ArgsOf("xdg-open"), std::vector<std::string>{report});
    ExpectNoZombie();

    // An executable runs itself, without arguments, and is not waited for.
    const std::string tool =
        FakeProgram(Tree.Path("tool.args")) + "sleep 2\ntouch '" + Tree.Path("finished") + "' 2>/dev/null\n";
    std::string program = Tree.AddFile("work/my tool;x.sh", tool, {}, 0755);
    ASSERT_TRUE(LaunchFile(program).Ok());
    ExpectNoZombie();
    EXPECT_EQ(ArgsOf("tool"), std::vector<std::string>{});
    EXPECT_FALSE(Tree.Exists("finished")) << "LaunchFile waited for the program";
}

TEST_F(LaunchTest, WithoutXdgOpenAnEditorInATerminalVisualFirst)
{
    std::string file = Tree.AddFile("work/notes file.txt", "text");
    EXPECT_EQ(OpenInViewer(file).Error(), ENOENT);
    ScopedEnv editor("EDITOR", "  fake-editor   --wait\t-n ");
    EXPECT_EQ(OpenInViewer(file).Error(), ENOENT) << "an editor without a terminal cannot show it";
    AddFake("x-terminal-emulator");
    ASSERT_TRUE(OpenInViewer(file).Ok());
    EXPECT_EQ(ArgsOf("x-terminal-emulator"),
              (std::vector<std::string>{"-e", "fake-editor", "--wait", "-n", file}));
    {
        ScopedEnv visual("VISUAL", "gvim");
        ASSERT_TRUE(OpenInViewer(file).Ok());
        EXPECT_EQ(ArgsOf("x-terminal-emulator"), (std::vector<std::string>{"-e", "gvim", file}));
    }
    ScopedEnv blank("EDITOR", "   ");
    EXPECT_EQ(OpenInViewer(file).Error(), ENOENT);
}

// A program run to its end: its input given, its output and status taken back, its time bounded.
TEST(RunAndWaitTest, InputOutputStatusAndTimeout)
{
    TempTree tree;
    const std::string answer = "#!/bin/sh\nread first\nread second\n"
                               "echo \"got $first/$second\"\necho \"args $#:$1\" >&2\nexit 3\n";
    const std::string program = tree.AddFile("answer.sh", answer, {}, 0755);
    // A failed run's empty result matches none of the expectations.
    SysResult<ProgramRun> run = RunAndWait({program, "--x y"}, "one\ntwo\n", 10000);
    EXPECT_EQ(std::tuple(run->ExitStatus, run->TimedOut, run->Output),
              std::tuple(3, false, "got one/two\nargs 1:--x y\n"));

    // A program that never ends is killed when the time is up, and its children with it.
    const std::string sleeper = tree.AddFile("sleeper.sh", "#!/bin/sh\nsleep 30 &\nsleep 30\n", {}, 0755);
    auto start = std::chrono::steady_clock::now();
    run = RunAndWait({sleeper}, "", 200);
    EXPECT_EQ(std::tuple(run->ExitStatus, run->TimedOut), std::tuple(-1, true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    // A program that does not read its input is no danger to us.
    const std::string deaf = tree.AddFile("deaf.sh", "#!/bin/sh\nexit 0\n", {}, 0755);
    EXPECT_EQ(RunAndWait({deaf}, std::string(1 << 20, 'x'), 10000)->ExitStatus, 0);

    EXPECT_EQ(RunAndWait({"no-such-program-here"}, "", 1000).Error(), ENOENT);
    EXPECT_EQ(RunAndWait({}, "", 1000).Error(), EINVAL);
}

} // namespace
} // namespace Tandemix
