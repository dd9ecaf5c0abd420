// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ui/ReportListsView.h"

#include "app/ui/UiText.h"
#include "reporting/ReportFile.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextOption>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <vector>

namespace Tandemix {

// One report list as a Qt model. It copies nothing: a row's text is read from the list when
// the view paints that row. The row count is the one taken at the last reset, so the view never
// asks for a row it was not told about; a list that shrank since then shows blank rows until
// the next Refresh.
class ReportListModel : public QAbstractListModel
{
public:
    ReportListModel(const ReportList& list, QObject* parent)
        : QAbstractListModel(parent)
        , FList(list)
        , FRevision(list.Revision())
        , FRows(RowsOf(list))
    {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : FRows; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
            return {};
        }
        auto row = static_cast<std::size_t>(index.row());
        if (index.row() >= FRows || row >= FList.Count()) {
            return {};
        }
        return UiText(FList.At(row));
    }

    // Resets the model when the list changed since the last reset; true when it did.
    bool Refresh()
    {
        if (FList.Revision() == FRevision) {
            return false;
        }
        beginResetModel();
        FRevision = FList.Revision();
        FRows = RowsOf(FList);
        endResetModel();
        return true;
    }

private:
    static int RowsOf(const ReportList& list)
    {
        return static_cast<int>(std::min<std::size_t>(list.Count(), INT_MAX));
    }

    const ReportList& FList;
    std::uint64_t FRevision;
    int FRows;
};

namespace {

constexpr int RefreshIntervalMs = 500;
// Rows share one size, so that a long list lays out without measuring every line; this many
// characters of width leave room for long folder paths (the tooltip shows any longer line whole).
constexpr int RowWidthCharacters = 200;
constexpr int ColumnGap = 2;

struct PageNames
{
    ReportCategory Category;
    const char* ListName;
    const char* CountName;
    const char* TotalName;
};

constexpr PageNames Pages[] = {
    {ReportCategory::Added, "MemoAdded", "AddedItemCount", "AddedFileSizeTotal"},
    {ReportCategory::Updated, "MemoUpdated", "UpdatedItemCount", "UpdatedFileSizeTotal"},
    {ReportCategory::Excluded, "MemoExcluded", "ExcludedItemCount", "ExcludedFileSizeTotal"},
    {ReportCategory::UnMatched, "MemoUnMatched", "UnMatchedItemCount", "UnMatchedFileSizeTotal"},
    {ReportCategory::Messages, "MemoMessages", "MessagesItemCount", "MessagesFileSizeTotal"},
    {ReportCategory::Deletions, "MemoDeletion", "DeletionItemCount", "DeletionFileSizeTotal"},
};

// Widths in characters of the padded fields of a filed line, in order; the last field (the
// folder) has no width. An exclusion carries its reason after the name.
std::vector<int> FieldWidths(ReportCategory category)
{
    switch (category) {
    case ReportCategory::Excluded:
        return {28, 18, 8, 20};
    case ReportCategory::Messages:
        return {};
    default:
        return {28, 8, 20};
    }
}

// Paints a filed line with its TAB-separated fields in columns: one tab stop after each padded
// field, measured in the fixed-width font's characters, so the columns line up from line to line.
class TabbedLineDelegate : public QStyledItemDelegate
{
public:
    TabbedLineDelegate(std::vector<int> fieldWidths, QObject* parent)
        : QStyledItemDelegate(parent)
        , FFieldWidths(std::move(fieldWidths))
    {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        QString text = item.text;
        item.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        painter->save();
        painter->setFont(item.font);
        QPalette::ColorGroup group =
            (item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        QPalette::ColorRole role =
            (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
        painter->setPen(item.palette.color(group, role));
        QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
        layout.setWrapMode(QTextOption::NoWrap);
        layout.setTabArray(TabStops(item.font));
        painter->drawText(QRectF(textRect), text, layout);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        QFontMetricsF metrics(option.font);
        int width = static_cast<int>(metrics.horizontalAdvance(QLatin1Char('0')) * RowWidthCharacters);
        return {std::max(size.width(), width), size.height()};
    }

private:
    QList<qreal> TabStops(const QFont& font) const
    {
        qreal character = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
        QList<qreal> stops;
        int column = 0;
        for (int width : FFieldWidths) {
            column += width + ColumnGap;
            stops.append(column * character);
        }
        return stops;
    }

    std::vector<int> FFieldWidths;
};

QLabel* Value(const char* name, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(80);
    return label;
}

} // namespace

TReportForm1::TReportForm1(RunContext& ctx, ReportLists& lists, std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , FCtx(ctx)
    , FLists(lists)
    , FProgramFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("TReportForm1"));
    setWindowTitle(UiText("Tandemix - Expanded Reporting Screen"));
    auto* column = new QVBoxLayout(this);
    TabbedNotebook1 = new QTabWidget(this);
    TabbedNotebook1->setObjectName(QStringLiteral("TabbedNotebook1"));
    for (const PageNames& page : Pages) {
        TabbedNotebook1->addTab(BuildPage(page.Category), UiText(ReportPageCaption(page.Category)));
    }
    column->addWidget(TabbedNotebook1, 1);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(UiText("&Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    column->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &TReportForm1::Close1Click);

    MemoAdded = List(ReportCategory::Added);
    MemoUpdated = List(ReportCategory::Updated);
    MemoExcluded = List(ReportCategory::Excluded);
    MemoUnMatched = List(ReportCategory::UnMatched);
    MemoMessages = List(ReportCategory::Messages);
    MemoDeletion = List(ReportCategory::Deletions);
    BuildMenus();
    column->setMenuBar(MainMenu1);
    connect(TabbedNotebook1, &QTabWidget::currentChanged, this, &TReportForm1::TabbedNotebook1Change);
    TabbedNotebook1Change(TabbedNotebook1->currentIndex());
    InstallDialogs();

    FRefreshTimer = new QTimer(this);
    FRefreshTimer->setInterval(RefreshIntervalMs);
    connect(FRefreshTimer, &QTimer::timeout, this, &TReportForm1::Refresh);
    resize(760, 420);
    Refresh();
}

QAction* TReportForm1::AddCommand(QWidget* menu,
                                  const char* name,
                                  const char* caption,
                                  void (TReportForm1::*handler)())
{
    auto* action = new QAction(UiText(caption), this);
    action->setObjectName(QString::fromUtf8(name));
    connect(action, &QAction::triggered, this, handler);
    menu->addAction(action);
    return action;
}

void TReportForm1::BuildMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = MainMenu1->addMenu(UiText("&File"));
    LoadReport1 = AddCommand(file, "LoadReport1", "&Load Report", &TReportForm1::LoadReport1Click);
    SaveAs1 = AddCommand(file, "SaveAs1", "&Save Report", &TReportForm1::SaveAs1Click);
    Print1 = AddCommand(file, "Print1", "&Print Current List", &TReportForm1::Print1Click);
    file->addSeparator();
    Close1 = AddCommand(file, "Close1", "&Close", &TReportForm1::Close1Click);
    // Not on the menu (a hidden item's key would not work either): the key alone is the command.
    Hide1 = AddCommand(this, "Hide1", "Focus on TX", &TReportForm1::Hide1Click);
    Hide1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    QMenu* edit = MainMenu1->addMenu(UiText("&Edit"));
    Copy1 = AddCommand(edit, "Copy1", "&Copy", &TReportForm1::Copy1Click);
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Delete1 = AddCommand(edit, "Delete1", "&Delete", &TReportForm1::Delete1Click);
    Delete1->setShortcut(QKeySequence(Qt::Key_Delete));
    SelectAll1 = AddCommand(edit, "SelectAll1", "&Select All", &TReportForm1::SelectAll1Click);
    UnSelectAll1 = AddCommand(edit, "UnSelectAll1", "&UnSelect All", &TReportForm1::UnSelectAll1Click);
    ClearList1 = AddCommand(edit, "ClearList1", "Clear &List", &TReportForm1::ClearList1Click);

    QMenu* view = MainMenu1->addMenu(UiText("&View"));
    Font1 = AddCommand(view, "Font1", "&Font", &TReportForm1::Font1Click);

    // The pop-up menu of every list: the same commands, without keys (the menu bar has them).
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("PopupMenu1"));
    Copy2 = AddCommand(popup, "Copy2", "Copy", &TReportForm1::Copy1Click);
    Delete2 = AddCommand(popup, "Delete2", "Delete", &TReportForm1::Delete1Click);
    SelectAll2 = AddCommand(popup, "SelectAll2", "Select All", &TReportForm1::SelectAll1Click);
    UnSelectAll2 = AddCommand(popup, "UnSelectAll2", "UnSelect All", &TReportForm1::UnSelectAll1Click);
    ClearList2 = AddCommand(popup, "ClearList2", "Clear List", &TReportForm1::ClearList1Click);
    for (QListView* list : FViews) {
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        list->addActions(popup->actions());
    }
}

QWidget* TReportForm1::BuildPage(ReportCategory category)
{
    const PageNames& names = Pages[Index(category)];
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);

    auto* view = new QListView(page);
    view->setObjectName(QString::fromUtf8(names.ListName));
    // Every row the same height: the view then never measures lines it does not show.
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setItemDelegate(new TabbedLineDelegate(FieldWidths(category), view));
    auto* model = new ReportListModel(FLists.List(category), view);
    view->setModel(model);
    column->addWidget(view, 1);

    auto* panel = new QHBoxLayout;
    auto* totalCaption = new QLabel(UiText("File Size Total:"), page);
    QLabel* total = Value(names.TotalName, page);
    panel->addWidget(totalCaption);
    panel->addWidget(total);
    panel->addStretch(1);
    panel->addWidget(new QLabel(UiText("Item Count:"), page));
    QLabel* count = Value(names.CountName, page);
    panel->addWidget(count);
    column->addLayout(panel);
    // Messages carry no sizes.
    if (category == ReportCategory::Messages) {
        totalCaption->hide();
        total->hide();
    }

    FViews[Index(category)] = view;
    FModels[Index(category)] = model;
    FItemCounts[Index(category)] = count;
    FSizeTotals[Index(category)] = total;
    return page;
}

void TReportForm1::Refresh()
{
    for (const PageNames& page : Pages) {
        std::size_t i = Index(page.Category);
        QListView* view = FViews[i];
        // A run files its news at the top while the user reads further down: stay where they are.
        int vertical = view->verticalScrollBar()->value();
        int horizontal = view->horizontalScrollBar()->value();
        if (FModels[i]->Refresh()) {
            view->verticalScrollBar()->setValue(vertical);
            view->horizontalScrollBar()->setValue(horizontal);
        }
        FItemCounts[i]->setText(QString::number(FLists.Count(page.Category)));
        FSizeTotals[i]->setText(QString::number(FLists.Total(page.Category)));
    }
}

void TReportForm1::ShowPage(ReportCategory category)
{
    TabbedNotebook1->setCurrentIndex(static_cast<int>(Index(category)));
}

ReportCategory TReportForm1::CurrentPage() const
{
    return static_cast<ReportCategory>(TabbedNotebook1->currentIndex());
}

void TReportForm1::showEvent(QShowEvent* event)
{
    Refresh();
    FRefreshTimer->start();
    QWidget::showEvent(event);
}

void TReportForm1::hideEvent(QHideEvent* event)
{
    FRefreshTimer->stop();
    QWidget::hideEvent(event);
}

void TReportForm1::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit Closed();
    }
}

} // namespace Tandemix
