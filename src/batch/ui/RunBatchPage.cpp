// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ui/RunBatchPage.h"

#include "app/ui/UiText.h"
#include "batch/BatchGrid.h"
#include "batch/BatchMessages.h"
#include "batch/RecentBatchFiles.h"
#include "batch/ui/BatchFileDialog.h"
#include "batch/ui/BatchGridView.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "platform/FileOps.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace Tandemix {

namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(UiText(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

} // namespace

RunBatchPage::RunBatchPage(RunContext& ctx,
                           BatchHooks& hooks,
                           const std::string& programFolder,
                           QWidget* parent)
    : QWidget(parent)
    , FCtx(ctx)
    , FHooks(hooks)
    , FProgramFolder(programFolder)
{
    setObjectName(QStringLiteral("Run Batch Lists"));
    ChooseBatchFile = [this](bool save, const QString& proposed) {
        return ChooseBatchFileInDialog(this, save, proposed);
    };
    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    BatchFileLoadList = new QComboBox(this);
    BatchFileLoadList->setObjectName(QStringLiteral("BatchFileLoadList"));
    BatchFileLoadList->setEditable(false);
    BatchFileLoadList->setToolTip(UiText("Recently opened batch files (Delete removes the one shown)"));
    BatchFileLoadList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    BatchFileLoadList->setMinimumContentsLength(30);
    BatchFileLoadList->installEventFilter(this);
    auto* recent = new QLabel(UiText("&Batch File:"), this);
    recent->setBuddy(BatchFileLoadList);
    OpenBatchForSync = Button("OpenBatchForSync", "&Open", this);
    EditBatch = Button("EditBatch", "&Edit", this);
    EditBatch->setToolTip(UiText("Edit this list on the Build Batch Lists page"));
    ClearCurrentBatch = Button("ClearCurrentBatch", "C&lear", this);
    ClearCurrentBatch->setToolTip(UiText("Close the list and bring back the window's own options"));
    top->addWidget(recent);
    top->addWidget(BatchFileLoadList, 1);
    top->addWidget(OpenBatchForSync);
    top->addWidget(EditBatch);
    top->addWidget(ClearCurrentBatch);
    column->addLayout(top);

    auto* current = new QHBoxLayout;
    current->addWidget(new QLabel(UiText("Current batch list:"), this));
    CurrentBatchFile = new QLabel(UiText(BatchMsg::NoListOpen), this);
    CurrentBatchFile->setObjectName(QStringLiteral("CurrentBatchFile"));
    CurrentBatchFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    current->addWidget(CurrentBatchFile, 1);
    column->addLayout(current);

    BatchSyncGrid = new BatchGridView("BatchSyncGrid", this);
    column->addWidget(BatchSyncGrid, 1);

    RunBatchList = new QCheckBox(UiText(BatchMsg::RunBatchListCaption), this);
    RunBatchList->setObjectName(QStringLiteral("RunBatchList"));
    RunBatchList->setToolTip(UiText(BatchMsg::RunBatchListHint));

    connect(OpenBatchForSync, &QPushButton::clicked, this, [this] { OpenBatchFileClick(); });
    connect(EditBatch, &QPushButton::clicked, this, [this] { EditBatchClick(); });
    connect(ClearCurrentBatch, &QPushButton::clicked, this, [this] { ClearCurrentBatchClick(); });
    connect(BatchFileLoadList, &QComboBox::activated, this, [this](int index) { ChooseFromList(index); });
    connect(BatchFileLoadList, &QComboBox::currentTextChanged, this, [this] { BatchFileLoadListChange(); });
    connect(BatchSyncGrid, &BatchGridView::RowEntered, this, [this](int to, int) { BatchSyncGridClick(to); });
    connect(BatchSyncGrid, &QTableWidget::cellClicked, this, [this](int row) {
        BatchSyncGridClick(row + 1);
    });
    connect(RunBatchList, &QCheckBox::toggled, this, [this](bool on) {
        FCtx.Opts.RunBatchList = on;
        emit RunBatchListClicked();
    });
    ClearRunGrid();
}

void RunBatchPage::SetRunBatchList(bool enabled, bool checked)
{
    RunBatchList->setEnabled(enabled);
    {
        QSignalBlocker quiet(RunBatchList);
        RunBatchList->setChecked(checked);
    }
    FCtx.Opts.RunBatchList = checked;
    emit RunBatchListClicked();
}

void RunBatchPage::FollowRunBatchList()
{
    if (RunBatchList->isChecked() != FCtx.Opts.RunBatchList) {
        SetRunBatchList(RunBatchList->isEnabled(), FCtx.Opts.RunBatchList);
    }
}

bool RunBatchPage::FirstRowRuns() const
{
    const BatchList& list = FHooks.List();
    return !list.Rows.empty() && !list.Rows.front()[BatchCol::Source].empty()
           && !list.Rows.front()[BatchCol::Target].empty();
}

void RunBatchPage::ShowGrid()
{
    BatchSyncGrid->ShowRows(FHooks.List().Rows, std::max(1, FHooks.BatchCurrentRow(FCtx)));
}

void RunBatchPage::ShowRecentFiles()
{
    QScopedValueRollback<bool> showing(FShowingList, true);
    const SelectableList& recent = FCtx.Opts.BatchFileLoadList;
    BatchFileLoadList->clear();
    for (const std::string& path : recent.Items) {
        BatchFileLoadList->addItem(UiText(path));
    }
    BatchFileLoadList->setCurrentIndex(recent.ItemIndex);
    BatchFileLoadListChange();
}

void RunBatchPage::ClearRunGrid()
{
    SetRunBatchList(false, false);
    FOpenPath.clear();
    BatchGrid cleared;
    ClearBatchGrid(cleared);
    FHooks.SetList(GridList(cleared, {}));
    CurrentBatchFile->setText(UiText(BatchMsg::NoListOpen));
    SelectableList& recent = FCtx.Opts.BatchFileLoadList;
    recent.ItemIndex = -1;
    for (std::size_t i = 0; i < recent.Items.size(); ++i) {
        if (recent.Items[i].empty()) {
            recent.ItemIndex = static_cast<int>(i);
        }
    }
    ShowRecentFiles();
    ShowGrid();
    FCtx.State.StatusMsg(Msg::Ready);
}

bool RunBatchPage::RunBatchFile(const std::string& path)
{
    SetRunBatchList(RunBatchList->isEnabled(), false);
    emit AutomaticRunsOffWanted(false);
    if (!FileExists(path)) {
        // A recent entry whose file has gone: the user hears why nothing opened.
        (void)ShowError(FCtx, ProblemMessageLine(BatchMsg::BatchFileNotAccessible, path), ErrorCode::Notice);
        return false;
    }
    ClearRunGrid();
    std::optional<BatchList> list = OpenBatchList(FCtx, path);
    if (!list) {
        return false;
    }
    BatchGrid grid;
    FillBatchGrid(grid, *list);
    FHooks.SetList(GridList(grid, list->Description));
    FHooks.SetCurrentRow(1);
    FOpenPath = path;
    CurrentBatchFile->setText(UiText(list->Description));
    RememberBatchFile(FCtx.Opts.BatchFileLoadList, path);
    ShowRecentFiles();
    ShowGrid();
    EditBatch->setEnabled(true);
    SetRunBatchList(true, true);
    FCtx.State.StatusMsg(Msg::Ready);
    return true;
}

void RunBatchPage::OpenBatchFileClick()
{
    const QString chosen = ChooseBatchFile(false, UiText(FProgramFolder));
    if (!chosen.isEmpty()) {
        (void)RunBatchFile(CoreText(chosen));
    }
}

void RunBatchPage::ChooseFromList(int index)
{
    if (FShowingList) {
        return;
    }
    const SelectableList& recent = FCtx.Opts.BatchFileLoadList;
    if (index < 0 || index >= static_cast<int>(recent.Items.size())) {
        return;
    }
    const std::string path = recent.Items[static_cast<std::size_t>(index)];
    if (path.empty()) {
        OpenBatchFileClick(); // the empty entry offers the dialog, as an empty name does
        return;
    }
    FCtx.Opts.BatchFileLoadList.ItemIndex = index;
    (void)RunBatchFile(path);
}

void RunBatchPage::ClearCurrentBatchClick()
{
    emit AutomaticRunsOffWanted(false);
    ClearRunGrid();
    emit AutomaticRunsOffWanted(true);
    emit DefaultSettingsWanted();
    FCtx.State.StatusMsg(Msg::Ready);
}

void RunBatchPage::EditBatchClick()
{
    const QString path = BatchFileLoadList->currentText();
    if (!path.isEmpty()) {
        emit EditWanted(path);
    }
}

void RunBatchPage::BatchSyncGridClick(int row)
{
    if (FCtx.State.SourceFileListTag == 1 || row < 1) {
        return;
    }
    const BatchRowFolders folders = FHooks.BatchRow(FCtx, row);
    if (folders.Source != FCtx.Engine.Source.Folder || folders.Target != FCtx.Engine.Target.Folder) {
        (void)InitiateBatchItem(row);
    } else {
        FHooks.SetCurrentRow(row);
    }
}

int RunBatchPage::InitiateBatchItem(int row)
{
    if (!FirstRowRuns()) {
        SetRunBatchList(false, false);
        return -1;
    }
    const BatchRowFolders folders = FHooks.BatchRow(FCtx, row);
    if (folders.Source.empty() || folders.Target.empty()) {
        FCtx.State.StatusMsg(Msg::Ready);
        return -1;
    }
    int result = 0;
    {
        // Applying a row is not the user changing options; nothing is listed meanwhile.
        QScopedValueRollback<int> loading(FCtx.State.SourceFileListTag, 1);
        result = FHooks.InitiateBatchItem(FCtx, row);
        BatchSyncGrid->StandOn(row);
    }
    emit RowInitiated(result);
    FCtx.State.StatusMsg(Msg::Ready);
    return result;
}

void RunBatchPage::BatchFileLoadListKeyDown(int key)
{
    if (key != Qt::Key_Delete) {
        return;
    }
    FCtx.Opts.BatchFileLoadList.ItemIndex = BatchFileLoadList->currentIndex();
    ForgetSelectedBatchFile(FCtx.Opts.BatchFileLoadList);
    ClearRunGrid();
}

void RunBatchPage::BatchFileLoadListChange()
{
    EditBatch->setEnabled(!BatchFileLoadList->currentText().isEmpty() && BatchFileLoadList->isEnabled());
}

void RunBatchPage::EnableRunControls(bool enable)
{
    for (QWidget* control : {static_cast<QWidget*>(OpenBatchForSync),
                             static_cast<QWidget*>(ClearCurrentBatch),
                             static_cast<QWidget*>(BatchSyncGrid),
                             static_cast<QWidget*>(BatchFileLoadList)}) {
        control->setEnabled(enable);
    }
    BatchFileLoadListChange();
    RunBatchList->setEnabled(enable && FirstRowRuns());
}

bool RunBatchPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == BatchFileLoadList && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            BatchFileLoadListKeyDown(key->key());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Tandemix
