// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

#include <QWidget>

#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Tandemix {

class TPassWordCheckForm;

// The "Compression" page: compressed synchronisation on or off, its direction and speed, the
// archive extension, and the archive password (changed only through "Change Password", kept in
// the password file by "Save Password"). Every control writes its option through the core.
// UI thread only.
class CompressionPage : public QWidget
{
    Q_OBJECT

public:
    CompressionPage(RunContext& ctx, const std::string& programFolder, QWidget* parent = nullptr);

    // Shows the options as they are now (after a configuration load or a batch row).
    void ShowOptions();

    void UseCompressionClick();
    // The same option on the synchronisation page; a right click on it flips the direction while
    // compression is on.
    void SyncOptUseCompressionClick();
    void SyncOptUseCompressionMouseUp();
    void ChgPassWordButtonClick();
    void SavePasswordClick();
    // Enables the controls a batch row (or replication) fixes; the direction, speed, extension
    // and password follow the switch.
    void SetOptionsEnabled(bool enable);
    // The synchronise button's indicator of compression: the direction in red while it is on.
    void ShowIndicator(bool compressionShown);

    QCheckBox* UseCompression = nullptr;
    QCheckBox* SyncOptUseCompression = nullptr; // shown on the synchronisation page
    QGroupBox* CompressExpand = nullptr;
    QGroupBox* CompressionSpeed = nullptr;
    QLabel* CompressedFileExtLabel = nullptr;
    QLineEdit* CompressedFileExt = nullptr;
    QGroupBox* PasswordEncrypt = nullptr;
    QLineEdit* PassWordName = nullptr;
    QPushButton* ChgPassWordButton = nullptr;
    QPushButton* SavePassword = nullptr;
    TPassWordCheckForm* PassWordCheckForm = nullptr; // made at first use, then kept

signals:
    // An option changed by the user: the batch row being built is marked as changed.
    void OptionChanged();
    // Compression or its direction changed: the synchronise button says what a press will do.
    void CaptionNeeded();
    // The archive extension was confirmed with Enter: the panes list again.
    void ListingsNeeded();

private:
    void EnableDependents();

    RunContext& FCtx;
    std::string FProgramFolder;
    QButtonGroup* FDirection = nullptr;
    QButtonGroup* FSpeed = nullptr;
    bool FShowing = false;
    bool FEnabled = true; // no batch row fixes the options
};

} // namespace Tandemix
