// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's two page sets, their View menu items and the options area that shows or
// hides the lower set.
#include "app/ui/PageTabs.h"

#include "app/ui/MainMenus.h"
#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "batch/ui/RunBatchPage.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace Tandemix {

namespace {

QAction* PageItem(QMenu* menu, const char* text)
{
    QAction* item = menu->addAction(UiText(text));
    item->setCheckable(true);
    return item;
}

} // namespace

void TMainSyncForm::BuildViewMenu()
{
    ViewMenu = menuBar()->addMenu(UiText("&View"));
    DirectorySelections1 = PageItem(ViewMenu, "F&older Selections");
    Synchronization1 = PageItem(ViewMenu, "&Synchronization");
    BuildBatchList1 = PageItem(ViewMenu, "&Build Batch List");
    ViewMenu->addSeparator();
    FileOptions1 = PageItem(ViewMenu, "&File Options");
    Compression1 = PageItem(ViewMenu, "&Compression");
    ReportingOptions1 = PageItem(ViewMenu, "&Reporting Options");
    RunBatchLists1 = PageItem(ViewMenu, "R&un Batch Lists");
    AdvOptions1 = PageItem(ViewMenu, "&Pro Options");
    DialUpService1 = PageItem(ViewMenu, "&Dial-Up Service");
    DialUpService1->setVisible(false);
    ViewMenu->addSeparator();

    const std::array<QAction*, UpperPageCount> upper = {DirectorySelections1,
                                                        Synchronization1,
                                                        BuildBatchList1};
    for (int index = 0; index < UpperPageCount; ++index) {
        ConnectToggle(upper[static_cast<std::size_t>(index)], this, [this, index] {
            SetTabs1AndMenus(index);
        });
    }
    const std::array<QAction*, LowerTabCount> lower = {FileOptions1,
                                                       Compression1,
                                                       ReportingOptions1,
                                                       RunBatchLists1,
                                                       AdvOptions1};
    for (int index = 0; index < LowerTabCount; ++index) {
        ConnectToggle(lower[static_cast<std::size_t>(index)], this, [this, index] {
            SetTabs2AndMenus(index);
        });
    }
    ConnectToggle(DialUpService1, this, [this] { SetTabs2AndMenus(ProOptionsTab); });

    ExpandOptions1 = ViewMenu->addAction(UiText("&Expand Options"));
    ExpandOptions1->setCheckable(true);
    ExpandOptions1->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    // The handler toggles for its sender, so the item's own toggle is undone first.
    ConnectToggle(ExpandOptions1, this, [this] { ShowOptionsButtonClick(ExpandOptions1); });
    DisplayReportingForm1 = ViewMenu->addAction(UiText("&Display Reporting Form"));
    DisplayReportingForm1->setCheckable(true);
    DisplayReportingForm1->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    TargetDelta1 = ViewMenu->addAction(UiText("&Target Delta"));
    connect(TargetDelta1, &QAction::triggered, this, [this] { TargetDelta1Click(); });
}

void TMainSyncForm::ConnectPageTabs()
{
    // A tab changed by a click behaves as the click handler; one changed by the page routines
    // only runs the change handler, so the routine's check marks stay as it set them.
    connect(TabSet1, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0) {
            return;
        }
        Notebook1->setCurrentIndex(index);
        if (FSettingTabs) {
            TabSet1Change(index);
        } else {
            TabSet1Click(index);
        }
    });
    connect(TabSet2, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0) {
            return;
        }
        if (FSettingTabs) {
            Notebook2->setCurrentIndex(index);
            TabSet2Change(index);
        } else {
            TabSet2Click(index);
        }
    });
    // A click on the tab already selected brings its page back after the decision grid, which
    // has no tab of its own, took its place.
    connect(TabSet2, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index == TabSet2->currentIndex()) {
            TabSet2Click(index);
        }
    });
}

void TMainSyncForm::SetTabs1AndMenus(int index)
{
    QScopedValueRollback<bool> routine(FSettingTabs, true);
    const std::array<QAction*, UpperPageCount> items = {DirectorySelections1,
                                                        Synchronization1,
                                                        BuildBatchList1};
    for (QAction* item : items) {
        item->setChecked(false);
    }
    int tab = 0;
    if (index >= 0 && index < UpperPageCount) {
        items[static_cast<std::size_t>(index)]->setChecked(true);
        tab = index;
    }
    if (TabSet1->currentIndex() != tab) {
        TabSet1->setCurrentIndex(tab); // its change handler runs from the signal
    } else {
        Notebook1->setCurrentIndex(tab);
        TabSet1Change(tab);
    }
}

void TMainSyncForm::SetTabs2AndMenus(int index)
{
    QScopedValueRollback<bool> routine(FSettingTabs, true);
    const std::array<QAction*, LowerTabCount> items = {FileOptions1,
                                                       Compression1,
                                                       ReportingOptions1,
                                                       RunBatchLists1,
                                                       AdvOptions1};
    for (QAction* item : items) {
        item->setChecked(false);
    }
    DialUpService1->setChecked(false);
    int tab = 0;
    if (index >= 0 && index < std::min(LowerTabCount, TabSet2->count())) {
        items[static_cast<std::size_t>(index)]->setChecked(true);
        tab = index;
    }
    if (TabSet2->currentIndex() != tab) {
        TabSet2->setCurrentIndex(tab);
    } else {
        Notebook2->setCurrentIndex(tab);
        TabSet2Change(tab);
    }
}

void TMainSyncForm::TabSet1Click(int index)
{
    Notebook1->setCurrentIndex(index);
    SetTabs1AndMenus(index);
}

void TMainSyncForm::TabSet2Click(int index)
{
    // The pages are found by the tab's text: the lower notebook holds a page without a tab.
    QString name = TabSet2->tabText(index);
    for (int page = 0; page < Notebook2->count(); ++page) {
        if (Notebook2->widget(page)->objectName() == name) {
            Notebook2->setCurrentIndex(page);
            break;
        }
    }
    SetTabs2AndMenus(index);
}

void TMainSyncForm::TabSet1Change(int newTab)
{
    if (newTab >= 0 && newTab < UpperPageCount) {
        HelpContext = UpperHelpContexts[newTab];
    }
    // Only the folder page shows file lists.
    SortFileLists1->setEnabled(newTab == 0);
    if (newTab == BuildBatchListsTab) {
        FOptions.RunBatchList = false;
        RunBatch->FollowRunBatchList();
    }
    FOptions.ShowTopMenu = newTab;
}

void TMainSyncForm::TabSet2Change(int newTab)
{
    if (newTab >= 0 && newTab < LowerTabCount) {
        HelpContext = LowerHelpContexts[newTab];
    }
    FOptions.ShowBottomMenu = newTab;
}

void TMainSyncForm::ShowOptionsButtonClick(QObject* sender)
{
    if (sender == ShowOptionsButton || sender == ExpandOptions1) {
        ExpandOptions1->setChecked(!ExpandOptions1->isChecked());
    }
    const bool expanded = ExpandOptions1->isChecked();
    FOptions.ExpandOptionsDisplay = expanded;
    for (QAction* item :
         {FileOptions1, Compression1, ReportingOptions1, RunBatchLists1, DialUpService1, AdvOptions1}) {
        item->setEnabled(expanded);
    }
    ResizeOptionsArea(expanded);
    if (TabSet1->currentIndex() < 0) {
        TabSet1->setCurrentIndex(0);
    }
    // The batch editor needs the options area: its rows carry the options shown there.
    BuildBatchList1->setEnabled(expanded);
    // The two buttons are one exclusive group: pressing the hidden one releases the other.
    (expanded ? ShowOptionsButton : SpeedButton2)->setChecked(true);
}

void TMainSyncForm::ResizeOptionsArea(bool expanded)
{
    const bool shown = Notebook2->isVisibleTo(this);
    if (shown == expanded) {
        return; // already laid out so: applying the same state twice must not resize again
    }
    // The lower area takes its natural height, or more when its pages need more; the upper
    // pages keep theirs either way.
    const int spacing = std::max(0, centralWidget()->layout()->spacing());
    const int lowerHeight = Notebook2->sizeHint().height() + TabSet2->sizeHint().height()
                            + SeparatorPanel->sizeHint().height() + 3 * spacing;
    // What the last expansion added; a collapse takes that off again.
    const int grown = FExpandedHeight > FCollapsedHeight && FCollapsedHeight > 0
                          ? FExpandedHeight - FCollapsedHeight
                          : lowerHeight;
    if (expanded) {
        FCollapsedHeight = height();
    } else {
        FExpandedHeight = height();
    }
    for (QWidget* part : {SeparatorPanel, static_cast<QWidget*>(Notebook2), static_cast<QWidget*>(TabSet2)}) {
        part->setVisible(expanded);
    }
    // The window's own minimum follows only once both layouts are computed afresh; otherwise
    // it would hold the window at its expanded height until the next event loop pass.
    centralWidget()->layout()->activate();
    centralWidget()->updateGeometry();
    layout()->invalidate();
    layout()->activate();
    const QRect room = ScreenRoom();
    const int tallest = room.isEmpty() ? QWIDGETSIZE_MAX : room.height() - FrameExtraHeight();
    // A shown window's size follows a resize only once the window manager has agreed, so the
    // new height is worked out here and handed on, never read back.
    int newHeight = 0;
    if (expanded) {
        // The options take their natural height when the screen has it; on a laptop screen the
        // file pages give up rows instead, so the status line and its buttons stay on screen.
        newHeight = std::max(std::min(FCollapsedHeight + lowerHeight, tallest), minimumSizeHint().height());
        FExpandedHeight = newHeight;
    } else {
        FCollapsedHeight = std::max(minimumSizeHint().height(), FExpandedHeight - grown);
        newHeight = std::min(FCollapsedHeight, std::max(tallest, minimumSizeHint().height()));
    }
    FitOnScreen(room, QSize(width(), newHeight));
}

QRect TMainSyncForm::ScreenRoom() const
{
    QScreen* display = screen();
    return display != nullptr ? display->availableGeometry() : QRect();
}

int TMainSyncForm::FrameExtraHeight() const
{
    // Before the window manager has framed the window, count on a title bar's height.
    const int extra = frameGeometry().height() - height();
    return extra > 0 ? extra : 2 * fontMetrics().height() + 4;
}

void TMainSyncForm::FitOnScreen(const QRect& room)
{
    FitOnScreen(room, size());
}

void TMainSyncForm::FitOnScreen(const QRect& room, QSize wanted)
{
    if (room.isEmpty()) {
        resize(wanted);
        return;
    }
    const int extraHeight = FrameExtraHeight();
    const int extraWidth = std::max(0, frameGeometry().width() - width());
    const QSize least = minimumSizeHint();
    const QSize fitted(std::max(least.width(), std::min(wanted.width(), room.width() - extraWidth)),
                       std::max(least.height(), std::min(wanted.height(), room.height() - extraHeight)));
    // Grown past an edge of the screen: moved back so that every control can be reached.
    const int right = std::max(room.left(), room.right() + 1 - fitted.width() - extraWidth);
    const int bottom = std::max(room.top(), room.bottom() + 1 - fitted.height() - extraHeight);
    resize(fitted);
    move(std::clamp(x(), room.left(), right), std::clamp(y(), room.top(), bottom));
}

void TMainSyncForm::SizeForScreen()
{
    // Three quarters of the screen's width, and its height (up to a point) for the window with
    // its options shown: collapsing them at start-up takes their height off again.
    const QRect room = ScreenRoom();
    if (room.isEmpty()) {
        resize(960, 560);
        return;
    }
    FitOnScreen(room,
                QSize(std::clamp(room.width() * 3 / 4, 900, 1500),
                      std::min(room.height() - FrameExtraHeight(), 900)));
}

} // namespace Tandemix
