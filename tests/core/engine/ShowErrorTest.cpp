// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ShowError.h"

#include "engine/CopyMessages.h"
#include "platform/AsciiText.h"
#include "support/CoreBundle.h"
#include "support/TestTables.h"

#include <algorithm>
#include <optional>

namespace Tandemix {
namespace {

using Test::PrintTo;
using Test::RecordingReporter;
using Test::ScriptedHost;

// Remembers the cursor the user saw while each question was up.
class CursorHost : public ScriptedHost
{
public:
    DialogResult Ask(std::string_view text, DialogButtons buttons) override
    {
        CursorsAtQuestion.push_back(Cursor);
        return ScriptedHost::Ask(text, buttons);
    }
    void SetCursorShape(CursorShape shape) noexcept override
    {
        Shapes.push_back(shape);
        ScriptedHost::SetCursorShape(shape);
    }
    std::vector<CursorShape> CursorsAtQuestion;
    std::vector<CursorShape> Shapes;
};

using ShowErrorFixture = Test::CoreBundleOf<RecordingReporter, CursorHost>;

constexpr std::string_view Message = "Target Drive \"/mnt/usb\" Does Not Have Enough Available Space!";

std::string Joined(std::string_view a, std::string_view b, std::string_view c = {})
{
    return std::string(a).append(b).append(c);
}

// Question: none where the code never asks. Silent: the answer with messages off. Scripted: what
// the user picks in the test, to see it passed back unchanged. Log: the kind 5 line after the
// dialog, if any.
using B = DialogButtons;
using R = DialogResult;
const std::string Shown(Message);
const std::string AskContinue = Joined(Message, "\n", CopyMsg::ContinueQuestion);
const std::string AskNextFolder =
    Joined(CopyMsg::DiskFullDrive, Message, Joined("\n", CopyMsg::ContinueBatch));
const std::string FullLog = Joined(CopyMsg::DiskFullLog, Message);
// clang-format off
struct ErrorRow { const char* Name; int Code; bool RunBatchList; bool LastBatchRow; std::optional<std::string> Question;
                  DialogButtons Buttons; DialogResult Silent; DialogResult Scripted; std::optional<std::string> Log; };
const ErrorRow ErrorRows[] = {
    // label                 code  batch  last   question                                buttons              silent     scripted   log
    {"AccessError",          2,    false, true,  Shown,                                  B::AbortIgnore,      R::Ignore, R::Abort,  {}},
    {"AskContinue",          5,    false, true,  AskContinue,                            B::YesCancel,        R::Yes,    R::Cancel, {}},
    {"Notice",               15,   false, true,  Shown,                                  B::Ok,               R::Ok,     R::Ok,     {}},
    {"NetworkPath",          53,   false, true,  std::string(CopyMsg::NetworkPathError), B::Ok,               R::Ok,     R::Ok,     {}},
    {"DiskFullSinglePair",   101,  false, false, Shown,                                  B::Ok,               R::Ok,     R::Ok,     FullLog},
    {"DiskFullLastBatchRow", 101,  true,  true,  Shown,                                  B::Ok,               R::Ok,     R::Ok,     FullLog},
    {"DiskFullMidBatch",     101,  true,  false, AskNextFolder,                          B::YesCancel,        R::Yes,    R::Cancel, FullLog},
    {"DiskFullRetry",        112,  false, true,  Shown,                                  B::AbortRetryIgnore, R::Cancel, R::Retry,  {}},
    {"LogOnly",              2500, true,  false, {},                                     B::Ok,               R::Ok,     R::Ok,     Shown},
    {"ZeroCode",             0,    true,  false, Shown,                                  B::Ok,               R::Ok,     R::Ok,     {}},
};
// clang-format on

class ShowErrorTable : public ShowErrorFixture, public ::testing::TestWithParam<std::tuple<ErrorRow, bool>>
{};

TEST_P(ShowErrorTable, AsksOrAnswersByItselfAndFilesTheMessage)
{
    const auto& [row, display] = GetParam();
    Opts.DisplayMessages = display;
    Opts.RunBatchList = row.RunBatchList;
    Engine.LastBatchRow = row.LastBatchRow;
    Host.Cursor = CursorShape::Busy;
    bool asks = display && row.Question.has_value();
    if (asks) {
        Host.QueueAnswer(row.Scripted);
    }
    int result = ShowError(Ctx, Message, row.Code);
    if (asks) {
        EXPECT_EQ(result, static_cast<int>(row.Scripted));
        ASSERT_EQ(Host.Questions.size(), 1u);
        EXPECT_EQ(std::tie(Host.Questions[0].Text, Host.Questions[0].Buttons),
                  std::tie(*row.Question, row.Buttons));
        EXPECT_EQ(Host.CursorsAtQuestion, std::vector<CursorShape>{CursorShape::Arrow});
    } else {
        EXPECT_EQ(result, static_cast<int>(row.Question ? row.Silent : DialogResult::Ok));
        EXPECT_TRUE(Host.Questions.empty());
    }
    // Nobody sits at the screen: the cursor is left alone.
    EXPECT_TRUE(display || std::count(Host.Shapes.begin(), Host.Shapes.end(), CursorShape::Arrow) == 0);
    EXPECT_EQ(Host.Cursor, CursorShape::Busy);
    EXPECT_EQ(Report.LogTexts(LogKind::FileError),
              row.Log ? std::vector{*row.Log} : std::vector<std::string>{});
    EXPECT_EQ(Report.Logs.size(), row.Log ? 1u : 0u);
    // Every code lists the caller's own message, even where the dialog showed another text.
    ASSERT_EQ(Report.Entries.size(), 1u);
    const RecordingReporter::Entry& e = Report.Entries[0];
    EXPECT_EQ(std::tie(e.Category, e.Kind, e.Name, e.Path, e.SizeText, e.Detail),
              std::make_tuple(ReportCategory::Messages, Message, "", "", "", ""));
}

INSTANTIATE_TEST_SUITE_P(Codes,
                         ShowErrorTable,
                         ::testing::Combine(::testing::ValuesIn(ErrorRows), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<ShowErrorTable::ParamType>& param) {
                             return std::string(std::get<0>(param.param).Name)
                                    + (std::get<1>(param.param) ? "_Shown" : "_Silent");
                         });

// Padding counts characters, not bytes, and never cuts; the problem lines are laid out in columns.
TEST(ShowErrorLines, PaddingAndProblemLineColumns)
{
    EXPECT_EQ(PadRight("\xC3\xA9t\xC3\xA9", 5), "\xC3\xA9t\xC3\xA9  "); // "été": 3 characters, 5 bytes
    EXPECT_EQ(PadRight("longer than width", 4), "longer than width");
    EXPECT_EQ(PadLeft("\xC3\xA9t\xC3\xA9", 5), "  \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(FirstCharacters("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
    EXPECT_EQ(FirstCharacters("ab", 5), "ab");
    EXPECT_EQ(ProblemLogLine(CopyMsg::CouldNotRead, "/a/b"), "Could Not Read File: /a/b      ");
    EXPECT_EQ(ProblemMessageLine(CopyMsg::UserSkipped, "/a/b"), "User Skipped File:        /a/b");
}

} // namespace
} // namespace Tandemix
