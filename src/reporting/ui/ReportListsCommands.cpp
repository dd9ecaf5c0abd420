// SPDX-License-Identifier: GPL-3.0-or-later
// The report window's commands on its lists.
#include "app/ui/UiText.h"
#include "compression/CompressedSync.h"
#include "engine/FileHelpers.h"
#include "engine/Messages.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "platform/WallClock.h"
#include "reporting/ReportFile.h"
#include "reporting/ui/ReportListsView.h"
#include "unmatched/DeleteUnmatched.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>

#include <algorithm>
#include <string_view>
#include <system_error>

namespace Tandemix {

namespace {

constexpr std::string_view ReportFilter = "Tandemix Report Files (*.TXR)";
constexpr std::string_view ReportSuffix = "TXR";
constexpr std::string_view FileLoadError = "File Load Error: ";
constexpr std::string_view DeleteQuestion = "Are you sure you want to delete ";
constexpr std::string_view DeleteQuestionEnd = " file(s) and/or folder(s)?";
constexpr std::string_view DamagedLines =
    "Nothing was deleted: a selected line does not name its file in a form that can be read back "
    "(a damaged line, or a name holding a TAB).";
constexpr std::string_view ReplaceQuestion = "Are you sure you want to replace the ";
constexpr std::string_view ReplaceQuestionEnd = " report listing?";
constexpr std::string_view CannotSaveReport = "Could Not Write Report File: ";
constexpr std::string_view CannotPrint =
    "The list could not be printed: the printer or its file did not open.";
constexpr std::string_view UnMatchedOff =
    "You must enable the \"List UnMatched Target Files\" optionin the \"Misc File Options\" screen prior to "
    "running the Synchronization in order to view any UnMatched files.";

// A printed TAB: the lines are padded to their columns already, so a fixed gap keeps them lined up.
constexpr int PrintedTabWidth = 2;

QString ChooseReportFileInDialog(QWidget* parent, const QString& proposed, bool save)
{
    QFileDialog dialog(parent, save ? UiText("Save Report") : UiText("Load Report"));
    // Qt's own dialog matches "*.TXR" without regard to case and asks before overwriting.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(UiText(ReportFilter));
    dialog.setDefaultSuffix(UiText(ReportSuffix));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

// One printed line per line, wrapped at the page's edge (folder paths can be longer than a page
// is wide), a new page whenever the next line would not fit.
bool PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    painter.setFont(font);
    const QRect page = painter.viewport();
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
    const QString tab(PrintedTabWidth, QLatin1Char(' '));
    int top = 0;
    for (const QString& line : lines) {
        QString text = QString(line).replace(QLatin1Char('\t'), tab);
        QRect room(0, top, page.width(), page.height());
        int height =
            std::max(painter.boundingRect(room, flags, text).height(), painter.fontMetrics().height());
        if (top > 0 && top + height > page.height()) {
            printer.newPage();
            top = 0;
        }
        painter.drawText(QRect(0, top, page.width(), height), flags, text);
        top += height;
    }
    return painter.end();
}

} // namespace

void TReportForm1::InstallDialogs()
{
    ChooseReportFile = [this](bool save, const QString& proposed) {
        return ChooseReportFileInDialog(this, proposed, save);
    };
    ChoosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        return dialog.exec() == QDialog::Accepted;
    };
    ChooseFont = [this](const QFont& current) -> std::optional<QFont> {
        bool chosen = false;
        QFont font = QFontDialog::getFont(&chosen, current, this);
        return chosen ? std::optional<QFont>(font) : std::nullopt;
    };
}

void TReportForm1::Tell(const std::string& text)
{
    FCtx.Hst.Ask(text, DialogButtons::Ok);
}

QString TReportForm1::ProposedReportPath() const
{
    std::string name = RemoveSpaces(ReportPageCaption(CurrentPage())) + std::string(ReportFileExtension);
    return UiText(AddTrailingBackslash(FProgramFolder) + name);
}

std::vector<std::size_t> TReportForm1::SelectedRows(QListView* view) const
{
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(static_cast<std::size_t>(row));
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TReportForm1::PutOnClipboard(QStringList lines)
{
    Memo1 = std::move(lines);
    QString text;
    for (const QString& line : Memo1) {
        text += line;
        text += QLatin1Char('\n');
    }
    QGuiApplication::clipboard()->setText(text);
}

void TReportForm1::SaveAs1Click()
{
    if (ListsBusy() || !ChooseReportFile) {
        return;
    }
    QString file = ChooseReportFile(true, ProposedReportPath());
    if (file.isEmpty()) {
        return;
    }
    ReportCategory page = CurrentPage();
    ReportFileHeader header{Compressed(page),
                            std::string(ReportPageCaption(page)),
                            DateTimeText(Now()),
                            FLists.Count(page),
                            FLists.Total(page)};
    std::string path = CoreText(file);
    SysStatus written = WriteReportFile(path, header, FLists.List(page));
    if (!written) {
        Tell(std::string(CannotSaveReport) + path + " (" + std::generic_category().message(written.Error())
             + ")");
    }
}

void TReportForm1::LoadReport1Click()
{
    if (ListsBusy() || !ChooseReportFile) {
        return;
    }
    QString file = ChooseReportFile(false, ProposedReportPath());
    if (file.isEmpty()) {
        return;
    }
    // The whole file is read before anything changes: a file that cannot be read leaves every
    // list and page as it was.
    std::string path = CoreText(file);
    SysResult<ReportFileContent> report = ReadReportFile(path);
    if (!report) {
        Tell(std::string(FileLoadError) + path + "!");
        return;
    }
    const std::optional<ReportFileHeader>& header = report->Header;
    if (header) {
        if (std::optional<ReportCategory> named = ReportPageNamed(header->Page)) {
            FLoading = true;
            ShowPage(*named);
            FLoading = false;
        }
    }
    ReportCategory page = CurrentPage();
    Refresh();
    if (!FLists.List(page).Empty()) {
        std::string question = std::string(ReplaceQuestion) + std::string(ReportPageCaption(page))
                               + std::string(ReplaceQuestionEnd);
        if (FCtx.Hst.Ask(question, DialogButtons::YesNo) != DialogResult::Yes) {
            return;
        }
    }
    FLists.ReplaceLines(page, std::move(report.Value().Lines));
    if (header && header->ItemCount) {
        FLists.SetCount(page, *header->ItemCount);
    }
    if (header && header->ByteTotal) {
        FLists.SetTotal(page, *header->ByteTotal);
    }
    SetCompressed(page, header && header->Compressed);
    Refresh();
}

void TReportForm1::Print1Click()
{
    if (ListsBusy() || !ChoosePrinter) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!ChoosePrinter(printer)) {
        return;
    }
    ReportCategory page = CurrentPage();
    QStringList lines;
    for (const std::string& line : PrintedHeaderLines(ReportPageCaption(page),
                                                      DateTimeText(Now()),
                                                      FLists.Count(page),
                                                      FLists.Total(page))) {
        lines << UiText(line);
    }
    const ReportList& list = FLists.List(page);
    for (std::size_t row = 0; row < list.Count(); ++row) {
        lines << UiText(list.At(row));
    }
    // What is printed is what is copied, as the list's own Copy would have copied it.
    PutOnClipboard(std::move(lines));
    ActiveList()->clearSelection();
    if (!PrintLines(printer, Memo1, ActiveList()->font())) {
        Tell(std::string(CannotPrint));
    }
}

void TReportForm1::Close1Click()
{
    close();
}

void TReportForm1::Hide1Click()
{
    QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (owner != nullptr) {
        owner->raise();
        owner->activateWindow();
    }
}

void TReportForm1::Copy1Click()
{
    if (ListsBusy()) {
        return;
    }
    // The rows shown must be the list's rows before a selection is read off them.
    Refresh();
    QListView* view = ActiveList();
    const ReportList& list = FLists.List(CurrentPage());
    if (!view->selectionModel()->hasSelection()) {
        view->selectAll();
    }
    std::vector<std::size_t> rows = SelectedRows(view);
    QStringList lines;
    for (std::size_t row : rows) {
        if (row < list.Count()) {
            lines << UiText(list.At(row));
        }
    }
    PutOnClipboard(std::move(lines));
    if (rows.size() >= list.Count()) {
        view->clearSelection();
    }
}

void TReportForm1::Delete1Click()
{
    ReportCategory page = CurrentPage();
    bool deletable =
        page == ReportCategory::Added || page == ReportCategory::Updated || page == ReportCategory::UnMatched;
    if (ListsBusy() || !deletable) {
        return;
    }
    Refresh();
    const ReportList& list = FLists.List(page);
    std::vector<std::string> lines;
    for (std::size_t row : SelectedRows(ActiveList())) {
        if (row < list.Count()) {
            lines.push_back(list.At(row));
        }
    }
    if (lines.empty()) {
        return;
    }
    std::string question =
        std::string(DeleteQuestion) + std::to_string(lines.size()) + std::string(DeleteQuestionEnd);
    if (FCtx.Hst.Ask(question, DialogButtons::YesNo) != DialogResult::Yes) {
        return;
    }
    std::optional<std::vector<UnmatchedItem>> items = ItemsOfLines(FLists, page, lines);
    if (!items) {
        Tell(std::string(DamagedLines));
        return;
    }
    if (Compressed(page)) {
        // A compressed list names entries of the folders' archives: those go, never a file of
        // the same name beside the archive.
        for (UnmatchedItem& item : *items) {
            if (item.Archive.empty()) {
                item.Archive = CompressedFolderName(item.Folder, FCtx.Opts.CompressedExt);
            }
        }
    }
    // Only inside the target on screen: a list loaded from a report file may name any folder.
    (void)DeleteListedItems(FCtx, FLists, page, *items, AddTrailingBackslash(FCtx.Engine.Target.Folder));
    Refresh();
    ActiveList()->clearSelection();
    FCtx.State.StatusMsg(Msg::Ready);
    emit FilesDeleted();
}

void TReportForm1::SelectAll1Click()
{
    ActiveList()->selectAll();
}

void TReportForm1::UnSelectAll1Click()
{
    ActiveList()->clearSelection();
}

void TReportForm1::ClearList1Click()
{
    if (ListsBusy()) {
        return;
    }
    FLists.ClearList(CurrentPage());
    Refresh();
}

void TReportForm1::Font1Click()
{
    if (ListsBusy() || !ChooseFont) {
        return;
    }
    std::optional<QFont> font = ChooseFont(MemoAdded->font());
    if (font) {
        for (QListView* view : FViews) {
            view->setFont(*font);
        }
    }
}

void TReportForm1::TabbedNotebook1Change(int page)
{
    // Only added, updated and unmatched lines name files the program may delete.
    auto category = static_cast<ReportCategory>(page);
    bool deletable = category == ReportCategory::Added || category == ReportCategory::Updated
                     || category == ReportCategory::UnMatched;
    Delete1->setEnabled(deletable);
    Delete2->setEnabled(deletable);
    if (category == ReportCategory::UnMatched && !FLoading && !FCtx.Opts.ListUnMatchedFiles) {
        Tell(std::string(UnMatchedOff));
    }
}

void TReportForm1::SetCompressed(ReportCategory category, bool compressed)
{
    std::size_t i = Index(category);
    FCompressed[i] = compressed;
    // Otherwise the theme's own text colour: black on a dark desktop would be unreadable.
    for (QWidget* widget : {static_cast<QWidget*>(FViews[i]),
                            static_cast<QWidget*>(FItemCounts[i]),
                            static_cast<QWidget*>(FSizeTotals[i])}) {
        QPalette palette = widget->palette();
        QPalette standard = QPalette();
        QColor colour = compressed ? QColor(Qt::red) : standard.color(QPalette::Text);
        palette.setColor(QPalette::Text, colour);
        palette.setColor(QPalette::WindowText,
                         compressed ? QColor(Qt::red) : standard.color(QPalette::WindowText));
        widget->setPalette(palette);
    }
}

} // namespace Tandemix
