// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLineEdit;

namespace Tandemix {

// "Password Change": the old and the new archive password, typed in plain text. Closes with 1
// for Ok and 2 for Cancel. UI thread only.
class TPassWordCheckForm : public QDialog
{
    Q_OBJECT

public:
    explicit TPassWordCheckForm(QWidget* parent = nullptr);

    // Empties both edits and shows the dialog modally; its result.
    int ShowModal();
    void Clear();

    QLineEdit* OldPassword = nullptr;
    QLineEdit* NewPassword = nullptr;
};

} // namespace Tandemix
