// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/ui/CompressionPage.h"

#include "app/ui/ChgPwd.h"
#include "app/ui/UiText.h"
#include "compression/CompressionMessages.h"
#include "settings/OptionRules.h"
#include "settings/PasswordFile.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <cstring>

namespace Tandemix {

namespace {

QGroupBox* RadioGroup(QWidget* parent,
                      const char* name,
                      const char* title,
                      std::initializer_list<const char*> captions,
                      QButtonGroup*& group)
{
    auto* box = new QGroupBox(UiText(title), parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* column = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    int id = 0;
    for (const char* caption : captions) {
        auto* radio = new QRadioButton(UiText(caption), box);
        radio->setObjectName(QString::fromLatin1(name) + QString::number(id));
        group->addButton(radio, id++);
        column->addWidget(radio);
    }
    return box;
}

} // namespace

CompressionPage::CompressionPage(RunContext& ctx, const std::string& programFolder, QWidget* parent)
    : QWidget(parent)
    , FCtx(ctx)
    , FProgramFolder(programFolder)
{
    setObjectName(QStringLiteral("Compression"));
    UseCompression = new QCheckBox(UiText("Use Compression"), this);
    UseCompression->setObjectName(QStringLiteral("UseCompression"));
    SyncOptUseCompression = new QCheckBox(UiText("Use Compression"), this); // moves to its page
    SyncOptUseCompression->setObjectName(QStringLiteral("SyncOptUseCompression"));
    SyncOptUseCompression->setContextMenuPolicy(Qt::CustomContextMenu);
    CompressExpand = RadioGroup(this,
                                "CompressExpand",
                                "Compress/Expand",
                                {"Compress Target", "Expand Source"},
                                FDirection);
    CompressionSpeed = RadioGroup(this,
                                  "CompressionSpeed",
                                  "Compression Speed",
                                  {"Normal", "Maximum Compression", "Maximum Speed"},
                                  FSpeed);
    CompressedFileExtLabel = new QLabel(UiText("File Extension:"), this);
    CompressedFileExtLabel->setObjectName(QStringLiteral("CompressedFileExtLabel"));
    CompressedFileExt = new QLineEdit(this);
    CompressedFileExt->setObjectName(QStringLiteral("CompressedFileExt"));
    CompressedFileExt->setToolTip(UiText("Set compressed folder file extension"));
    CompressedFileExt->setMaxLength(10);

    PasswordEncrypt = new QGroupBox(UiText("Password - Encryption"), this);
    PasswordEncrypt->setObjectName(QStringLiteral("PasswordEncrypt"));
    PassWordName = new QLineEdit(PasswordEncrypt);
    PassWordName->setObjectName(QStringLiteral("PassWordName"));
    PassWordName->setEchoMode(QLineEdit::Password);
    PassWordName->setToolTip(UiText("Set password to encrypt compressed files"));
    PassWordName->setEnabled(false); // changed only through the dialog
    ChgPassWordButton = new QPushButton(UiText("Change Password"), PasswordEncrypt);
    ChgPassWordButton->setObjectName(QStringLiteral("ChgPassWordButton"));
    ChgPassWordButton->setToolTip(UiText("Display password change dialog box"));
    SavePassword = new QPushButton(UiText("Save Password"), PasswordEncrypt);
    SavePassword->setObjectName(QStringLiteral("SavePassword"));
    SavePassword->setToolTip(UiText("Save password to encrypted string in PWL file"));
    auto* passwordRow = new QHBoxLayout(PasswordEncrypt);
    passwordRow->addWidget(PassWordName, 1);
    passwordRow->addWidget(ChgPassWordButton);
    passwordRow->addWidget(SavePassword);

    auto* grid = new QGridLayout(this);
    grid->addWidget(UseCompression, 0, 0);
    grid->addWidget(CompressedFileExtLabel, 0, 1);
    grid->addWidget(CompressedFileExt, 0, 2);
    grid->addWidget(CompressExpand, 1, 0);
    grid->addWidget(CompressionSpeed, 1, 1, 1, 2);
    grid->addWidget(PasswordEncrypt, 2, 0, 1, 3);
    grid->setRowStretch(3, 1);

    connect(UseCompression, &QCheckBox::clicked, this, [this] { UseCompressionClick(); });
    connect(SyncOptUseCompression, &QCheckBox::clicked, this, [this] { SyncOptUseCompressionClick(); });
    connect(SyncOptUseCompression, &QWidget::customContextMenuRequested, this, [this] {
        SyncOptUseCompressionMouseUp();
    });
    connect(FDirection, &QButtonGroup::idClicked, this, [this](int id) {
        FCtx.Opts.CompressExpand = id;
        emit CaptionNeeded();
        emit OptionChanged();
    });
    connect(FSpeed, &QButtonGroup::idClicked, this, [this](int id) {
        FCtx.Opts.CompressionSpeed = id;
        emit OptionChanged();
    });
    connect(CompressedFileExt, &QLineEdit::textEdited, this, [this](const QString& text) {
        SetCompressedFileExt(FCtx.Opts, CoreText(text));
        emit OptionChanged();
    });
    connect(CompressedFileExt, &QLineEdit::returnPressed, this, &CompressionPage::ListingsNeeded);
    connect(ChgPassWordButton, &QPushButton::clicked, this, [this] { ChgPassWordButtonClick(); });
    connect(SavePassword, &QPushButton::clicked, this, [this] { SavePasswordClick(); });
    ShowOptions();
}

void CompressionPage::ShowOptions()
{
    QScopedValueRollback<bool> showing(FShowing, true);
    const Options& opts = FCtx.Opts;
    UseCompression->setChecked(opts.UseCompression);
    SyncOptUseCompression->setChecked(opts.UseCompression);
    if (QAbstractButton* direction = FDirection->button(opts.CompressExpand)) {
        direction->setChecked(true);
    }
    if (QAbstractButton* speed = FSpeed->button(opts.CompressionSpeed)) {
        speed->setChecked(true);
    }
    CompressedFileExt->setText(UiText(opts.CompressedFileExt));
    PassWordName->setText(UiText(opts.PassWordName));
    EnableDependents();
}

void CompressionPage::SetOptionsEnabled(bool enable)
{
    FEnabled = enable;
    UseCompression->setEnabled(enable);
    SyncOptUseCompression->setEnabled(enable);
    EnableDependents();
}

void CompressionPage::ShowIndicator(bool compressionShown)
{
    // The switch names the direction while it is on, so the run page says which side is archived.
    const int direction = FCtx.Opts.CompressExpand == 1 ? 1 : 0;
    SyncOptUseCompression->setText(compressionShown ? FDirection->button(direction)->text()
                                                    : UseCompression->text());
    QPalette palette = SyncOptUseCompression->parentWidget() != nullptr
                           ? SyncOptUseCompression->parentWidget()->palette()
                           : QPalette();
    if (compressionShown) {
        palette.setColor(QPalette::WindowText, QColor(Qt::red));
        palette.setColor(QPalette::ButtonText, QColor(Qt::red));
    }
    SyncOptUseCompression->setPalette(palette);
}

void CompressionPage::EnableDependents()
{
    bool on = FEnabled && FCtx.Opts.UseCompression;
    for (QWidget* widget : {static_cast<QWidget*>(PasswordEncrypt),
                            static_cast<QWidget*>(CompressExpand),
                            static_cast<QWidget*>(CompressionSpeed),
                            static_cast<QWidget*>(CompressedFileExt),
                            static_cast<QWidget*>(CompressedFileExtLabel),
                            static_cast<QWidget*>(ChgPassWordButton)}) {
        widget->setEnabled(on);
    }
    PassWordName->setEnabled(false);
    SavePassword->setEnabled(FCtx.Opts.SavePasswordEnabled);
}

void CompressionPage::UseCompressionClick()
{
    FCtx.Opts.UseCompression = UseCompression->isChecked();
    SyncOptUseCompression->setChecked(FCtx.Opts.UseCompression);
    EnableDependents();
    emit CaptionNeeded();
    emit OptionChanged();
}

void CompressionPage::SyncOptUseCompressionClick()
{
    UseCompression->setChecked(SyncOptUseCompression->isChecked());
    UseCompressionClick();
}

void CompressionPage::SyncOptUseCompressionMouseUp()
{
    if (!FCtx.Opts.UseCompression) {
        return;
    }
    FCtx.Opts.CompressExpand = FCtx.Opts.CompressExpand == 0 ? 1 : 0;
    if (QAbstractButton* direction = FDirection->button(FCtx.Opts.CompressExpand)) {
        direction->setChecked(true);
    }
    emit CaptionNeeded();
    emit OptionChanged();
}

void CompressionPage::ChgPassWordButtonClick()
{
    if (PassWordCheckForm == nullptr) {
        PassWordCheckForm = new TPassWordCheckForm(this);
    }
    for (;;) {
        if (PassWordCheckForm->exec() != QDialog::Accepted) {
            return;
        }
        std::string oldPassword = CoreText(PassWordCheckForm->OldPassword->text());
        std::string newPassword = CoreText(PassWordCheckForm->NewPassword->text());
        if (ChangeArchivePassword(FCtx.Opts, oldPassword, newPassword)) {
            const bool changed = PassWordName->text() != UiText(FCtx.Opts.PassWordName);
            PassWordName->setText(UiText(FCtx.Opts.PassWordName));
            SavePassword->setEnabled(FCtx.Opts.SavePasswordEnabled);
            if (changed) {
                emit OptionChanged();
            }
            return;
        }
        FCtx.Hst.Ask(ZipMsg::WrongOldPassword, DialogButtons::Ok);
    }
}

void CompressionPage::SavePasswordClick()
{
    int error = WritePasswordFile(FProgramFolder, FCtx.Opts.PassWordName, FCtx.Opts.AdminPassWord);
    if (error != 0) {
        FCtx.Hst.Ask(std::string(ZipMsg::PasswordNotSaved) + std::strerror(error), DialogButtons::Ok);
        return;
    }
    FCtx.Opts.SavePasswordEnabled = false;
    SavePassword->setEnabled(false);
}

} // namespace Tandemix
