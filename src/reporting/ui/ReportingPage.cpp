// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ui/ReportingPage.h"

#include "app/ui/UiText.h"
#include "platform/FileOps.h"
#include "platform/Launch.h"
#include "reporting/LogFile.h"
#include "reporting/ReportLists.h"
#include "reporting/ui/ReportListsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <cerrno>
#include <string_view>
#include <system_error>
#include <utility>

namespace Tandemix {

namespace {

constexpr std::string_view DisplayCaption = "Display &Reports";
constexpr std::string_view HideCaption = "Hide &Reports";

constexpr std::string_view NoLogYet = "There is no log file yet: ";
constexpr std::string_view NoViewer =
    "Nothing on this computer can show the log file: install xdg-open, or set VISUAL or EDITOR.\n";
constexpr std::string_view NoTerminal =
    "The editor named in VISUAL or EDITOR needs a terminal to run in, and no terminal program "
    "(x-terminal-emulator) is installed: install one, or install xdg-open.\n";
constexpr std::string_view CannotShow = "The log file cannot be shown (";

// Nine digits hold any limit a log needs and still fit the option.
constexpr int MaxLogSizeDigits = 9;

} // namespace

ReportingPage::ReportingPage(RunContext& ctx,
                             ReportLists& lists,
                             const std::string& programFolder,
                             QWidget* parent)
    : QWidget(parent)
    , FCtx(ctx)
    , FProgramFolder(programFolder)
{
    setObjectName(QStringLiteral("Reporting"));
    auto* grid = new QGridLayout(this);
    // Side by side: the three groups together are no taller than the tallest of them.
    grid->addWidget(BuildLogFiles(), 0, 0);
    grid->addWidget(BuildInclude(), 0, 1);
    grid->addWidget(BuildReportLists(), 0, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);

    FReportForm = new TReportForm1(ctx, lists, programFolder, this);
    FReportForm->hide();
    connect(FReportForm, &TReportForm1::Closed, this, &ReportingPage::ReportFormClosed);
    ShowOptions();
}

QCheckBox*
ReportingPage::MakeCheck(QWidget* parent, const char* name, const char* caption, bool Options::*field)
{
    auto* check = new QCheckBox(UiText(caption), parent);
    check->setObjectName(QString::fromUtf8(name));
    connect(check, &QCheckBox::toggled, this, [this, field](bool on) {
        if (FShowing) {
            return;
        }
        FCtx.Opts.*field = on;
        emit OptionChanged();
    });
    return check;
}

QWidget* ReportingPage::BuildLogFiles()
{
    auto* box = new QGroupBox(UiText("Log Files"), this);
    auto* grid = new QGridLayout(box);
    UseLogFileCheck = MakeCheck(box, "UseLogFileCheck", "Use &Log File", &Options::UseLogFile);
    LogFileName = new QLineEdit(box);
    LogFileName->setObjectName(QStringLiteral("LogFileName"));
    ViewLog = new QPushButton(UiText("&View"), box);
    ViewLog->setObjectName(QStringLiteral("ViewLog"));
    ReportLogOverwrite = MakeCheck(box, "ReportLogOverwrite", "Overwrite", &Options::ReportLogOverwrite);
    PreReportFileName = new QLineEdit(box);
    PreReportFileName->setObjectName(QStringLiteral("PreReportFileName"));
    ViewPreLog = new QPushButton(UiText("Vi&ew"), box);
    ViewPreLog->setObjectName(QStringLiteral("ViewPreLog"));
    ReportPreLogOverwrite =
        MakeCheck(box, "ReportPreLogOverwrite", "Overwrite", &Options::ReportPreLogOverwrite);
    MaxLogFileSize = new QLineEdit(box);
    MaxLogFileSize->setObjectName(QStringLiteral("MaxLogFileSize"));
    MaxLogFileSize->setToolTip(UiText("Set upper limit of log file size"));
    MaxLogFileSize->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(MaxLogSizeDigits)),
        MaxLogFileSize));
    MaxLogFileSize->setMaximumWidth(110);

    grid->addWidget(UseLogFileCheck, 0, 0, 1, 4);
    grid->addWidget(new QLabel(UiText("Log File:"), box), 1, 0);
    grid->addWidget(LogFileName, 1, 1);
    grid->addWidget(ViewLog, 1, 2);
    grid->addWidget(ReportLogOverwrite, 1, 3);
    grid->addWidget(new QLabel(UiText("Pre-Sync Report:"), box), 2, 0);
    grid->addWidget(PreReportFileName, 2, 1);
    grid->addWidget(ViewPreLog, 2, 2);
    grid->addWidget(ReportPreLogOverwrite, 2, 3);
    grid->addWidget(new QLabel(UiText("Max Log Size:"), box), 3, 0);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(MaxLogFileSize);
    sizeRow->addWidget(new QLabel(UiText("bytes (0: no limit)"), box));
    sizeRow->addStretch(1);
    grid->addLayout(sizeRow, 3, 1, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(UseLogFileCheck, &QCheckBox::toggled, this, [this] {
        if (!FShowing) {
            UseLogFileCheckClick();
        }
    });
    connect(LogFileName, &QLineEdit::textEdited, this, [this](const QString& text) {
        FCtx.Opts.LogFileName = CoreText(text);
        emit OptionChanged();
    });
    connect(PreReportFileName, &QLineEdit::textEdited, this, [this](const QString& text) {
        FCtx.Opts.PreReportFileName = CoreText(text);
        emit OptionChanged();
    });
    connect(MaxLogFileSize, &QLineEdit::textEdited, this, [this](const QString& text) {
        // An emptied box is no limit, as 0 is; the validator lets nothing but digits in.
        FCtx.Opts.LogSize = text.toInt();
        emit OptionChanged();
    });
    connect(MaxLogFileSize, &QLineEdit::editingFinished, this, [this] {
        MaxLogFileSize->setText(QString::number(FCtx.Opts.LogSize));
    });
    connect(ViewLog, &QPushButton::clicked, this, &ReportingPage::ViewLogClick);
    connect(ViewPreLog, &QPushButton::clicked, this, &ReportingPage::ViewPreLogClick);
    return box;
}

QWidget* ReportingPage::BuildInclude()
{
    ReportIncludeOptions = new QGroupBox(UiText("Include"), this);
    ReportIncludeOptions->setObjectName(QStringLiteral("ReportIncludeOptions"));
    QGroupBox* box = ReportIncludeOptions;
    auto* grid = new QGridLayout(box);
    ReportUpdateFilesCheck =
        MakeCheck(box, "ReportUpdateFilesCheck", "Updated Files", &Options::ReportUpdateFilesCheck);
    ReportAddedFilesCheck =
        MakeCheck(box, "ReportAddedFilesCheck", "Added Files", &Options::ReportAddedFilesCheck);
    ReportFileErrorsCheck =
        MakeCheck(box, "ReportFileErrorsCheck", "File I/O Errors", &Options::ReportFileErrorsCheck);
    ReportAppErrorsCheck =
        MakeCheck(box, "ReportAppErrorsCheck", "Application Errors", &Options::ReportAppErrorsCheck);
    ReportFileSizeCheck = MakeCheck(box, "ReportFileSizeCheck", "File Size", &Options::ReportFileSizeCheck);
    ReportFileDateCheck = MakeCheck(box, "ReportFileDateCheck", "File Date", &Options::ReportFileDateCheck);
    ReportFileTimeCheck = MakeCheck(box, "ReportFileTimeCheck", "File Time", &Options::ReportFileTimeCheck);
    ReportEmptyFoldersCheck =
        MakeCheck(box, "ReportEmptyFoldersCheck", "Empty Folders", &Options::ReportEmptyFoldersCheck);
    ReportDirectoryCreationCheck = MakeCheck(box,
                                             "ReportDirectoryCreationCheck",
                                             "Folder Creation",
                                             &Options::ReportDirectoryCreationCheck);
    // Two columns, what a log line holds beside what it is about: a laptop screen has no
    // height for nine rows under the file pages.
    int row = 0;
    for (QCheckBox* check : {ReportUpdateFilesCheck,
                             ReportAddedFilesCheck,
                             ReportFileErrorsCheck,
                             ReportAppErrorsCheck,
                             ReportEmptyFoldersCheck}) {
        grid->addWidget(check, row++, 0);
    }
    row = 0;
    for (QCheckBox* check :
         {ReportDirectoryCreationCheck, ReportFileSizeCheck, ReportFileDateCheck, ReportFileTimeCheck}) {
        grid->addWidget(check, row++, 1);
    }
    grid->setRowStretch(5, 1);
    return box;
}

QWidget* ReportingPage::BuildReportLists()
{
    auto* box = new QGroupBox(UiText("Report Lists"), this);
    auto* column = new QVBoxLayout(box);
    UseReportForm = MakeCheck(box, "UseReportForm", "Use Report &Form", &Options::UseReportForm);
    ListUnMatchedFiles =
        MakeCheck(box, "ListUnMatchedFiles", "Lis&t UnMatched Files", &Options::ListUnMatchedFiles);
    ListUnMatchedFiles->setToolTip(UiText("Build list of un-matched target files"));
    DisplayReportFormButton = new QPushButton(UiText(DisplayCaption), box);
    DisplayReportFormButton->setObjectName(QStringLiteral("DisplayReportFormButton"));
    column->addWidget(UseReportForm);
    column->addWidget(ListUnMatchedFiles);
    auto* row = new QHBoxLayout;
    row->addWidget(DisplayReportFormButton);
    row->addStretch(1);
    column->addLayout(row);

    connect(UseReportForm, &QCheckBox::toggled, this, [this] {
        if (!FShowing) {
            UseReportFormClick();
        }
    });
    connect(DisplayReportFormButton,
            &QPushButton::clicked,
            this,
            &ReportingPage::DisplayReportFormButtonClick);
    return box;
}

void ReportingPage::ShowOptions()
{
    FShowing = true;
    const Options& opts = FCtx.Opts;
    UseLogFileCheck->setChecked(opts.UseLogFile);
    ReportLogOverwrite->setChecked(opts.ReportLogOverwrite);
    ReportPreLogOverwrite->setChecked(opts.ReportPreLogOverwrite);
    ReportUpdateFilesCheck->setChecked(opts.ReportUpdateFilesCheck);
    ReportAddedFilesCheck->setChecked(opts.ReportAddedFilesCheck);
    ReportFileErrorsCheck->setChecked(opts.ReportFileErrorsCheck);
    ReportAppErrorsCheck->setChecked(opts.ReportAppErrorsCheck);
    ReportFileSizeCheck->setChecked(opts.ReportFileSizeCheck);
    ReportFileDateCheck->setChecked(opts.ReportFileDateCheck);
    ReportFileTimeCheck->setChecked(opts.ReportFileTimeCheck);
    ReportEmptyFoldersCheck->setChecked(opts.ReportEmptyFoldersCheck);
    ReportDirectoryCreationCheck->setChecked(opts.ReportDirectoryCreationCheck);
    MaxLogFileSize->setText(QString::number(opts.LogSize));
    UseReportForm->setChecked(opts.UseReportForm);
    ListUnMatchedFiles->setChecked(opts.ListUnMatchedFiles);
    ShowLogNames();
    UseLogFileCheckClick();
    UseReportFormClick();
    FShowing = false;
}

void ReportingPage::ShowLogNames()
{
    LogFileName->setText(UiText(FCtx.Opts.LogFileName));
    PreReportFileName->setText(UiText(FCtx.Opts.PreReportFileName));
    ShowTrimNotes();
}

std::string ReportingPage::NoteLogTrimmed(const TrimmedLog& log)
{
    std::string note = TrimmedLogNote(log);
    FTrimNotes[log.Name] = note;
    ShowTrimNotes();
    return note;
}

const std::string* ReportingPage::TrimNoteFor(const QPushButton* button) const
{
    // The file a run writes, which is the file a load trims.
    const Options& opts = FCtx.Opts;
    std::string name = button == ViewLog
                           ? LogNameToOpen(opts.LogFileName, LogMsg::DefaultSyncLogName)
                           : LogNameToOpen(opts.PreReportFileName, LogMsg::DefaultPreSyncLogName);
    auto note = FTrimNotes.find(name);
    return note != FTrimNotes.end() ? &note->second : nullptr;
}

void ReportingPage::ShowTrimNotes()
{
    // A note holds only while its log is missing; once a run writes it again it is a log again.
    const std::string folder = AddTrailingBackslash(FProgramFolder);
    std::erase_if(FTrimNotes, [&folder](const auto& note) { return FileExists(folder + note.first); });
    for (QPushButton* button : {ViewLog, ViewPreLog}) {
        const std::string* note = TrimNoteFor(button);
        button->setToolTip(note != nullptr ? UiText(*note) : QString());
    }
}

void ReportingPage::UseLogFileCheckClick()
{
    EnableLogControls();
}

void ReportingPage::EnableLogControls()
{
    // The column switches count only while enabled, so this is also what keeps a log that is
    // switched off from describing columns it will never write.
    bool logging = FRunControlsEnabled && UseLogFileCheck->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(LogFileName),
                             static_cast<QWidget*>(ViewLog),
                             static_cast<QWidget*>(ReportLogOverwrite),
                             static_cast<QWidget*>(ReportUpdateFilesCheck),
                             static_cast<QWidget*>(ReportAddedFilesCheck),
                             static_cast<QWidget*>(ReportFileErrorsCheck),
                             static_cast<QWidget*>(ReportAppErrorsCheck),
                             static_cast<QWidget*>(ReportFileSizeCheck),
                             static_cast<QWidget*>(ReportFileDateCheck),
                             static_cast<QWidget*>(ReportFileTimeCheck),
                             static_cast<QWidget*>(ReportEmptyFoldersCheck),
                             static_cast<QWidget*>(ReportDirectoryCreationCheck)}) {
        control->setEnabled(logging);
    }
    // A pre-sync report is a log whatever the switch says, so its controls stay usable.
    for (QWidget* control : {static_cast<QWidget*>(UseLogFileCheck),
                             static_cast<QWidget*>(PreReportFileName),
                             static_cast<QWidget*>(ViewPreLog),
                             static_cast<QWidget*>(ReportPreLogOverwrite),
                             static_cast<QWidget*>(MaxLogFileSize),
                             static_cast<QWidget*>(ReportIncludeOptions)}) {
        control->setEnabled(FRunControlsEnabled);
    }
}

void ReportingPage::UseReportFormClick()
{
    if (DisplayReportFormButton->text().contains(QStringLiteral("Hide"))) {
        DisplayReportFormButtonClick();
    }
    EnableReportControls();
}

void ReportingPage::EnableReportControls()
{
    // Deleting unmatched items works from the unmatched list, so while it is on the list is
    // built and neither switch may be turned off.
    bool locked = FCtx.Opts.DeleteUnmatched;
    bool reporting = UseReportForm->isChecked();
    UseReportForm->setEnabled(FRunControlsEnabled && !locked);
    ListUnMatchedFiles->setEnabled(FRunControlsEnabled && reporting && !locked);
    DisplayReportFormButton->setEnabled(FRunControlsEnabled && reporting);
    emit ReportFormAvailable(FRunControlsEnabled && reporting);
}

void ReportingPage::EnableRunControls(bool enable)
{
    FRunControlsEnabled = enable;
    EnableLogControls();
    EnableReportControls();
}

bool ReportingPage::ReportFormShown() const
{
    return DisplayReportFormButton->text() == UiText(HideCaption);
}

void ReportingPage::DisplayReportFormButtonClick()
{
    if (!ReportFormShown()) {
        FReportForm->move(FCtx.Opts.ReportLeft, FCtx.Opts.ReportTop);
        FReportForm->show();
        FReportForm->raise();
        DisplayReportFormButton->setText(UiText(HideCaption));
        emit ReportFormShownChanged(true);
    } else {
        FReportForm->hide();
        DisplayReportFormButton->setText(UiText(DisplayCaption));
        emit ReportFormShownChanged(false);
    }
}

void ReportingPage::ReportFormClosed()
{
    if (ReportFormShown()) {
        DisplayReportFormButtonClick();
    }
}

bool ReportingPage::JumpToReport(ReportCategory category)
{
    if (!FCtx.Opts.UseReportForm) {
        return false;
    }
    FReportForm->ShowPage(category);
    if (!ReportFormShown()) {
        DisplayReportFormButtonClick();
    } else {
        FReportForm->show();
        FReportForm->raise();
        FReportForm->activateWindow();
    }
    return true;
}

void ReportingPage::ViewLogClick()
{
    ShowLogFile(ViewLogPath(FProgramFolder, FCtx.Opts), ViewLog);
}

void ReportingPage::ViewPreLogClick()
{
    ShowLogFile(ViewPreLogPath(FProgramFolder, FCtx.Opts), ViewPreLog);
}

void ReportingPage::ShowLogFile(const std::string& path, const QPushButton* button)
{
    // A desktop opener handed a missing file may fail without a word; say it here instead.
    ShowTrimNotes();
    if (!FileExists(path)) {
        const std::string* note = TrimNoteFor(button);
        FCtx.Hst.Ask(note != nullptr ? *note : std::string(NoLogYet) + path, DialogButtons::Ok);
        return;
    }
    SysStatus shown = ViewerStartsFile(path) ? LaunchFile(path) : OpenInViewer(path);
    if (shown.Ok()) {
        return;
    }
    if (shown.Error() == ENOENT) {
        // Say what is really missing: with an editor named, only the terminal to run it in.
        bool terminal = std::string_view(shown.Call()) == "x-terminal-emulator";
        FCtx.Hst.Ask(std::string(terminal ? NoTerminal : NoViewer) + path, DialogButtons::Ok);
    } else {
        FCtx.Hst.Ask(std::string(CannotShow) + std::generic_category().message(shown.Error()) + "): " + path,
                     DialogButtons::Ok);
    }
}

} // namespace Tandemix
