// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/ui/BrowseDr.h"

#include <QFileDialog>

namespace Tandemix {

std::optional<QString>
TBrowseDirectoryDlg::Browse(QWidget* parent, const QString& title, const QString& start)
{
    QFileDialog dialog(parent, title, start);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

} // namespace Tandemix
