// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace Tandemix {

// The open (save: false) or save dialog for batch files, starting at `proposed` (a folder, or
// a file name in one); the chosen path, or empty when the user cancels.
QString ChooseBatchFileInDialog(QWidget* parent, bool save, const QString& proposed);

} // namespace Tandemix
