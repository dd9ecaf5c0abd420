// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Reporter.h"
#include "reporting/ReportLists.h"

#include <QWidget>

#include <array>

class QLabel;
class QListView;
class QPushButton;
class QTabWidget;
class QTimer;

namespace Tandemix {

class ReportListModel;

// The report window: the six report lists, one page each, with the item count and byte total
// of each list under it. Read-only. The views read the lines where they lie, row by row as they
// are painted, so a list of 100,000 lines opens as fast as a short one. While the window is
// shown it looks for changes a few times a second; a list that changed is shown anew.
// UI thread only.
class TReportForm1 : public QWidget
{
    Q_OBJECT

public:
    explicit TReportForm1(const ReportLists& lists, QWidget* parent = nullptr);

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

signals:
    // The user closed the window (its Close button or the close box); whoever shows it puts
    // its own controls back to "not shown".
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static std::size_t Index(ReportCategory category) { return static_cast<std::size_t>(category); }
    QWidget* BuildPage(ReportCategory category);

    const ReportLists& FLists;
    std::array<QListView*, ReportCategoryCount> FViews{};
    std::array<ReportListModel*, ReportCategoryCount> FModels{};
    std::array<QLabel*, ReportCategoryCount> FItemCounts{};
    std::array<QLabel*, ReportCategoryCount> FSizeTotals{};
    QTimer* FRefreshTimer = nullptr;
};

} // namespace Tandemix
