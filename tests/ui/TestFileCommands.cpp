// SPDX-License-Identifier: GPL-3.0-or-later
// The panes' and trees' pop-up menus as a user meets them: captions prepared by the right click,
// files deleted from a pane, a file's details, folders made, renamed and deleted; and what is
// dropped on the target pane.
#include "filemanager/ui/FileManagerCommands.h"
#include "filemanager/ui/FolderPanes.h"
#include "filemanager/ui/PaneDragDrop.h"
#include "ui/support/WindowRig.h"

using namespace Tandemix;

namespace {

void Select(QListWidget* list, const QStringList& names)
{
    list->clearSelection();
    for (const QString& name : names) {
        QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        found.front()->setSelected(true);
        list->setCurrentItem(found.front(), QItemSelectionModel::Select);
    }
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TMainSyncForm* Form = nullptr;
    FileManagerCommands* Commands = nullptr;

    QListWidget* List(Side side) { return Form->Panes->Pane(side).FileList; }

    // Folders of their own for the drops, in the panes.
    void DragPair()
    {
        for (const char* name :
             {"drag/src/a.txt", "drag/src/b.txt", "drag/src/c.txt", "drag/src/sub/d.txt"}) {
            R->Tree.AddFile(name, "data");
        }
        R->Tree.AddFolder("drag/dst");
        R->Tree.AddFile("drag/elsewhere/e.txt", "e");
        Form->CommandWords = {"-A"}; // no beeps in tests
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("drag/src"));
        Form->DirectoryListBox1Change(Side::Target, R->Tree.Path("drag/dst"));
    }
    // A drop as the window receives it at the end of a drag.
    bool Drop(QMimeData* data)
    {
        QWidget* viewport = List(Side::Target)->viewport();
        QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);
        return true;
    }
    static std::unique_ptr<QMimeData> Ours(const char* kind)
    {
        auto data = std::make_unique<QMimeData>();
        data->setData(PaneDragDrop::MimeType(), QByteArray(kind));
        return data;
    }

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        for (const char* name : {"src/setup.exe", "src/a.txt", "src/b.txt", "src/c.txt", "dst/old.txt"}) {
            R->Tree.AddFile(name, "data");
        }
        R->Tree.AddFile("dst/locked.txt", "data", {}, 0444);
        R->Tree.AddFile("dst/Photos/p.jpg", "jpg");
        Form = R->Open();
        Commands = Form->FileManager;
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("src"));
        Form->DirectoryListBox1Change(Side::Target, R->Tree.Path("dst"));
    }
    void cleanup()
    {
        QVERIFY(R->Script.Unexpected.empty());
        R.reset();
    }

    void theRightClickNamesTheFileOrCountsTheSelection()
    {
        Select(List(Side::Source), {QStringLiteral("setup.exe")});
        Test::RightClick(List(Side::Source));
        QVERIFY(Form->FilePopUpMenu1->isVisible());
        QCOMPARE(Commands->OpenFile1->text(), QStringLiteral("Launch: setup.exe"));
        QCOMPARE(Commands->DeleteFile1->text(), QStringLiteral("Delete File: setup.exe"));
        QVERIFY(Commands->ShowFileDetails1->isEnabled() && Commands->OpenFile1->isEnabled());
        Form->FilePopUpMenu1->hide();

        Select(List(Side::Source), Test::Names({"setup.exe", "a.txt", "b.txt", "c.txt"}));
        Test::RightClick(List(Side::Source));
        QCOMPARE(Commands->DeleteFile1->text(), QStringLiteral("Delete 4 Files"));
        QVERIFY(!Commands->ShowFileDetails1->isEnabled() && !Commands->OpenFile1->isEnabled());
        Form->FilePopUpMenu1->hide();

        // The menu acts on the pane it was opened on: the details are of its current file.
        QString shown;
        Commands->ShowInformation = [&shown](const QString& text) {
            shown = text;
        };
        Select(List(Side::Target), {QStringLiteral("old.txt")});
        Test::RightClick(List(Side::Target));
        QCOMPARE(Commands->OpenFile1->text(), QStringLiteral("View: old.txt"));
        QCOMPARE(Form->PopUpSide(), Side::Target);
        Form->FilePopUpMenu1->hide();
        Commands->ShowFileDetails1->trigger();
        QVERIFY(shown.contains(QStringLiteral("\rName: \told.txt\rSize: \t4 bytes\r")));
    }

    void deleteFromTheMenuAndWithTheDeleteKey()
    {
        Select(List(Side::Target), {QStringLiteral("locked.txt")});
        Test::RightClick(List(Side::Target));
        Form->FilePopUpMenu1->hide();
        R->Script.QueueAnswer(DialogResult::Yes);
        Commands->DeleteFile1->trigger();
        QCOMPARE(R->Script.Questions.size(), size_t(1)); // read-only or not, one question
        QVERIFY(!R->Tree.Exists("dst/locked.txt"));
        QCOMPARE(Test::Items(List(Side::Target)), Test::Names({"old.txt"}));

        Select(List(Side::Source), Test::Names({"a.txt", "b.txt"}));
        R->Script.QueueAnswer(DialogResult::No);
        QTest::keyClick(List(Side::Source), Qt::Key_Delete);
        QCOMPARE(R->Script.Questions.back().Text,
                 std::string("Are you sure you want to delete these 2 files?"));
        QVERIFY(R->Tree.Exists("src/a.txt") && R->Tree.Exists("src/b.txt"));
        R->Script.QueueAnswer(DialogResult::Yes);
        QTest::keyClick(List(Side::Source), Qt::Key_Delete);
        QVERIFY(!R->Tree.Exists("src/a.txt") && !R->Tree.Exists("src/b.txt"));
        QCOMPARE(List(Side::Source)->count(), 2);
    }

    void foldersAreMadeRenamedAndDeletedFromTheTree()
    {
        const QString wanted = QString::fromStdString(R->Tree.Path("dst/new/inner"));
        Commands->ChooseFolder = [&wanted](const QString&, const QString&) {
            return std::optional<QString>(wanted);
        };
        Test::RightClick(Form->Panes->Pane(Side::Target).DirectoryListBox);
        Form->DirPopUpMenu1->hide();
        Commands->CreateDirectory1->trigger();
        QVERIFY(R->Tree.Exists("dst/new/inner"));
        QCOMPARE(QString::fromStdString(Form->Engine().Target.Folder), wanted);

        Form->DirectoryListBox1Change(Side::Target, R->Tree.Path("dst/Photos"));
        Test::RightClick(Form->Panes->Pane(Side::Target).DirectoryListBox);
        QVERIFY(Form->DirPopUpMenu1->isVisible());
        QCOMPARE(Commands->DeleteDirectory1->text(), QStringLiteral("Delete: Photos"));
        Form->DirPopUpMenu1->hide();

        QString caption;
        Commands->AskText = [&caption](const QString& title, const QString&, const QString&) {
            caption = title;
            return std::optional<QString>(QStringLiteral("photos"));
        };
        Commands->RenameDirectory1->trigger();
        QCOMPARE(caption, QStringLiteral("Old Name: Photos"));
        QVERIFY(R->Tree.Exists("dst/photos/p.jpg") && !R->Tree.Exists("dst/Photos"));
        QCOMPARE(Form->Engine().Target.Folder, R->Tree.Path("dst/photos"));

        R->Script.QueueAnswer(DialogResult::Yes);
        Commands->DeleteDirectory1->trigger();
        QVERIFY(!R->Tree.Exists("dst/photos"));
        QCOMPARE(Form->Engine().Target.Folder, R->Tree.Path("dst"));
        QCOMPARE(Test::Items(List(Side::Target)).size(), 2);

        // A drive is never deleted nor renamed: no question, nothing changes.
        Form->DirectoryListBox1Change(Side::Target, "/");
        Test::RightClick(Form->Panes->Pane(Side::Target).DirectoryListBox);
        QVERIFY(!Commands->DeleteDirectory1->isEnabled() && !Commands->RenameDirectory1->isEnabled());
        Form->DirPopUpMenu1->hide();
        Commands->DeleteDirectory1->trigger();
        caption.clear();
        Commands->RenameDirectory1->trigger();
        QVERIFY(caption.isEmpty());
        QCOMPARE(R->Script.Questions.size(), size_t(1));
    }

    // Drag-and-drop onto the target pane: the source pane's selection, the source tree's
    // folder, files from the desktop's file manager, and what the target pane refuses.
    void theSelectedSourceFilesAreSynchronisedAndShown()
    {
        DragPair();
        for (const char* name : {"a.txt", "c.txt"}) {
            List(Side::Source)
                ->findItems(QString::fromUtf8(name), Qt::MatchExactly)
                .front()
                ->setSelected(true);
        }
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(Ours("files").get()));
        QCOMPARE(R->Script.Questions.size(), size_t(1));
        QCOMPARE(R->Script.Questions[0].Text,
                 std::string("Are you sure you want to Synchronize the 2 selected Source files?"));
        QVERIFY(R->Tree.Exists("drag/dst/a.txt") && R->Tree.Exists("drag/dst/c.txt")
                && !R->Tree.Exists("drag/dst/b.txt"));
        QStringList shown = Test::Items(List(Side::Target));
        shown.sort();
        QCOMPARE(shown, Test::Names({"a.txt", "c.txt"}));
    }

    void filesFromTheDesktopCountWhenTheyLieInTheSourceFolder()
    {
        DragPair();
        std::unique_ptr<QMimeData> data(new QMimeData);
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(R->Tree.Path("drag/src/b.txt")))});
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(data.get()));
        QCOMPARE(R->Script.Questions[0].Text,
                 std::string("Are you sure you want to Synchronize Source file: b.txt?"));
        QVERIFY(R->Tree.Exists("drag/dst/b.txt"));

        // Anything from elsewhere, or any other data, is not taken.
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(R->Tree.Path("drag/elsewhere/e.txt")))});
        QVERIFY(!Drop(data.get()));
        data.reset(new QMimeData);
        data->setText(QStringLiteral("a.txt"));
        QVERIFY(!Drop(data.get()));
        QCOMPARE(R->Script.Questions.size(), size_t(1));
    }

    void theSourceFolderDroppedRunsThePair()
    {
        DragPair();
        Form->Opts().CreateSubFolderOption = false;
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(Ours("folder").get()));
        QVERIFY(R->Tree.Exists("drag/dst/sub/d.txt") && R->Tree.Exists("drag/dst/b.txt"));
    }
};

QTEST_MAIN(TestFileCommands)
#include "TestFileCommands.moc"
