// SPDX-License-Identifier: GPL-3.0-or-later
// Picking two folders, setting a filter and pressing "Update List" shows exactly what a run
// would add or update.
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
};

QTEST_MAIN(TestTargetDelta)
#include "TestTargetDelta.moc"
