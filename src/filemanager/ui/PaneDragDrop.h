// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filemanager/DropCopy.h"

#include <QObject>
#include <QPoint>

class QMimeData;

namespace Tandemix {

class TMainSyncForm;

// Drag-and-drop between the panes: files dragged from the source pane, or the folder of the
// source tree, dropped onto the target pane are synchronised as the drop's mode says. Files
// dragged in from the desktop's file manager count when they lie in the source folder on
// screen: they are the selection then. The target pane accepts nothing else, and nothing is
// dragged from it. UI thread only.
class PaneDragDrop : public QObject
{
    Q_OBJECT

public:
    explicit PaneDragDrop(TMainSyncForm& form);

    // The format of our own drags: "files" (the source pane's selection) or "folder".
    static QString MimeType();
    // Whether the target pane takes these data; what a drop of them does.
    bool Accepts(const QMimeData* data) const;
    void TargetFileListDragDrop(const QMimeData* data);

    // Compression's part of a drop; empty until it is there.
    DropHooks Hooks;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DropPanes PanesNow() const;
    void StartDrag(const QString& kind);
    // Desktop files in the source folder, by name; empty when any lies elsewhere.
    QStringList DesktopFiles(const QMimeData* data) const;
    void Finished();

    TMainSyncForm& FForm;
    QPoint FPressed;
    QObject* FPressedOn = nullptr;
};

} // namespace Tandemix
