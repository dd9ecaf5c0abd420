// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ui/BatchFileDialog.h"

#include "app/ui/UiText.h"
#include "batch/BatchMessages.h"

#include <QFileDialog>

namespace Tandemix {

QString ChooseBatchFileInDialog(QWidget* parent, bool save, const QString& proposed)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(UiText(BatchMsg::FileFilter));
    dialog.setDefaultSuffix(QStringLiteral("SNC"));
    if (save) {
        dialog.selectFile(proposed);
    } else {
        dialog.setDirectory(proposed);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

} // namespace Tandemix
