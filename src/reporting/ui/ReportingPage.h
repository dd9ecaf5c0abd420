// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Reporter.h"
#include "engine/RunContext.h"
#include "settings/LogNames.h"

#include <QWidget>

#include <map>
#include <string>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace Tandemix {

class ReportLists;
class TReportForm1;

// The "Reporting" page: the log files (names, overwrite, size limit, what a log includes, the
// two View buttons) and the report lists (on or off, unmatched files, the report window). Every
// control writes its option through the core; the page keeps no option of its own. It owns the
// report window, hidden until the user asks for it. UI thread only.
class ReportingPage : public QWidget
{
    Q_OBJECT

public:
    ReportingPage(RunContext& ctx,
                  ReportLists& lists,
                  const std::string& programFolder,
                  QWidget* parent = nullptr);

    // Shows the options as they are now (after a configuration load or a batch row), then applies
    // the log and report switches as a click on them would: an open report window closes.
    void ShowOptions();
    // Shows the log names as a run left them (it gives them their ".Log" extension); the report
    // window stays as it is.
    void ShowLogNames();
    // A load deleted this log for its size: the View button's hint and its click say so until a
    // run writes the log again. Returns the sentence, for the status line.
    std::string NoteLogTrimmed(const TrimmedLog& log);
    // Applies the enabling rules without touching the report window: call after "Delete
    // Unmatched" changed, which locks reporting on.
    void EnableReportControls();
    // Off while a run goes on: the log and report controls must not change under it.
    void EnableRunControls(bool enable);

    // The click handlers; the window may run them for its menu items.
    void UseLogFileCheckClick();
    void UseReportFormClick();
    void DisplayReportFormButtonClick();
    void ViewLogClick();
    void ViewPreLogClick();
    // Opens the report window on a list (a right click on a counter or the status line). Does
    // nothing and answers false while reporting is off.
    bool JumpToReport(ReportCategory category);

    TReportForm1* ReportForm() const { return FReportForm; }
    bool ReportFormShown() const;

    QCheckBox* UseLogFileCheck = nullptr;
    QLineEdit* LogFileName = nullptr;
    QPushButton* ViewLog = nullptr;
    QCheckBox* ReportLogOverwrite = nullptr;
    QLineEdit* PreReportFileName = nullptr;
    QPushButton* ViewPreLog = nullptr;
    QCheckBox* ReportPreLogOverwrite = nullptr;
    QLineEdit* MaxLogFileSize = nullptr;
    QGroupBox* ReportIncludeOptions = nullptr;
    QCheckBox* ReportUpdateFilesCheck = nullptr;
    QCheckBox* ReportAddedFilesCheck = nullptr;
    QCheckBox* ReportFileErrorsCheck = nullptr;
    QCheckBox* ReportAppErrorsCheck = nullptr;
    QCheckBox* ReportFileSizeCheck = nullptr;
    QCheckBox* ReportFileDateCheck = nullptr;
    QCheckBox* ReportFileTimeCheck = nullptr;
    QCheckBox* ReportEmptyFoldersCheck = nullptr;
    QCheckBox* ReportDirectoryCreationCheck = nullptr;
    QCheckBox* UseReportForm = nullptr;
    QCheckBox* ListUnMatchedFiles = nullptr;
    QPushButton* DisplayReportFormButton = nullptr;

signals:
    // The user changed an option (the current batch row is then out of date).
    void OptionChanged();
    // The report window was shown or hidden: the menu item's check mark follows.
    void ReportFormShownChanged(bool shown);
    // The report window can be opened or not: the menu item's enabled state follows.
    void ReportFormAvailable(bool available);

private:
    QWidget* BuildLogFiles();
    QWidget* BuildInclude();
    QWidget* BuildReportLists();
    QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, bool Options::*field);
    void EnableLogControls();
    void ShowLogFile(const std::string& path, const QPushButton* button);
    void ReportFormClosed();
    void ShowTrimNotes();
    const std::string* TrimNoteFor(const QPushButton* button) const;

    RunContext& FCtx;
    std::string FProgramFolder;
    TReportForm1* FReportForm = nullptr;
    bool FShowing = false;
    bool FRunControlsEnabled = true;
    std::map<std::string, std::string> FTrimNotes; // log file name -> why it is not there
};

} // namespace Tandemix
