// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ui/SynchronizePage.h"

#include "app/ui/UiText.h"
#include "engine/FileHelpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tandemix {

namespace {

QLabel* Value(const char* name, QWidget* parent, const char* text = "0")
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QProgressBar* Gauge(const char* name, QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromUtf8(name));
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QString Number(long long value)
{
    return QString::number(value);
}

} // namespace

SynchronizePage::SynchronizePage(RunContext& ctx, QWidget* parent)
    : QWidget(parent)
    , FCtx(ctx)
{
    setObjectName(QStringLiteral("Synchronize"));
    auto* column = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    SyncButton = new QPushButton(UiText("&Synchronize Source and Target"), this);
    SyncButton->setObjectName(QStringLiteral("SyncButton"));
    PreReportButton = new QPushButton(UiText("&Create Pre-Sync Report"), this);
    PreReportButton->setObjectName(QStringLiteral("PreReportButton"));
    buttons->addWidget(SyncButton);
    buttons->addWidget(PreReportButton);

    auto* folders = new QGridLayout;
    SyncSource = Value("SyncSource", this, "");
    SyncTarget = Value("SyncTarget", this, "");
    for (QLabel* folder : {SyncSource, SyncTarget}) {
        folder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    folders->addWidget(new QLabel(UiText("Source:"), this), 0, 0);
    folders->addWidget(SyncSource, 0, 1);
    folders->addWidget(new QLabel(UiText("Target:"), this), 1, 0);
    folders->addWidget(SyncTarget, 1, 1);
    folders->setColumnStretch(1, 1);
    // The folders beside the buttons rather than under them: the rows go to the progress.
    buttons->addSpacing(12);
    buttons->addLayout(folders, 1);
    column->addLayout(buttons);

    auto* row = new QHBoxLayout;
    row->addWidget(BuildOptions());
    row->addWidget(BuildProgress(), 1);
    column->addLayout(row, 1);

    connect(SyncButton, &QPushButton::clicked, this, &SynchronizePage::SyncClicked);
    connect(PreReportButton, &QPushButton::clicked, this, &SynchronizePage::PreReportClicked);
    ShowOptions();
}

QWidget* SynchronizePage::BuildOptions()
{
    auto* box = new QGroupBox(UiText("Run Options"), this);
    // Two columns: a laptop screen has no height to spare under the file pages.
    FOptionGrid = new QGridLayout(box);
    auto make = [&](QCheckBox*& check, const char* name, const char* caption, bool Options::*field) {
        check = new QCheckBox(UiText(caption), box);
        check->setObjectName(QString::fromUtf8(name));
        AddRunOption(check);
        connect(check, &QCheckBox::toggled, this, [this, field](bool on) {
            if (FShowing) {
                return;
            }
            FCtx.Opts.*field = on;
            emit OptionChanged();
        });
    };
    make(IncludeSubFolderOption,
         "IncludeSubFolderOption",
         "Include Sub-Folders",
         &Options::IncludeSubFolderOption);
    make(CreateSubFolder,
         "CreateSubFolder",
         "Create Source Folder in Target",
         &Options::CreateSubFolderOption);
    make(AddFilesOption, "AddFilesOption", "Add New Files", &Options::AddFilesOption);
    make(UpdateFilesOption, "UpdateFilesOption", "Update Older Files", &Options::UpdateFilesOption);
    make(AlwaysOverWrite, "AlwaysOverWrite", "Always Overwrite", &Options::AlwaysOverWrite);
    make(IgnoreTargetSpace, "IgnoreTargetSpace", "Ignore Target Space", &Options::IgnoreTargetSpace);
    make(CheckResetArchive, "CheckResetArchive", "Reset Archive Attribute", &Options::CheckResetArchive);
    FOptionGrid->setRowStretch(4, 1);
    connect(IncludeSubFolderOption, &QCheckBox::toggled, this, [this] {
        EnableRunControls(SyncButton->isEnabled());
    });
    connect(AddFilesOption, &QCheckBox::toggled, this, [this] { AddUpdateOptionClick(); });
    connect(UpdateFilesOption, &QCheckBox::toggled, this, [this] { AddUpdateOptionClick(); });
    return box;
}

QWidget* SynchronizePage::BuildProgress()
{
    auto* box = new QGroupBox(UiText("Progress"), this);
    auto* grid = new QGridLayout(box);
    SyncOptAdd = Value("SyncOptAdd", box, "Added:");
    SyncOptUpdate = Value("SyncOptUpdate", box, "Updated:");
    TotFilesAdded = Value("TotFilesAdded", box);
    TotFilesUpdated = Value("TotFilesUpdated", box);
    TotalFilesCheckedValue = Value("TotalFilesCheckedValue", box);
    TotalFileCount = Value("TotalFileCount", box);
    TotDirCount = Value("TotDirCount", box);
    TotFileSize = Value("TotFileSize", box);
    PreFolderCount = Value("PreFolderCount", box);
    CurrentFileName = Value("CurrentFileName", box, "none");
    // A long name is cut at the box's edge instead of widening the window.
    CurrentFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ActiveFileSize = Value("ActiveFileSize", box);
    CurrentFileNo = Value("CurrentFileNo", box);
    DirFileCount = Value("DirFileCount", box);
    RemainingTargetSpace = Value("RemainingTargetSpace", box, "");
    FolderGauge = Gauge("FolderGauge", box);
    DirGauge = Gauge("DirGauge", box);
    FileGauge = Gauge("FileGauge", box);
    CompressionMessage = Value("CompressionMessage", box, "");
    CompressionMessage->setToolTip(UiText("Compression status"));
    {
        // The row keeps its place while hidden, so the box does not jump as archives are written.
        QSizePolicy keep = CompressionMessage->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        CompressionMessage->setSizePolicy(keep);
    }
    CompressionMessage->setVisible(false);

    // Counters three to a row, each caption beside its value; the current file across the box,
    // its name being the longest text; the gauges under them.
    int r = 0;
    auto put = [&](QWidget* caption, QWidget* value, int pair) {
        grid->addWidget(caption, r, 2 * pair);
        grid->addWidget(value, r, 2 * pair + 1);
    };
    auto label = [box](const char* text) {
        return new QLabel(UiText(text), box);
    };
    put(SyncOptAdd, TotFilesAdded, 0);
    put(SyncOptUpdate, TotFilesUpdated, 1);
    put(label("Checked:"), TotalFilesCheckedValue, 2);
    ++r;
    put(label("Seen:"), TotalFileCount, 0);
    put(label("Folders:"), TotDirCount, 1);
    put(label("Bytes listed:"), TotFileSize, 2);
    ++r;
    put(label("Folders to do:"), PreFolderCount, 0);
    put(label("Target free:"), RemainingTargetSpace, 1);
    auto* rowOf = new QHBoxLayout;
    rowOf->addWidget(CurrentFileNo);
    rowOf->addWidget(label("of:"));
    rowOf->addWidget(DirFileCount, 1);
    grid->addWidget(label("Row:"), r, 4);
    grid->addLayout(rowOf, r, 5);
    ++r;
    grid->addWidget(label("File:"), r, 0);
    grid->addWidget(CurrentFileName, r, 1, 1, 3);
    put(label("Size:"), ActiveFileSize, 2);
    ++r;
    grid->addWidget(label("Folders"), r, 0);
    grid->addWidget(FolderGauge, r++, 1, 1, 5);
    grid->addWidget(label("Folder"), r, 0);
    grid->addWidget(DirGauge, r++, 1, 1, 5);
    grid->addWidget(label("File"), r, 0);
    grid->addWidget(FileGauge, r++, 1, 1, 5);
    grid->addWidget(CompressionMessage, r++, 1, 1, 5);
    grid->setRowStretch(r, 1);
    for (int value : {1, 3, 5}) {
        grid->setColumnStretch(value, 1);
    }
    return box;
}

void SynchronizePage::AddRunOption(QCheckBox* check)
{
    FOptionGrid->addWidget(check, FOptionsPlaced % 4, FOptionsPlaced / 4);
    ++FOptionsPlaced;
}

void SynchronizePage::ShowOptions()
{
    FShowing = true;
    const Options& opts = FCtx.Opts;
    IncludeSubFolderOption->setChecked(opts.IncludeSubFolderOption);
    CreateSubFolder->setChecked(opts.CreateSubFolderOption);
    AddFilesOption->setChecked(opts.AddFilesOption);
    UpdateFilesOption->setChecked(opts.UpdateFilesOption);
    AlwaysOverWrite->setChecked(opts.AlwaysOverWrite);
    IgnoreTargetSpace->setChecked(opts.IgnoreTargetSpace);
    CheckResetArchive->setChecked(opts.CheckResetArchive);
    FShowing = false;
    AddUpdateOptionClick();
}

void SynchronizePage::AddUpdateOptionClick()
{
    // With neither adds nor updates a run could do nothing: its buttons are off.
    bool any = AddFilesOption->isChecked() || UpdateFilesOption->isChecked();
    SyncButton->setEnabled(any);
    PreReportButton->setEnabled(any);
    TotFilesAdded->setEnabled(AddFilesOption->isChecked());
    TotFilesUpdated->setEnabled(UpdateFilesOption->isChecked());
}

void SynchronizePage::SetReportCaptions(bool preReport)
{
    SyncOptAdd->setText(preReport ? UiText("Add:") : UiText("Added:"));
    SyncOptUpdate->setText(preReport ? UiText("Update:") : UiText("Updated:"));
}

void SynchronizePage::EnableRunControls(bool enable)
{
    IncludeSubFolderOption->setEnabled(enable);
    // Replication keeps the add and update switches as they are: a replica takes both.
    for (QCheckBox* control : {AddFilesOption, UpdateFilesOption}) {
        control->setEnabled(enable && !FCtx.Opts.ReplicateBypass());
    }
    CreateSubFolder->setEnabled(enable && IncludeSubFolderOption->isEnabled());
    if (enable) {
        AddUpdateOptionClick();
    } else {
        SyncButton->setEnabled(false);
        PreReportButton->setEnabled(false);
    }
}

void SynchronizePage::ShowProgress(const EngineState& engine)
{
    const RunTotals& t = engine.Totals;
    TotFilesAdded->setText(Number(t.TotFilesAdded));
    TotFilesUpdated->setText(Number(t.TotFilesUpdated));
    TotalFilesCheckedValue->setText(Number(engine.TotalFilesCheckedValue));
    TotalFileCount->setText(Number(engine.TotalFileCount));
    TotDirCount->setText(Number(t.TotDirCount));
    TotFileSize->setText(Number(t.TotFileSize));
    PreFolderCount->setText(Number(t.PreFolderCount));
    CurrentFileName->setText(UiText(t.CurrentFileName));
    ActiveFileSize->setText(t.ActiveFileSize == 0 ? QStringLiteral("0")
                                                  : UiText(FormatSize(t.ActiveFileSize)));
    CurrentFileNo->setText(Number(t.CurrentFileNo));
    DirFileCount->setText(Number(t.DirFileCount));
    RemainingTargetSpace->setText(UiText(engine.RemainingTargetSpace));
    FolderGauge->setMaximum(t.FolderGaugeMax > 0 ? t.FolderGaugeMax : 1);
    FolderGauge->setValue(t.FolderGauge);
    DirGauge->setValue(engine.DirGauge);
    FileGauge->setValue(engine.FileGauge);
    CompressionMessage->setText(UiText(engine.CompressionMessage));
    CompressionMessage->setVisible(!engine.CompressionMessage.empty());
}

} // namespace Tandemix
