// SPDX-License-Identifier: GPL-3.0-or-later
// The panes' archive commands as a user meets them: compress a folder from its pop-up menu, see
// "Expand Compressed Folder" offered once it has an archive, and delete entries from the archive
// a pane shows.
#include "compression/ui/ArchiveMenus.h"
#include "filemanager/ui/FileManagerCommands.h"
#include "filemanager/ui/FolderPanes.h"
#include "ui/support/WindowRig.h"

using namespace Tandemix;

class TestArchiveMenus : public QObject
{
    Q_OBJECT

private slots:
    void compressFromTheMenuThenExpandIsOfferedAndEntriesCanBeDeleted()
    {
        Test::WindowRig rig;
        rig.Tree.AddFile("dst/a.txt", "alpha");
        rig.Tree.AddFile("dst/b.txt", "bravo");
        TMainSyncForm* form = rig.Open();
        form->Compression().ZipControl.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
        form->Context().Opts.IncludeSubFolderOption = false;
        form->DirectoryListBox1Change(Side::Target, rig.Tree.Path("dst"));
        QListWidget* list = form->Panes->Pane(Side::Target).FileList;

        Test::RightClick(list);
        QVERIFY(form->FilePopUpMenu1->isVisible());
        QVERIFY(!form->Archives.ExpandFolder1->isEnabled()); // no archive yet
        form->FilePopUpMenu1->hide();

        rig.Script.QueueAnswer(DialogResult::Yes);
        form->Archives.CompressFolder1->trigger();
        QVERIFY(rig.Tree.Exists("dst/dst.ZIP"));
        QCOMPARE(QString::fromStdString(rig.Script.Questions.back().Text),
                 QStringLiteral("Are you sure you want to Compress ")
                     + QString::fromStdString(rig.Tree.Path("dst")) + QStringLiteral("?"));

        Test::RightClick(list);
        QVERIFY(form->Archives.ExpandFolder1->isEnabled());
        form->FilePopUpMenu1->hide();

        // The file commands delete from the archive through the hook this wires.
        QVERIFY(form->FileManager->Archive.DeleteEntries);
        QVERIFY(form->FileManager->Archive.DeleteEntries(Side::Target, {"a.txt"}, false));
        QCOMPARE(form->Compression().ZipControl.CountFiles(), 1u);
        QVERIFY(rig.Tree.Exists("dst/a.txt")); // the file in the folder is not the entry
        QVERIFY(rig.Script.Unexpected.empty());
    }
};

QTEST_MAIN(TestArchiveMenus)
#include "TestArchiveMenus.moc"
