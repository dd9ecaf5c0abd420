// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace Tandemix {

// The password change dialog: the old password and the new one. Showing it empties both.
class TPassWordCheckForm : public QDialog
{
    Q_OBJECT

public:
    explicit TPassWordCheckForm(QWidget* parent = nullptr);

    QLineEdit* OldPassword = nullptr;
    QLineEdit* NewPassword = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace Tandemix
