// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

namespace Tandemix {

// Shows the lines of the site's own text file ("Custom1.TXT"), offered from the Help menu.
class TfrmCustomText : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmCustomText(QWidget* parent = nullptr);
    void SetLines(const std::vector<std::string>& lines);

    QListWidget* ListBox1 = nullptr;
};

} // namespace Tandemix
