// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Reporter.h"
#include "engine/RunContext.h"
#include "reporting/ReportLists.h"

#include <QFont>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QListView;
class QMenuBar;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTimer;

namespace Tandemix {

class ReportListModel;

// The report window: the six report lists, one page each, with the item count and byte total
// of each list under it, and the commands on them: save to and load from report files, print,
// copy, select, clear, font. The views read the lines where they lie, row by row as they are
// painted, so a list of 100,000 lines opens as fast as a short one. While the window is shown it
// looks for changes a few times a second; a list that changed is shown anew. The commands that
// read or change a list do nothing while a run is filing into them. UI thread only.
class TReportForm1 : public QWidget
{
    Q_OBJECT

public:
    TReportForm1(RunContext& ctx, ReportLists& lists, std::string programFolder, QWidget* parent = nullptr);

    // Shows every list that changed since it was last shown, and every count and total.
    void Refresh();
    void ShowPage(ReportCategory category);
    ReportCategory CurrentPage() const;

    QListView* List(ReportCategory category) const { return FViews[Index(category)]; }
    QLabel* ItemCount(ReportCategory category) const { return FItemCounts[Index(category)]; }
    QLabel* FileSizeTotal(ReportCategory category) const { return FSizeTotals[Index(category)]; }

    QTabWidget* TabbedNotebook1 = nullptr;
    QListView* MemoAdded = nullptr;
    QListView* MemoUpdated = nullptr;
    QListView* MemoExcluded = nullptr;
    QListView* MemoUnMatched = nullptr;
    QListView* MemoMessages = nullptr;
    QListView* MemoDeletion = nullptr;
    QPushButton* Button1 = nullptr; // "&Close"

    // ---- Commands --------------------------------------------------------------------------
    void LoadReport1Click();
    void SaveAs1Click();
    void Print1Click();
    void Close1Click();
    // "Focus on TX": the main window comes forward, the report window stays open behind it.
    void Hide1Click();
    // No line selected: every line is copied. Every line selected: the selection goes.
    void Copy1Click();
    // Deleting what the selected lines name is not built yet: the command is offered where it
    // will work (added, updated and unmatched lines) and does nothing.
    void Delete1Click();
    void SelectAll1Click();
    void UnSelectAll1Click();
    void ClearList1Click();
    void Font1Click();
    void TabbedNotebook1Change(int page);

    // A compressed list shows its lines and figures in red, and its report file says so.
    void SetCompressed(ReportCategory category, bool compressed);
    bool Compressed(ReportCategory category) const { return FCompressed[Index(category)]; }

    // Picks the report file to save to (save: true) or to load, starting from `proposed`; empty
    // when the user cancels. The file dialog by default; tests put their own choice here.
    std::function<QString(bool save, const QString& proposed)> ChooseReportFile;
    // Lets the user set up the printer; false when they cancel. The print dialog by default.
    std::function<bool(QPrinter& printer)> ChoosePrinter;
    // The font dialog by default; nothing when the user cancels.
    std::function<std::optional<QFont>(const QFont& current)> ChooseFont;

    // The lines last copied or printed, as the clipboard got them.
    QStringList Memo1;

    QMenuBar* MainMenu1 = nullptr;
    QAction* LoadReport1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* Hide1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* UnSelectAll1 = nullptr;
    QAction* ClearList1 = nullptr;
    QAction* Font1 = nullptr;
    // The lists' pop-up menu.
    QAction* Copy2 = nullptr;
    QAction* Delete2 = nullptr;
    QAction* SelectAll2 = nullptr;
    QAction* UnSelectAll2 = nullptr;
    QAction* ClearList2 = nullptr;

signals:
    // The user closed the window (its Close button or the close box); whoever shows it puts
    // its own controls back to "not shown".
    void Closed();
    // The Delete command took files from disk: the window's panes list them again.
    void FilesDeleted();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static std::size_t Index(ReportCategory category) { return static_cast<std::size_t>(category); }
    QWidget* BuildPage(ReportCategory category);
    void BuildMenus();
    // The real file, print and font dialogs, until a test puts its own in their place.
    void InstallDialogs();
    QAction*
    AddCommand(QWidget* menu, const char* name, const char* caption, void (TReportForm1::*handler)());
    // A run files into the lists meanwhile: nothing may read or change them under it.
    bool ListsBusy() const { return FCtx.State.SyncActive; }
    QListView* ActiveList() const { return List(CurrentPage()); }
    std::vector<std::size_t> SelectedRows(QListView* view) const;
    void PutOnClipboard(QStringList lines);
    QString ProposedReportPath() const;
    void Tell(const std::string& text);

    RunContext& FCtx;
    ReportLists& FLists;
    std::string FProgramFolder;
    std::array<bool, ReportCategoryCount> FCompressed{};
    // Set while a report file is loaded: moving to the page it names is no user's visit.
    bool FLoading = false;
    std::array<QListView*, ReportCategoryCount> FViews{};
    std::array<ReportListModel*, ReportCategoryCount> FModels{};
    std::array<QLabel*, ReportCategoryCount> FItemCounts{};
    std::array<QLabel*, ReportCategoryCount> FSizeTotals{};
    QTimer* FRefreshTimer = nullptr;
};

} // namespace Tandemix
