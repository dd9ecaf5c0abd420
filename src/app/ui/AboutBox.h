// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace Tandemix {

// Name, version and a line on what the program does.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

} // namespace Tandemix
