// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/ui/ProOptionsPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace Tandemix {

namespace {

QString Ui(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ShowItems(QListWidget* list, const std::vector<std::string>& items)
{
    QStringList wanted;
    for (const std::string& item : items) {
        wanted << Ui(item);
    }
    QStringList shown;
    for (int row = 0; row < list->count(); ++row) {
        shown << list->item(row)->text();
    }
    if (shown != wanted) {
        list->clear();
        list->addItems(wanted);
    }
}

} // namespace

ProOptionsPage::ProOptionsPage(RunContext& ctx, Automation& automation, QWidget* parent)
    : QWidget(parent)
    , FCtx(ctx)
    , FAuto(automation)
{
    setObjectName(QStringLiteral("Pro Options"));
    auto* group = new QGroupBox(tr("Automation Options"), this);
    auto* grid = new QGridLayout(group);

    RunSyncSched = new QCheckBox(tr("Run Sync Every"), group);
    RunSyncSched->setObjectName(QStringLiteral("RunSyncSched"));
    RunSyncEveryMin = new QLineEdit(group);
    RunSyncEveryMin->setObjectName(QStringLiteral("RunSyncEveryMin"));
    RunSyncEveryMin->setMaxLength(5);
    PoleEvery = new QCheckBox(tr("Check Source Every:"), group);
    PoleEvery->setObjectName(QStringLiteral("PoleEvery"));
    PoleSecs = new QLineEdit(group);
    PoleSecs->setObjectName(QStringLiteral("PoleSecs"));
    PoleSecs->setMaxLength(5);
    MonitorSourceDriveCheck = new QCheckBox(tr("Real-Time Monitor Source For Changes"), group);
    MonitorSourceDriveCheck->setObjectName(QStringLiteral("MonitorSourceDriveCheck"));
    SyncEverCountDown = new QLabel(tr("Timer Status"), group);
    SyncEverCountDown->setObjectName(QStringLiteral("SyncEverCountDown"));
    FolderQue = new QListWidget(group);
    FolderQue->setObjectName(QStringLiteral("FolderQue"));
    FolderWatch = new QListWidget(group);
    FolderWatch->setObjectName(QStringLiteral("FolderWatch"));
    FolderWatch->hide();
    SetAdminPW = new QPushButton(tr("Set Administrative Password"), this);
    SetAdminPW->setObjectName(QStringLiteral("SetAdminPW"));

    grid->addWidget(RunSyncSched, 0, 0);
    grid->addWidget(RunSyncEveryMin, 0, 1);
    grid->addWidget(new QLabel(tr("Mins"), group), 0, 2);
    grid->addWidget(PoleEvery, 1, 0);
    grid->addWidget(PoleSecs, 1, 1);
    grid->addWidget(new QLabel(tr("Secs"), group), 1, 2);
    grid->addWidget(MonitorSourceDriveCheck, 2, 0, 1, 3);
    grid->addWidget(SyncEverCountDown, 3, 0, 1, 3);
    grid->addWidget(new QLabel(tr("Que"), group), 0, 3);
    grid->addWidget(FolderQue, 1, 3, 3, 1);
    grid->addWidget(FolderWatch, 1, 3, 3, 1);

    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addWidget(SetAdminPW, 0, Qt::AlignLeft);
    column->addStretch(1);

    // A check box's click reads its edit as it stands, as a typed value is meant to be used.
    connect(RunSyncSched, &QCheckBox::toggled, this, [this](bool on) {
        if (FShowing) {
            return;
        }
        FCtx.Opts.RunSyncEveryMin = RunSyncEveryMin->text().toStdString();
        FCtx.Opts.RunSyncSched = on;
        FAuto.RunSyncSchedClick();
        ShowOptions();
    });
    connect(PoleEvery, &QCheckBox::toggled, this, [this](bool on) {
        if (FShowing) {
            return;
        }
        FCtx.Opts.PoleSecs = PoleSecs->text().toStdString();
        FCtx.Opts.PoleEvery = on;
        FAuto.PoleEveryClick();
        ShowOptions();
    });
    connect(MonitorSourceDriveCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (FShowing) {
            return;
        }
        FCtx.Opts.MonitorSourceDriveCheck = on;
        FAuto.MonitorSourceDriveCheckClick();
        ShowOptions();
    });
    // Typed values are the options' own at once, so that saving the settings keeps them.
    connect(RunSyncEveryMin, &QLineEdit::textEdited, this, [this](const QString& text) {
        FCtx.Opts.RunSyncEveryMin = text.toStdString();
    });
    connect(PoleSecs, &QLineEdit::textEdited, this, [this](const QString& text) {
        FCtx.Opts.PoleSecs = text.toStdString();
    });
    connect(SetAdminPW, &QPushButton::clicked, this, &ProOptionsPage::SetAdminPWClicked);
    ShowOptions();
}

void ProOptionsPage::ShowOptions()
{
    const Options& opts = FCtx.Opts;
    FShowing = true;
    RunSyncSched->setChecked(opts.RunSyncSched);
    RunSyncEveryMin->setText(Ui(opts.RunSyncEveryMin));
    RunSyncEveryMin->setEnabled(!opts.RunSyncSched);
    PoleEvery->setChecked(opts.PoleEvery);
    PoleSecs->setText(Ui(opts.PoleSecs));
    PoleSecs->setEnabled(!opts.PoleEvery);
    MonitorSourceDriveCheck->setChecked(opts.MonitorSourceDriveCheck);
    FShowing = false;
    ShowQueue();
}

void ProOptionsPage::ShowQueue()
{
    ShowItems(FolderQue, FAuto.FolderQue.Items);
    ShowItems(FolderWatch, FAuto.Monitor.FolderWatch);
    if (MonitorSourceDriveCheck->isChecked() != FCtx.Opts.MonitorSourceDriveCheck) {
        ShowOptions();
    }
}

} // namespace Tandemix
