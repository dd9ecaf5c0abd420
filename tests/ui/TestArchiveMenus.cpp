// SPDX-License-Identifier: GPL-3.0-or-later
// The panes' archive commands as a user meets them: compress a folder from its pop-up menu, see
// "Expand Compressed Folder" offered once it has an archive, view and delete its entries; and the
// "Compression" page with its password dialog.
#include "app/ui/ChgPwd.h"
#include "compression/ui/ArchiveMenus.h"
#include "compression/ui/CompressionPage.h"
#include "engine/ui/SynchronizePage.h"
#include "filemanager/ui/FileManagerCommands.h"
#include "filemanager/ui/FolderPanes.h"
#include "platform/FileOps.h"
#include "settings/PasswordFile.h"
#include "support/CoreBundle.h"
#include "ui/support/WindowRig.h"

#include <fstream>
#include <tuple>
#include <vector>

using namespace Tandemix;

namespace {

// The window on the folders given, with the zip libraries of this build, and without
// sub-folders so the lists are the folders' own files.
TMainSyncForm* OpenOn(Test::WindowRig& rig, const char* source, const char* target)
{
    TMainSyncForm* form = rig.Open();
    form->Compression().ZipControl.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
    form->Context().Opts.IncludeSubFolderOption = false;
    rig.Point(source, target);
    return form;
}

// What a pane shows of its folder's archive: the box, the colour of the list and of its figures
// (which must agree), and the names listed, in name order: the order entries come in is the
// file system's.
QString Shown(const SidePane& pane)
{
    QStringList names = Test::Items(pane.FileList);
    names.sort();
    const int reds = int(Test::Red(pane.FileList, QPalette::Text)) + int(Test::Red(pane.FileCount))
                     + int(Test::Red(pane.DirSize));
    const std::string shown = std::string(pane.ViewCompressed->isEnabled() ? "" : "disabled ")
                              + (pane.ViewCompressed->isChecked() ? "checked " : "unchecked ")
                              + (reds == 3   ? "red: "
                                 : reds == 0 ? "plain: "
                                             : "mixed colours: ");
    return QString::fromStdString(shown) + names.join(u' ');
}

// The "Compression" page on its own, on the core's objects.
struct PageRig : Test::CoreBundle
{
    Test::TempHome Home;
    CompressionPage Page{Ctx, Home.Folder()};
};

// Answers the password dialog each time it shows, with one of `answers` in turn: old and new
// password, then Ok (true) or Cancel (false).
using DialogAnswer = std::tuple<const char*, const char*, bool>;

void AnswerDialogs(CompressionPage& page, std::vector<DialogAnswer> answers)
{
    auto pending = std::make_shared<std::vector<DialogAnswer>>(std::move(answers));
    auto* timer = new QTimer(&page);
    QObject::connect(timer, &QTimer::timeout, &page, [&page, pending, timer] {
        TPassWordCheckForm* form = page.PassWordCheckForm;
        if (form == nullptr || !form->isVisible()) {
            return;
        }
        if (pending->empty()) {
            form->done(2);
            timer->stop();
            return;
        }
        const auto [oldPassword, newPassword, ok] = pending->front();
        pending->erase(pending->begin());
        QVERIFY(form->OldPassword->text().isEmpty()); // emptied every time it shows
        form->OldPassword->setText(QString::fromUtf8(oldPassword));
        form->NewPassword->setText(QString::fromUtf8(newPassword));
        (ok ? form->OkButton : form->CancelButton)->click();
    });
    timer->start(10);
}

} // namespace

class TestArchiveMenus : public QObject
{
    Q_OBJECT

private slots:
    void compressFromTheMenuShowsTheArchiveInRedAndSwapCarriesItWithTheFolder()
    {
        Test::WindowRig rig;
        rig.AddFiles({"src/s.txt", "dst/a.txt"});
        rig.Tree.AddFile("dst/b.txt", "bravo");
        TMainSyncForm* form = OpenOn(rig, "src", "dst");
        SidePane& source = form->Panes->Pane(Side::Source);
        SidePane& target = form->Panes->Pane(Side::Target);
        QCOMPARE(Shown(target), QStringLiteral("disabled unchecked plain: a.txt b.txt")); // no archive yet

        rig.Tree.AddFile("dst/dst.ZIP.txt", "not the archive"); // listed beside it, never in it
        form->DirectoryListBox1Change(Side::Target, rig.Tree.Path("dst"));
        QCOMPARE(Test::RightClick(target.FileList), form->FilePopUpMenu1);
        QVERIFY(!form->Archives.ExpandFolder1->isEnabled()); // no archive to expand yet
        rig.Script.QueueAnswer(DialogResult::Yes);
        form->Archives.CompressFolder1->trigger();
        QCOMPARE(rig.Script.LastQuestion(),
                 "Are you sure you want to Compress " + rig.Tree.Path("dst") + "?");
        // The command leaves the archive shown: its box checked, the entries in red.
        QCOMPARE(Shown(target), QStringLiteral("checked red: a.txt b.txt dst.ZIP.txt"));
        QVERIFY(form->SyncPage->CompressionMessage->isHidden());

        // "Open File" on an entry opens a copy extracted alone into the scratch folder, which
        // holds nothing else (no viewer is found on this PATH, so nothing starts).
        {
            ScopedEnv noViewer("PATH", rig.Tree.AddFolder("no-programs"));
            const std::string scratch = AddTrailingBackslash(form->TempFolderPath());
            std::ofstream(scratch + "stale.txt") << "an earlier entry";
            auto* entry = target.FileList->findItems(QStringLiteral("b.txt"), Qt::MatchExactly).front();
            target.FileList->setCurrentItem(entry);
            Test::RightClick(target.FileList);
            QVERIFY(form->Archives.ExpandFolder1->isEnabled());
            target.FileList->setCurrentItem(entry);
            QVERIFY(form->FileManager->OpenFile1->isEnabled());
            form->FileManager->OpenFile1->trigger();
            QFile extracted(QString::fromStdString(scratch + "b.txt"));
            QVERIFY(extracted.open(QIODevice::ReadOnly));
            QCOMPARE(extracted.readAll(), QByteArray("bravo"));
            QVERIFY(!FileExists(scratch + "stale.txt"));
        }

        // Unchecked by the user: the folder's own files, in the usual colour.
        target.ViewCompressed->click();
        QVERIFY(!form->Engine().Target.ViewCompressed);
        QCOMPARE(Shown(target), QStringLiteral("unchecked plain: a.txt b.txt dst.ZIP dst.ZIP.txt"));
        QCOMPARE(target.FileCount->text(), QStringLiteral("4"));
        target.ViewCompressed->click();
        QCOMPARE(target.FileCount->text(), QStringLiteral("3"));
        QCOMPARE(Shown(target), QStringLiteral("checked red: a.txt b.txt dst.ZIP.txt"));
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));

        // Swap: the archive view goes with its folder to the other side.
        form->SwapSourceandTarget1Click();
        QCOMPARE(form->Engine().Source.Folder, rig.Tree.Path("dst"));
        QCOMPARE(Shown(source), QStringLiteral("checked red: a.txt b.txt dst.ZIP.txt"));
        QCOMPARE(Shown(target), QStringLiteral("disabled unchecked plain: s.txt"));
        // And back, unchecked this time on the source side first.
        source.ViewCompressed->click();
        form->SwapSourceandTarget1Click();
        QCOMPARE(Shown(target), QStringLiteral("unchecked plain: a.txt b.txt dst.ZIP dst.ZIP.txt"));

        // The file commands delete from the archive through the hook this wires; the file of
        // that name in the folder is not the entry.
        QVERIFY(form->FileManager->Archive.DeleteEntries(Side::Target, {"a.txt"}, false));
        QCOMPARE(form->Compression().ZipControl.CountFiles(), 2u);
        QVERIFY(rig.Tree.Exists("dst/a.txt"));
    }

    void aCompressedRunWritesTheTargetsArchiveAndShowsItThenHidesItsMessage()
    {
        Test::WindowRig rig;
        rig.AddFiles({"src/one.txt", "src/two.txt"});
        rig.Tree.AddFolder("dst");
        TMainSyncForm* form = OpenOn(rig, "src", "dst");
        form->Context().Opts.CreateSubFolderOption = false;
        form->CompressionOptions->SyncOptUseCompression->click();

        // The message shows while the zip work goes on and goes with it.
        EngineState working;
        working.CompressionMessage = "Writing";
        form->SyncPage->ShowProgress(working);
        QVERIFY(!form->SyncPage->CompressionMessage->isHidden());
        QCOMPARE(form->SyncPage->CompressionMessage->text(), QStringLiteral("Writing"));

        form->SyncPage->SyncButton->click();
        QVERIFY(form->SyncPage->CompressionMessage->isHidden());
        QCOMPARE(Shown(form->Panes->Pane(Side::Target)), QStringLiteral("checked red: one.txt two.txt"));
        QVERIFY(!form->Panes->Pane(Side::Source).ViewCompressed->isChecked());
    }

    void UseCompressionAndItsTwinOnTheRunPageEnableItsControls()
    {
        PageRig rig;
        auto* expand = rig.Page.findChild<QRadioButton*>(QStringLiteral("CompressExpand1"));
        QVERIFY(!rig.Page.ChgPassWordButton->isEnabled() && !rig.Page.CompressExpand->isEnabled());
        rig.Page.SyncOptUseCompressionMouseUp(); // flips the direction only while compression is on
        QCOMPARE(rig.Opts.CompressExpand, 0);
        rig.Page.SyncOptUseCompression->click();
        QVERIFY(rig.Opts.UseCompression && rig.Page.UseCompression->isChecked());
        QVERIFY(rig.Page.ChgPassWordButton->isEnabled() && rig.Page.CompressionSpeed->isEnabled());
        Test::ExpectEnabled({rig.Page.PassWordName, rig.Page.SavePassword}, false); // the name is only shown
        emit rig.Page.SyncOptUseCompression->customContextMenuRequested(QPoint(1, 1));
        QCOMPARE(rig.Opts.CompressExpand, 1);
        QVERIFY(expand->isChecked());
        rig.Page.SyncOptUseCompressionMouseUp();
        QCOMPARE(rig.Opts.CompressExpand, 0);

        expand->click();
        QCOMPARE(rig.Opts.CompressExpand, 1);
        rig.Page.findChild<QRadioButton*>(QStringLiteral("CompressionSpeed2"))->click();
        QCOMPARE(rig.Opts.CompressionSpeed, 2);
        rig.Page.CompressedFileExt->selectAll();
        QTest::keyClicks(rig.Page.CompressedFileExt, QStringLiteral("zip"));
        QCOMPARE(rig.Opts.CompressedExt, std::string(".zip"));
        rig.Page.UseCompression->click();
        QVERIFY(!rig.Opts.UseCompression && !rig.Page.SyncOptUseCompression->isChecked());
    }

    // Cancel, or the same password again, changes nothing; otherwise the dialog asks again until
    // the old password matches, and Save writes the file.
    void ChangePasswordAsksAgainUntilTheOldOneMatchesThenSaveWritesTheFile()
    {
        PageRig rig;
        rig.Opts.UseCompression = true;
        rig.Opts.PassWordName = "old";
        rig.Page.ShowOptions();
        QSignalSpy changed(&rig.Page, &CompressionPage::OptionChanged);
        AnswerDialogs(
            rig.Page,
            {{"old", "new", false}, {"old", "old", true}, {"wrong", "x", true}, {"old", "brand new", true}});
        for (const char* row : {"cancelled", "the same again"}) {
            rig.Page.ChgPassWordButtonClick();
            QVERIFY2(rig.Opts.PassWordName == "old" && changed.count() == 0, row);
            QVERIFY2(!rig.Opts.SavePasswordEnabled && !rig.Page.SavePassword->isEnabled(), row);
        }
        rig.Host.QueueAnswer(DialogResult::Ok);
        rig.Page.ChgPassWordButtonClick();
        QCOMPARE(rig.Host.Questions.size(), std::size_t{1});
        QCOMPARE(rig.Host.LastQuestion(), "Sorry, I do not recognize that Old Password.\nPlease try again.");
        QCOMPARE(rig.Opts.PassWordName, std::string("brand new"));
        QCOMPARE(rig.Page.PassWordName->text(), QStringLiteral("brand new"));
        QVERIFY(rig.Page.SavePassword->isEnabled());
        QCOMPARE(changed.count(), 1); // the batch row being built now differs

        rig.Page.SavePassword->click();
        QVERIFY(!rig.Page.SavePassword->isEnabled());
        const auto read = FilePasswordStore().ReadPasswords(rig.Home.Folder());
        QCOMPARE(read ? read->first : std::string(), std::string("brand new"));
    }
};

QTEST_MAIN(TestArchiveMenus)
#include "TestArchiveMenus.moc"
