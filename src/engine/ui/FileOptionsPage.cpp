// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ui/FileOptionsPage.h"

#include "app/ui/UiText.h"
#include "engine/DateFilter.h"
#include "engine/FileFilters.h"
#include "platform/WallClock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

namespace Tandemix {

FileOptionsPage::FileOptionsPage(RunContext& ctx, QWidget* parent)
    : QWidget(parent)
    , FCtx(ctx)
{
    setObjectName(QStringLiteral("File Options"));
    auto* grid = new QGridLayout(this);
    FFilterGroups = {BuildMasks(), BuildAttributes(), BuildSizes(), BuildDates()};
    grid->addWidget(FFilterGroups[0], 0, 0, 1, 2);
    grid->addWidget(FFilterGroups[1], 1, 0);
    grid->addWidget(FFilterGroups[2], 1, 1);
    grid->addWidget(FFilterGroups[3], 0, 2, 2, 1);
    ShowOptions();
}

QWidget* FileOptionsPage::BuildMasks()
{
    auto* box = new QGroupBox(UiText("File Masks"), this);
    auto* grid = new QGridLayout(box);
    IncludeString = new QComboBox(box);
    IncludeString->setObjectName(QStringLiteral("IncludeString"));
    IncludeString->setEditable(true);
    IncludeString->setInsertPolicy(QComboBox::NoInsert);
    ExcludeString = new QComboBox(box);
    ExcludeString->setObjectName(QStringLiteral("ExcludeString"));
    ExcludeString->setEditable(true);
    ExcludeString->setInsertPolicy(QComboBox::NoInsert);
    grid->addWidget(new QLabel(UiText("Include:"), box), 0, 0);
    grid->addWidget(IncludeString, 0, 1);
    grid->addWidget(new QLabel(UiText("Exclude:"), box), 1, 0);
    grid->addWidget(ExcludeString, 1, 1);
    grid->setColumnStretch(1, 1); // the boxes take the width, their captions stay beside them

    // An editable combo keeps the focus itself and hands keys to its line edit directly, past
    // any filter on the edit: Delete is caught on the combo, Enter by the edit's own signal.
    for (QComboBox* masks : {IncludeString, ExcludeString}) {
        masks->installEventFilter(this);
        connect(masks->lineEdit(), &QLineEdit::returnPressed, this, [this, masks] {
            HistoryKey(masks, Qt::Key_Return);
        });
    }
    connect(IncludeString, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!FShowing) {
            FCtx.Opts.IncludeString = CoreText(text);
            emit OptionChanged();
        }
    });
    // Choosing a history entry is a finished edit: list again at once.
    connect(IncludeString, &QComboBox::activated, this, [this] {
        FCtx.Opts.IncludeString = CoreText(IncludeString->currentText());
        emit ListingsNeeded();
    });
    connect(ExcludeString, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (FShowing) {
            return;
        }
        FCtx.Opts.ExcludeString = CoreText(text);
        UpdateExcludeList(FCtx, true);
        FExcludeDroppedDown = false;
        emit OptionChanged();
    });
    connect(ExcludeString, &QComboBox::activated, this, [this] {
        FCtx.Opts.ExcludeString = CoreText(ExcludeString->currentText());
        UpdateExcludeList(FCtx, true);
        emit ListingsNeeded();
    });
    return box;
}

QWidget* FileOptionsPage::BuildAttributes()
{
    auto* box = new QGroupBox(UiText("Attributes"), this);
    auto* grid = new QGridLayout(box);
    int placed = 0;
    auto make = [&](QCheckBox*& check, const char* name, const char* caption) {
        check = new QCheckBox(UiText(caption), box);
        check->setObjectName(QString::fromUtf8(name));
        grid->addWidget(check, placed % 3, placed / 3); // two columns save the height of two rows
        ++placed;
        connect(check, &QCheckBox::toggled, this, [this] {
            if (!FShowing) {
                CheckArchiveClick();
            }
        });
    };
    make(CheckNormal, "CheckNormal", "Normal");
    make(CheckArchive, "CheckArchive", "Archive");
    make(CheckReadOnly, "CheckReadOnly", "Read Only");
    make(CheckSystem, "CheckSystem", "System");
    make(CheckHidden, "CheckHidden", "Hidden");
    return box;
}

QWidget* FileOptionsPage::BuildSizes()
{
    auto* box = new QGroupBox(UiText("File Size"), this);
    auto* grid = new QGridLayout(box);
    MinFileSize = new QLineEdit(box);
    MinFileSize->setObjectName(QStringLiteral("MinFileSize"));
    MaxFileSize = new QLineEdit(box);
    MaxFileSize->setObjectName(QStringLiteral("MaxFileSize"));
    grid->addWidget(new QLabel(UiText("<"), box), 0, 0);
    grid->addWidget(MinFileSize, 0, 1);
    grid->addWidget(new QLabel(UiText("bytes"), box), 0, 2);
    grid->addWidget(new QLabel(UiText(">"), box), 1, 0);
    grid->addWidget(MaxFileSize, 1, 1);
    grid->addWidget(new QLabel(UiText("bytes"), box), 1, 2);
    // Room for any size in bytes and no more; a wide screen's extra width stays beside them.
    const int digits = MinFileSize->fontMetrics().horizontalAdvance(QStringLiteral("9999999999999999"));
    MinFileSize->setMaximumWidth(digits);
    MaxFileSize->setMaximumWidth(digits);
    grid->setColumnStretch(3, 1);
    for (QLineEdit* edit : {MinFileSize, MaxFileSize}) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] { SizeEdited(edit); });
        // Enter comes before the edit counts as finished: the new limit is taken first, or the
        // listing would still use the old one.
        connect(edit, &QLineEdit::returnPressed, this, [this, edit] {
            SizeEdited(edit);
            emit ListingsNeeded();
        });
    }
    return box;
}

QWidget* FileOptionsPage::BuildDates()
{
    auto* box = new QGroupBox(UiText("File Dates"), this);
    auto* grid = new QGridLayout(box);
    UseDatesAll = new QRadioButton(UiText("All"), box);
    UseDatesAll->setObjectName(QStringLiteral("UseDatesAll"));
    UseDatesNoDays = new QRadioButton(UiText("Today and Past"), box);
    UseDatesNoDays->setObjectName(QStringLiteral("UseDatesNoDays"));
    PastDaysCount = new QLineEdit(UiText("6"), box);
    PastDaysCount->setObjectName(QStringLiteral("PastDaysCount"));
    PastDaysCount->setMaximumWidth(50);
    UseDatesFromTo = new QRadioButton(UiText("From:"), box);
    UseDatesFromTo->setObjectName(QStringLiteral("UseDatesFromTo"));
    UseDateFrom = new QLineEdit(box);
    UseDateFrom->setObjectName(QStringLiteral("UseDateFrom"));
    UseDateTo = new QLineEdit(box);
    UseDateTo->setObjectName(QStringLiteral("UseDateTo"));
    for (QLineEdit* edit : {UseDateFrom, UseDateTo}) {
        edit->setInputMask(QStringLiteral("99/99/99;_"));
        edit->setMaximumWidth(90);
    }
    TodayFrom = new QPushButton(UiText("Today"), box);
    TodayFrom->setObjectName(QStringLiteral("TodayFrom"));
    DateFromLabel = new QLabel(box);
    DateFromLabel->setObjectName(QStringLiteral("DateFromLabel"));
    DateToLabel = new QLabel(box);
    DateToLabel->setObjectName(QStringLiteral("DateToLabel"));
    UseFileDatesLabel = new QLabel(box);
    UseFileDatesLabel->setObjectName(QStringLiteral("UseFileDatesLabel"));

    grid->addWidget(UseDatesAll, 0, 0, 1, 3);
    grid->addWidget(UseDatesNoDays, 1, 0);
    auto* days = new QHBoxLayout;
    days->addWidget(PastDaysCount);
    days->addWidget(new QLabel(UiText("days"), box));
    days->addStretch(1);
    grid->addLayout(days, 1, 1, 1, 2);
    grid->addWidget(UseDatesFromTo, 2, 0);
    grid->addWidget(UseDateFrom, 2, 1);
    grid->addWidget(new QLabel(UiText("To:"), box), 3, 0, Qt::AlignRight);
    grid->addWidget(UseDateTo, 3, 1);
    grid->addWidget(TodayFrom, 3, 2);
    grid->addWidget(DateFromLabel, 4, 0);
    grid->addWidget(DateToLabel, 4, 1, 1, 2);
    grid->addWidget(UseFileDatesLabel, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    // Each box keeps its width beside its label; a wide window's room goes to the empty column.
    TodayFrom->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    grid->setColumnStretch(3, 1);

    connect(UseDatesAll, &QRadioButton::clicked, this, [this] {
        ShowDateLabels(UseDatesAllClick(FCtx.Opts, Now()));
        EnableDateControls();
        emit OptionChanged();
    });
    connect(UseDatesNoDays, &QRadioButton::clicked, this, [this] {
        FCtx.Opts.PastDaysCount = CoreText(PastDaysCount->text());
        ShowDateLabels(UseDatesNoDaysClick(FCtx.Opts, Now()));
        EnableDateControls();
        emit OptionChanged();
    });
    connect(UseDatesFromTo, &QRadioButton::clicked, this, [this] {
        ShowDateLabels(UseDatesFromToClick(FCtx, Now()));
        EnableDateControls();
        emit OptionChanged();
        emit ListingsNeeded();
    });
    connect(PastDaysCount, &QLineEdit::textEdited, this, [this](const QString& text) {
        ShowDateLabels(PastDaysCountChange(FCtx.Opts, CoreText(text), Now()));
    });
    connect(UseDateFrom, &QLineEdit::textEdited, this, [this](const QString& text) {
        ShowDateLabels(UseDateFromChange(FCtx.Opts, CoreText(text), Now()));
    });
    connect(UseDateTo, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!FShowing) {
            ShowDateLabels(UseDateToChange(FCtx.Opts, CoreText(text), Now()));
        }
    });
    connect(TodayFrom, &QPushButton::clicked, this, [this] {
        UseDateTo->setText(UiText(TodayFromClick(Now())));
    });
    return box;
}

void FileOptionsPage::ShowOptions()
{
    FShowing = true;
    const Options& opts = FCtx.Opts;
    ShowHistory(IncludeString, opts.IncludeHistory, opts.IncludeString);
    ShowHistory(ExcludeString, opts.ExcludeHistory, opts.ExcludeString);
    CheckNormal->setChecked(opts.CheckNormal);
    CheckArchive->setChecked(opts.CheckArchive);
    CheckReadOnly->setChecked(opts.CheckReadOnly);
    CheckSystem->setChecked(opts.CheckSystem);
    CheckHidden->setChecked(opts.CheckHidden);
    MinFileSize->setText(UiText(opts.MinFileSize));
    MaxFileSize->setText(UiText(opts.MaxFileSize));
    UseDatesAll->setChecked(opts.DatesMode == DateMode::All);
    UseDatesNoDays->setChecked(opts.DatesMode == DateMode::NoDays);
    UseDatesFromTo->setChecked(opts.DatesMode == DateMode::FromTo);
    PastDaysCount->setText(UiText(opts.PastDaysCount));
    UseDateFrom->setText(UiText(MaskedDateText(opts.UseDateFrom)));
    UseDateTo->setText(UiText(MaskedDateText(opts.UseDateTo != 0 ? opts.UseDateTo : TodayPacked(Now()))));
    UpdateExcludeList(FCtx, false);
    ShowDateLabels(SetSyncDateLabel(FCtx.Opts, Now()));
    EnableDateControls();
    FShowing = false;
}

void FileOptionsPage::AddOptionGroup(QWidget* group)
{
    static_cast<QGridLayout*>(layout())->addWidget(group, 0, 3, 2, 1);
}

void FileOptionsPage::SetFiltersEnabled(bool enabled)
{
    for (QWidget* group : FFilterGroups) {
        group->setEnabled(enabled);
    }
}

void FileOptionsPage::ShowDateLabels(const DateLabels& labels)
{
    DateFromLabel->setText(UiText(labels.DateFromLabel));
    DateToLabel->setText(UiText(labels.DateToLabel));
    UseFileDatesLabel->setText(UiText(labels.UseFileDatesLabel));
}

void FileOptionsPage::EnableDateControls()
{
    bool fromTo = UseDatesFromTo->isChecked();
    PastDaysCount->setEnabled(UseDatesNoDays->isChecked());
    UseDateFrom->setEnabled(fromTo);
    UseDateTo->setEnabled(fromTo);
    TodayFrom->setEnabled(fromTo);
}

void FileOptionsPage::CheckArchiveClick()
{
    Options& opts = FCtx.Opts;
    opts.CheckNormal = CheckNormal->isChecked();
    opts.CheckArchive = CheckArchive->isChecked();
    opts.CheckReadOnly = CheckReadOnly->isChecked();
    opts.CheckSystem = CheckSystem->isChecked();
    opts.CheckHidden = CheckHidden->isChecked();
    emit OptionChanged();
}

void FileOptionsPage::SizeEdited(QLineEdit* edit)
{
    if (FCheckingSize) {
        return;
    }
    QScopedValueRollback checking(FCheckingSize, true);
    SizeEdit which = edit == MinFileSize ? SizeEdit::Min : SizeEdit::Max;
    SizeEditOutcome outcome = MaxFileSizeChange(FCtx, which, CoreText(edit->text()));
    if (!outcome.Warning.empty()) {
        FCtx.Hst.Ask(outcome.Warning, DialogButtons::Ok);
    }
    if (edit->text() != UiText(outcome.EditText)) {
        edit->setText(UiText(outcome.EditText));
    }
    emit OptionChanged();
}

void FileOptionsPage::ShowHistory(QComboBox* box, const SelectableList& history, const std::string& text)
{
    box->clear();
    for (const std::string& item : history.Items) {
        box->addItem(UiText(item));
    }
    box->setEditText(UiText(text));
}

void FileOptionsPage::HistoryKey(QComboBox* box, int key)
{
    SelectableList& history = box == IncludeString ? FCtx.Opts.IncludeHistory : FCtx.Opts.ExcludeHistory;
    QString text = box->currentText();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!text.isEmpty() && box->findText(text) < 0) {
            box->addItem(text);
            history.Items.push_back(CoreText(text));
        }
        emit ListingsNeeded();
    } else if (key == Qt::Key_Delete) {
        int index = box->findText(text);
        if (index >= 0) {
            box->removeItem(index);
            history.Items.erase(history.Items.begin() + index);
            history.ItemIndex = -1;
            box->setEditText(text);
        }
        emit ListingsNeeded();
    }
}

void RememberTypedText(SelectableList& history, const std::string& text)
{
    for (std::size_t i = 0; i < history.Items.size(); ++i) {
        if (history.Items[i] == text) {
            history.ItemIndex = static_cast<int>(i);
            return;
        }
    }
    if (!text.empty()) {
        history.Items.insert(history.Items.begin(), text);
        history.ItemIndex = 0;
    }
}

bool FileOptionsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (watched == IncludeString || watched == ExcludeString)) {
            HistoryKey(static_cast<QComboBox*>(watched), Qt::Key_Delete);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Tandemix
