// SPDX-License-Identifier: GPL-3.0-or-later
// Picking two folders, setting a filter and pressing "Update List" shows exactly what a run
// would add or update; folders picked and filters set from the keyboard.
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "engine/ui/TargetDeltaPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "ui/support/WindowRig.h"

using namespace Tandemix;

class TestTargetDelta : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TempTree* Tree = nullptr;
    TMainSyncForm* Form = nullptr;

    QStringList Column(int column) const
    {
        QStringList cells;
        QTableWidget* grid = Form->TargetDelta->TargetDeltaGrid;
        for (int row = 0; row < grid->rowCount(); ++row) {
            QTableWidgetItem* item = grid->item(row, column);
            cells << (item != nullptr ? item->text() : QString());
        }
        return cells;
    }
    // Three sister folders, the options shown and the first of them in the source pane.
    void PanesTree()
    {
        Tree->AddFile("panes/a/one.txt", "1");
        Tree->AddFile("panes/b/two.txt", "22");
        Tree->AddFile("panes/b/three.doc", "333");
        Tree->AddFile("panes/c/big.txt", std::string(5000, 'x'));
        Form->ShowOptionsButtonClick(Form->ShowOptionsButton);
        Form->DirectoryListBox1Change(Side::Source, Tree->Path("panes/a"));
    }

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        Tree = &R->Tree;
        const std::time_t old = 1'600'000'000;
        const std::time_t recent = 1'700'000'000;
        Tree->AddFile("src/new.txt", "brand new", recent);
        Tree->AddFile("src/changed.doc", "second version", recent);
        Tree->AddFile("src/same.txt", "same", old);
        Tree->AddFile("src/skip.bak", "excluded", recent);
        Tree->AddFile("dst/changed.doc", "first", old);
        Tree->AddFile("dst/same.txt", "same", old);
        Tree->AddFile("dst/extra.txt", "only here", old);
        Form = R->Open();
        Form->resize(1000, 720);
    }
    void cleanup() { R.reset(); }

    void updateListShowsAddsAndUpdatesOnly()
    {
        Form->DirectoryListBox1Change(Side::Source, Tree->Path("src"));
        SidePane& source = Form->Panes->Pane(Side::Source);
        QCOMPARE(source.FileList->count(), 4);
        QCOMPARE(source.FileCount->text(), QStringLiteral("4"));
        QVERIFY(!source.DriveSpaceValue->text().isEmpty());
        Form->DirectoryListBox1Change(Side::Target, Tree->Path("dst"));
        QCOMPARE(Form->Panes->Pane(Side::Target).FileList->count(), 3);
        Form->ShowOptionsButtonClick(Form->ShowOptionsButton);
        Form->FileOptions->ExcludeString->setEditText(QStringLiteral("bak"));
        // Enter in the exclusion box lists both folders again with the new filter. The key goes
        // to the combo box, which holds the focus, as a keyboard's key does.
        QTest::keyClick(Form->FileOptions->ExcludeString, Qt::Key_Return);
        QCOMPARE(Form->Panes->Pane(Side::Source).FileList->count(), 3);
        Form->SyncPage->CreateSubFolder->setChecked(false); // compare with dst itself
        Form->TargetDelta1->trigger();
        QCOMPARE(Form->Notebook2->currentWidget(), static_cast<QWidget*>(Form->TargetDelta));

        Form->TargetDelta->UpdateButton->click();
        QStringList names = Column(0);
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("changed.doc"), QStringLiteral("new.txt")}));
        QStringList reasons = Column(5);
        reasons.sort();
        QCOMPARE(reasons, (QStringList{QStringLiteral("No Match"), QStringLiteral("Older File")}));
        QCOMPARE(Form->TargetDelta->DeltaCount->text(), QStringLiteral("2"));
        QCOMPARE(Form->TargetDelta->AddByteValue->text(), QStringLiteral("9"));
        QCOMPARE(Form->TargetDelta->UpdateByteValue->text(), QStringLiteral("14"));
        // The panes show the folders again afterwards.
        QCOMPARE(Form->Panes->Pane(Side::Source).FileList->count(), 3);
        QCOMPARE(Form->StatusPanel->text(), QStringLiteral("Ready"));

        Form->TargetDelta->ClearDeltaButton->click();
        QCOMPARE(Form->TargetDelta->DeltaCount->text(), QStringLiteral("0"));
        QCOMPARE(Form->TargetDelta->TargetDeltaGrid->rowCount(), 1); // one empty row stays

        // With "Create Source Folder in Target" a run writes into dst/src, which is not there
        // yet: the preview says that every file is added, and makes nothing.
        Form->SyncPage->CreateSubFolder->setChecked(true);
        Form->TargetDelta->UpdateButton->click();
        names = Column(0);
        names.sort();
        QCOMPARE(names,
                 (QStringList{QStringLiteral("changed.doc"),
                              QStringLiteral("new.txt"),
                              QStringLiteral("same.txt")}));
        QVERIFY(!Tree->Exists("dst/src"));
        QCOMPARE(Form->Panes->Pane(Side::Target).FileList->count(), 3); // the pane still shows dst
    }

    void sizeEditRejectsText()
    {
        Form->FileOptions->MaxFileSize->setText(QStringLiteral("12abc"));
        emit Form->FileOptions->MaxFileSize->editingFinished();
        QCOMPARE(R->Script.Questions.size(), size_t(1));
        QCOMPARE(R->Script.Questions[0].Text, std::string("Please enter a number in this field!"));
        Form->FileOptions->MinFileSize->setText(QString());
        emit Form->FileOptions->MinFileSize->editingFinished();
        QCOMPARE(Form->FileOptions->MinFileSize->text(), QStringLiteral("0"));
    }

    // The folder-selection page as a keyboard user meets it: the highlighted folder is the
    // folder in use.
    void theHighlightedFolderIsTheFolderInUse()
    {
        PanesTree();
        SidePane& pane = Form->Panes->Pane(Side::Source);
        QTreeView* tree = pane.DirectoryListBox;
        // The model reads folders in the background; wait until a's sisters are there.
        QModelIndex parent = pane.FolderModel->index(QString::fromStdString(Tree->Path("panes")));
        QTRY_COMPARE(pane.FolderModel->rowCount(parent), 3);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        const QString highlighted = pane.FolderModel->filePath(tree->currentIndex());
        QCOMPARE(highlighted, QString::fromStdString(Tree->Path("panes/b")));
        QCOMPARE(QString::fromStdString(Form->Engine().Source.Folder), highlighted);
        QCOMPARE(pane.FolderLabel->text(), highlighted);
        QCOMPARE(Form->SyncPage->SyncSource->text(), highlighted);
        QCOMPARE(pane.FileList->count(), 2);
    }

    void enterInAFilterBoxListsAgainWithTheNewFilter()
    {
        PanesTree();
        SidePane& pane = Form->Panes->Pane(Side::Source);
        Form->DirectoryListBox1Change(Side::Source, Tree->Path("panes/b"));
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

QTEST_MAIN(TestTargetDelta)
#include "TestTargetDelta.moc"
