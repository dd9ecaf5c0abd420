// SPDX-License-Identifier: GPL-3.0-or-later
// Drag-and-drop onto the target pane in the window: the source pane's selection, the source
// tree's folder, files from the desktop's file manager, and what the target pane refuses.
#include "filemanager/ui/FolderPanes.h"
#include "filemanager/ui/PaneDragDrop.h"
#include "ui/support/WindowRig.h"

using namespace Tandemix;

class TestDragDrop : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TMainSyncForm* Form = nullptr;

    QListWidget* List(Side side) { return Form->Panes->Pane(side).FileList; }

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
        for (const char* name : {"src/a.txt", "src/b.txt", "src/c.txt", "src/sub/d.txt"}) {
            R->Tree.AddFile(name, "data");
        }
        R->Tree.AddFolder("dst");
        R->Tree.AddFile("elsewhere/e.txt", "e");
        Form = R->Open();
        Form->CommandWords = {"-A"}; // no beeps in tests
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("src"));
        Form->DirectoryListBox1Change(Side::Target, R->Tree.Path("dst"));
    }
    void cleanup()
    {
        QVERIFY(R->Script.Unexpected.empty());
        R.reset();
    }

    void theSelectedSourceFilesAreSynchronisedAndShown()
    {
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
        QVERIFY(R->Tree.Exists("dst/a.txt") && R->Tree.Exists("dst/c.txt") && !R->Tree.Exists("dst/b.txt"));
        QStringList shown = Test::Items(List(Side::Target));
        shown.sort();
        QCOMPARE(shown, Test::Names({"a.txt", "c.txt"}));
    }

    void filesFromTheDesktopCountWhenTheyLieInTheSourceFolder()
    {
        std::unique_ptr<QMimeData> data(new QMimeData);
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(R->Tree.Path("src/b.txt")))});
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(data.get()));
        QCOMPARE(R->Script.Questions[0].Text,
                 std::string("Are you sure you want to Synchronize Source file: b.txt?"));
        QVERIFY(R->Tree.Exists("dst/b.txt"));

        // Anything from elsewhere, or any other data, is not taken.
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(R->Tree.Path("elsewhere/e.txt")))});
        QVERIFY(!Drop(data.get()));
        data.reset(new QMimeData);
        data->setText(QStringLiteral("a.txt"));
        QVERIFY(!Drop(data.get()));
        QCOMPARE(R->Script.Questions.size(), size_t(1));
    }

    void theSourceFolderDroppedRunsThePair()
    {
        Form->Opts().CreateSubFolderOption = false;
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(Ours("folder").get()));
        QVERIFY(R->Tree.Exists("dst/sub/d.txt") && R->Tree.Exists("dst/b.txt"));
    }
};

QTEST_MAIN(TestDragDrop)
#include "TestDragDrop.moc"
