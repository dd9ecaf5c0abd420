// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/ui/ArchiveMenus.h"

#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "compression/ArchiveCommands.h"
#include "engine/FileListing.h"
#include "filemanager/ui/FileManagerCommands.h"
#include "filemanager/ui/PaneDragDrop.h"

#include <QAction>
#include <QMenu>

#include <unistd.h>

namespace Tandemix {

ArchiveMenus WireArchiveMenus(TMainSyncForm& form)
{
    ArchiveMenus menus;
    QMenu* files = form.FilePopUpMenu1;
    files->addSeparator();
    auto item = [&](const char* name, const char* caption) {
        QAction* action = files->addAction(UiText(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    menus.CompressFolder1 = item("CompressFolder1", "Compress File List");
    menus.ConsolidateFolder1 = item("ConsolidateFolder1", "Consolidate File List");
    menus.ExpandFolder1 = item("ExpandFolder1", "Expand Compressed Folder");

    TMainSyncForm* window = &form;
    auto after = [window] {
        window->RefreshFileListings();
        // The zip work is over: its message goes and the gauges show where it ended.
        window->ShowRunProgress(window->Engine());
    };
    QObject::connect(menus.CompressFolder1, &QAction::triggered, &form, [window, after] {
        CompressFolder1Click(window->Context(), window->Compression(), window->PopUpSide(), false);
        after();
    });
    QObject::connect(menus.ConsolidateFolder1, &QAction::triggered, &form, [window, after] {
        CompressFolder1Click(window->Context(), window->Compression(), window->PopUpSide(), true);
        after();
    });
    QObject::connect(menus.ExpandFolder1, &QAction::triggered, &form, [window, after] {
        ExpandFolder1Click(window->Context(), window->Compression(), window->PopUpSide());
        after();
    });
    QAction* expand = menus.ExpandFolder1;
    QObject::connect(files, &QMenu::aboutToShow, &form, [window, expand] {
        bool idle = !window->Context().State.SyncActive;
        expand->setEnabled(idle
                           && ListingOf(window->Context().Engine, window->PopUpSide()).ViewCompressedEnabled);
    });

    if (form.FileManager != nullptr) {
        form.FileManager->Archive.ExtractForViewing = [window](Side side, const std::string& entry) {
            return ExtractEntryForViewing(window->Context(),
                                          window->Compression(),
                                          side,
                                          entry,
                                          window->TempFolderPath());
        };
        form.FileManager->Archive.DeleteEntries =
            [window](Side side, const std::vector<std::string>& entries, bool all) {
                RunContext& ctx = window->Context();
                TZipArchiver& zip = window->Compression().ZipControl;
                zip.ZipFileName =
                    CompressedFolderName(ListingOf(ctx.Engine, side).Folder, ctx.Opts.CompressedExt);
                if (all) {
                    // Every entry was chosen: the user asked for the archive to go.
                    return ::unlink(zip.ZipFileName.c_str()) == 0;
                }
                zip.FilesToProcess = entries;
                return zip.Delete() == 0;
            };
    }
    if (form.DragDrop != nullptr) {
        form.DragDrop->Hooks.ClearFilesToProcess = [window] {
            window->Compression().ZipControl.FilesToProcess.clear();
        };
    }
    return menus;
}

} // namespace Tandemix
