// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace Tandemix {

// "Password Dialog": asks for the administrator password before the tray's Show or Exit. A
// wrong entry keeps it open (emptied) until the right one or Cancel.
class TPasswordDlg : public QDialog
{
    Q_OBJECT

public:
    TPasswordDlg(std::string adminPassword, QWidget* parent = nullptr);

    void OKBtnClick();

    QLineEdit* Password = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    std::string FAdmin;
};

} // namespace Tandemix
