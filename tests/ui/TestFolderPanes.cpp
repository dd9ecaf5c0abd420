// SPDX-License-Identifier: GPL-3.0-or-later
// The folder-selection page as a keyboard user meets it: the highlighted folder is the folder in
// use, and Enter in a filter box lists the folders again.
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "filemanager/ui/FolderPanes.h"
#include "ui/support/WindowRig.h"

using namespace Tandemix;

class TestFolderPanes : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TMainSyncForm* Form = nullptr;

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        R->Tree.AddFile("a/one.txt", "1");
        R->Tree.AddFile("b/two.txt", "22");
        R->Tree.AddFile("b/three.doc", "333");
        R->Tree.AddFile("c/big.txt", std::string(5000, 'x'));
        Form = R->Open();
        Form->ShowOptionsButtonClick(Form->ShowOptionsButton);
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("a"));
    }
    void cleanup() { R.reset(); }

    void theHighlightedFolderIsTheFolderInUse()
    {
        SidePane& pane = Form->Panes->Pane(Side::Source);
        QTreeView* tree = pane.DirectoryListBox;
        // The model reads folders in the background; wait until a's sisters are there.
        QModelIndex parent = pane.FolderModel->index(QString::fromStdString(R->Tree.Root()));
        QTRY_COMPARE(pane.FolderModel->rowCount(parent), 3);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        const QString highlighted = pane.FolderModel->filePath(tree->currentIndex());
        QCOMPARE(highlighted, QString::fromStdString(R->Tree.Path("b")));
        QCOMPARE(QString::fromStdString(Form->Engine().Source.Folder), highlighted);
        QCOMPARE(pane.FolderLabel->text(), highlighted);
        QCOMPARE(Form->SyncPage->SyncSource->text(), highlighted);
        QCOMPARE(pane.FileList->count(), 2);
    }

    void enterInAFilterBoxListsAgainWithTheNewFilter()
    {
        SidePane& pane = Form->Panes->Pane(Side::Source);
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("b"));
        QCOMPARE(pane.FileList->count(), 2);
        // Keys go to the combo box, which holds the focus: the way a keyboard's keys arrive.
        QComboBox* include = Form->FileOptions->IncludeString;
        include->setEditText(QStringLiteral("*.doc"));
        QTest::keyClick(include, Qt::Key_Return);
        QCOMPARE(Test::Items(pane.FileList), QStringList{QStringLiteral("three.doc")});

        include->setEditText(QStringLiteral("*.*"));
        QTest::keyClick(include, Qt::Key_Enter);
        QCOMPARE(pane.FileList->count(), 2);
        // The size limit typed is the one the listing uses, though Enter comes before the edit
        // counts as finished.
        QLineEdit* atMost = Form->FileOptions->MaxFileSize;
        atMost->setFocus();
        atMost->setText(QStringLiteral("2"));
        QTest::keyClick(atMost, Qt::Key_Return);
        QCOMPARE(Test::Items(pane.FileList), QStringList{QStringLiteral("two.txt")});
        QVERIFY(R->Script.Questions.empty());
    }
};

QTEST_MAIN(TestFolderPanes)
#include "TestFolderPanes.moc"
