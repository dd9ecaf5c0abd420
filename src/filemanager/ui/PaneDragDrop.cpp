// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/ui/PaneDragDrop.h"

#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "automation/CommandLine.h"
#include "engine/FileListing.h"
#include "engine/ui/SynchronizePage.h"
#include "filemanager/ui/FolderPanes.h"
#include "platform/PathText.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeView>
#include <QUrl>

namespace Tandemix {

namespace {

const QString Files = QStringLiteral("files");
const QString Folder = QStringLiteral("folder");

} // namespace

PaneDragDrop::PaneDragDrop(TMainSyncForm& form)
    : QObject(&form)
    , FForm(form)
{
    setObjectName(QStringLiteral("PaneDragDrop"));
    SidePane& source = FForm.Panes->Pane(Side::Source);
    SidePane& target = FForm.Panes->Pane(Side::Target);
    source.FileList->viewport()->installEventFilter(this);
    source.DirectoryListBox->viewport()->installEventFilter(this);
    target.FileList->setAcceptDrops(true);
    target.FileList->setDragEnabled(false);
    target.FileList->viewport()->installEventFilter(this);
}

QString PaneDragDrop::MimeType()
{
    return QStringLiteral("application/x-tandemix-drag");
}

DropPanes PaneDragDrop::PanesNow() const
{
    // No pane shows an archive's entries until compression is there; the switches are the options'.
    DropPanes panes;
    panes.SourceViewEnabled = FForm.Engine().Source.ViewCompressedEnabled;
    panes.TargetViewEnabled = FForm.Engine().Target.ViewCompressedEnabled;
    panes.UseCompression = FForm.Opts().UseCompression;
    panes.CompressExpand = FForm.Opts().CompressExpand;
    return panes;
}

QStringList PaneDragDrop::DesktopFiles(const QMimeData* data) const
{
    QStringList names;
    if (data == nullptr || !data->hasUrls()) {
        return names;
    }
    const QString folder = UiText(WithoutTrailingSlashes(FForm.Engine().Source.Folder));
    for (const QUrl& url : data->urls()) {
        QFileInfo file(url.toLocalFile());
        if (!url.isLocalFile() || file.absolutePath() != folder) {
            return {};
        }
        names << file.fileName();
    }
    return names;
}

bool PaneDragDrop::Accepts(const QMimeData* data) const
{
    if (data == nullptr) {
        return false;
    }
    if (data->hasFormat(MimeType())) {
        QString kind = QString::fromUtf8(data->data(MimeType()));
        return kind == Files || kind == Folder;
    }
    return !DesktopFiles(data).isEmpty();
}

void PaneDragDrop::StartDrag(const QString& kind)
{
    auto* data = new QMimeData;
    data->setData(MimeType(), kind.toUtf8());
    auto* drag = new QDrag(FForm.Panes);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

void PaneDragDrop::TargetFileListDragDrop(const QMimeData* data)
{
    if (!Accepts(data)) {
        return;
    }
    RunContext& ctx = FForm.Context();
    if (data->hasFormat(MimeType()) && QString::fromUtf8(data->data(MimeType())) == Folder) {
        FForm.SyncPage->SetReportCaptions(false); // an ordinary run, whatever ran before
        if (Tandemix::TargetFolderDrop(ctx, ctx.Engine.Source.Folder, PanesNow(), &Hooks)) {
            FForm.ShowRunProgress(FForm.Engine());
        }
        return;
    }
    QListWidget* list = FForm.Panes->Pane(Side::Source).FileList;
    FileDrop drop;
    drop.Panes = PanesNow();
    drop.Hooks = &Hooks;
    if (data->hasFormat(MimeType())) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->isSelected()) {
                drop.Selected.push_back(CoreText(list->item(row)->text()));
            }
        }
        if (QListWidgetItem* current = list->currentItem()) {
            drop.Current = CoreText(current->text());
        }
    } else {
        for (const QString& name : DesktopFiles(data)) {
            drop.Selected.push_back(CoreText(name));
        }
    }
    if (drop.Selected.size() == 1) {
        drop.Current = drop.Selected.front();
    }
    if (Tandemix::TargetFileListDragDrop(ctx, drop)) {
        Finished();
    }
}

void PaneDragDrop::Finished()
{
    FForm.ShowListing(Side::Source);
    FForm.ShowListing(Side::Target);
    FForm.ShowRunProgress(FForm.Engine());
    // A drop is answered like a run, with two beeps, unless the command line asked for quiet.
    if (FindParam(SwitchWords(FForm.CommandWords), "-A") < 1) {
        QApplication::beep();
        QApplication::beep();
    }
}

bool PaneDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    SidePane& source = FForm.Panes->Pane(Side::Source);
    SidePane& target = FForm.Panes->Pane(Side::Target);
    const bool fromFiles = watched == source.FileList->viewport();
    const bool fromTree = watched == source.DirectoryListBox->viewport();
    if (fromFiles || fromTree) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                FPressed = mouse->position().toPoint();
                FPressedOn = watched;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            FPressedOn = nullptr;
        } else if (event->type() == QEvent::MouseMove && FPressedOn == watched) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            // The drag begins once the mouse has moved, not at the press.
            if ((mouse->buttons() & Qt::LeftButton)
                && (mouse->position().toPoint() - FPressed).manhattanLength()
                       >= QApplication::startDragDistance()) {
                FPressedOn = nullptr;
                if (fromTree || !source.FileList->selectedItems().isEmpty()) {
                    StartDrag(fromTree ? Folder : Files);
                }
                return true;
            }
        }
        return false;
    }
    if (watched == target.FileList->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (Accepts(drag->mimeData())) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            TargetFileListDragDrop(drop->mimeData());
            return true;
        }
        default:
            break;
        }
    }
    return false;
}

} // namespace Tandemix
