// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

namespace Tandemix {

// "Replicate Notice": says what deleting unmatched items and replication do, and takes the
// seconds of the deletion warning (10 proposed every time).
class TReplicateForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ProposedDelay = 10;

    explicit TReplicateForm(QWidget* parent = nullptr);

    // The delay typed, or nothing when cancelled.
    std::optional<int> Run();
    // "&Ok": a text that is no whole number is refused and the dialog stays open.
    bool Accept();

    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    // Shows a refusal; a message box unless a test puts its own here.
    std::function<void(const QString&)> Refuse;

private:
    int FDelay = ProposedDelay;
};

} // namespace Tandemix
