// SPDX-License-Identifier: GPL-3.0-or-later
// The panes' and trees' pop-up menus as a user meets them: captions prepared by the right click,
// files deleted from a pane, a file's details, folders made, renamed and deleted; what is dropped
// on the target pane; the drive boxes' menu.
#include "filemanager/ui/DriveCommands.h"
#include "filemanager/ui/FileManagerCommands.h"
#include "filemanager/ui/FolderPanes.h"
#include "filemanager/ui/PaneDragDrop.h"
#include "ui/support/WindowRig.h"

#include <cerrno>

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
    DriveCommands* Drives = nullptr;
    using Argvs = std::vector<std::vector<std::string>>;
    Argvs GioCalls; // gio as the drive commands would start it
    std::vector<std::string> GioInputs;
    SysResult<ProgramRun> GioAnswer = ProgramRun{0, false, {}};

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
        R->AddFiles(
            {"src/setup.exe", "src/a.txt", "src/b.txt", "src/c.txt", "dst/old.txt", "dst/Photos/p.jpg"},
            "data");
        R->Tree.AddFile("dst/locked.txt", "data", {}, 0444);
        Form = R->Open();
        Commands = Form->FileManager;
        Drives = Form->Drives;
        GioCalls.clear();
        GioInputs.clear();
        GioAnswer = ProgramRun{0, false, {}};
        Drives->RunGio = [this](const std::vector<std::string>& argv, const std::string& input) {
            GioCalls.push_back(argv);
            GioInputs.push_back(input);
            return GioAnswer;
        };
        R->Point("src", "dst");
    }
    void cleanup() { R.reset(); } // the rig checks its questions as it goes

    void theRightClickNamesTheFileOrCountsTheSelectionAndDeleteTakesIt()
    {
        Select(List(Side::Source), {QStringLiteral("setup.exe")});
        QCOMPARE(Test::RightClick(List(Side::Source)), Form->FilePopUpMenu1);
        QCOMPARE(Commands->OpenFile1->text(), QStringLiteral("Launch: setup.exe"));
        QVERIFY(Commands->ShowFileDetails1->isEnabled() && Commands->OpenFile1->isEnabled());

        Select(List(Side::Source), Test::Names({"setup.exe", "a.txt", "b.txt", "c.txt"}));
        Test::RightClick(List(Side::Source));
        QCOMPARE(Commands->DeleteFile1->text(), QStringLiteral("Delete 4 Files"));
        QVERIFY(!Commands->ShowFileDetails1->isEnabled() && !Commands->OpenFile1->isEnabled());

        // The menu acts on the pane it was opened on: the details are of its current file.
        QString shown;
        Commands->ShowInformation = [&shown](const QString& text) {
            shown = text;
        };
        Select(List(Side::Target), {QStringLiteral("old.txt")});
        Test::RightClick(List(Side::Target));
        QCOMPARE(Commands->OpenFile1->text(), QStringLiteral("View: old.txt"));
        QCOMPARE(Form->PopUpSide(), Side::Target);
        Commands->ShowFileDetails1->trigger();
        QVERIFY(shown.contains(QStringLiteral("\rName: \told.txt\rSize: \t4 bytes\r")));

        // Delete, from the menu and with the Delete key.
        Select(List(Side::Target), {QStringLiteral("locked.txt")});
        Test::RightClick(List(Side::Target));
        R->Script.QueueAnswer(DialogResult::Yes); // read-only or not, one question
        Commands->DeleteFile1->trigger();
        QVERIFY(!R->Tree.Exists("dst/locked.txt"));
        QCOMPARE(Test::Items(List(Side::Target)), Test::Names({"old.txt"}));

        Select(List(Side::Source), Test::Names({"a.txt", "b.txt"}));
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
        Commands->CreateDirectory1->trigger();
        QVERIFY(R->Tree.Exists("dst/new/inner"));
        QCOMPARE(QString::fromStdString(Form->Engine().Target.Folder), wanted);

        Form->DirectoryListBox1Change(Side::Target, R->Tree.Path("dst/Photos"));
        QCOMPARE(Test::RightClick(Form->Panes->Pane(Side::Target).DirectoryListBox), Form->DirPopUpMenu1);
        QCOMPARE(Commands->DeleteDirectory1->text(), QStringLiteral("Delete: Photos"));

        QString caption;
        Commands->AskText = [&caption](const QString& title, const QString&, const QString&) {
            caption = title;
            return std::optional<QString>(QStringLiteral("photos"));
        };
        Commands->RenameDirectory1->trigger();
        QCOMPARE(caption, QStringLiteral("Old Name: Photos"));
        QCOMPARE(Form->Engine().Target.Folder, R->Tree.Path("dst/photos"));

        R->Script.QueueAnswer(DialogResult::Yes);
        Commands->DeleteDirectory1->trigger();
        QCOMPARE(Form->Engine().Target.Folder, R->Tree.Path("dst"));
        QCOMPARE(Test::Items(List(Side::Target)).size(), 2);

        // A drive is never deleted nor renamed: no question, nothing changes.
        Form->DirectoryListBox1Change(Side::Target, "/");
        Test::RightClick(Form->Panes->Pane(Side::Target).DirectoryListBox);
        QVERIFY(!Commands->DeleteDirectory1->isEnabled() && !Commands->RenameDirectory1->isEnabled());
        Commands->DeleteDirectory1->trigger();
        caption.clear();
        Commands->RenameDirectory1->trigger();
        QVERIFY(caption.isEmpty());
    }

    // Drag-and-drop onto the target pane: the source pane's selection, the source tree's
    // folder, files from the desktop's file manager, and what the target pane refuses.
    void dropsOnTheTargetPane()
    {
        Select(List(Side::Source), Test::Names({"a.txt", "c.txt"}));
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(Ours("files").get()));
        QVERIFY(!R->Tree.Exists("dst/b.txt"));
        QStringList shown = Test::Items(List(Side::Target));
        shown.sort();
        QCOMPARE(shown, Test::Names({"a.txt", "c.txt", "locked.txt", "old.txt"}));

        // Files from the desktop count when they lie in the source folder.
        std::unique_ptr<QMimeData> data(new QMimeData);
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(R->Tree.Path("src/b.txt")))});
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(data.get()));
        QCOMPARE(R->Script.LastQuestion(), "Are you sure you want to Synchronize Source file: b.txt?");
        QVERIFY(R->Tree.Exists("dst/b.txt"));

        // Anything from elsewhere, or any other data, is not taken.
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(R->Tree.AddFile("elsewhere/e.txt", "e")))});
        QVERIFY(!Drop(data.get()));
        data.reset(new QMimeData);
        data->setText(QStringLiteral("a.txt"));
        QVERIFY(!Drop(data.get()));

        // The source folder dropped runs the pair.
        R->Tree.AddFile("src/sub/d.txt", "d");
        Form->Opts().CreateSubFolderOption = false;
        R->Script.QueueAnswer(DialogResult::Yes);
        QVERIFY(Drop(Ours("folder").get()));
        QVERIFY(R->Tree.Exists("dst/sub/d.txt") && R->Tree.Exists("dst/setup.exe"));
    }

    // The drive boxes' menu: network shares mapped through gio (the argument lists, never a real server).
    void mapHandsGioTheLocationAndTheAnswersAndNeverAnUnusableAddress()
    {
        std::optional address = ShareAddress{ShareKind::Smb, "nas", "backup", "anna", "OFFICE", 0, "s3cret"};
        Drives->AskShare = [&address] {
            return address;
        };
        Drives->MapNetworkDrive1->trigger();
        QCOMPARE(GioCalls, (Argvs{{"gio", "mount", "--", "smb://OFFICE;anna@nas/backup"}}));
        QCOMPARE(GioInputs, std::vector<std::string>{"anna\nOFFICE\ns3cret\n"});

        // gio's own words reach the user when it fails; a missing gio is named with its package.
        auto mapAndHearWhy = [this] {
            R->Script.QueueAnswer(DialogResult::Ok);
            Drives->MapNetworkDrive1->trigger();
            return R->Script.LastQuestion();
        };
        GioAnswer = ProgramRun{2, false, "gio: smb://nas/backup: Failed to mount Windows share\n"};
        QCOMPARE(mapAndHearWhy(),
                 std::string("Could not map the network drive smb://OFFICE;anna@nas/backup:\n"
                             "gio: smb://nas/backup: Failed to mount Windows share\n"));
        GioAnswer = SysResult<ProgramRun>::Failure(ENOENT, "execve");
        QVERIFY(mapAndHearWhy().find("libglib2.0-bin") != std::string::npos);

        // An unusable or a cancelled address never starts gio; only the first is worth a word.
        const std::size_t calls = GioCalls.size();
        address = ShareAddress{ShareKind::Sftp, "-oProxyCommand=evil", "", "", "", 0, ""};
        QVERIFY(mapAndHearWhy().starts_with("This is not the address of a network share: "));
        address.reset();
        Drives->MapNetworkDrive1->trigger();
        QCOMPARE(GioCalls.size(), calls);
    }

    // A folder chosen by hand, in the alternate browser or in a tree, points the side and ends a
    // batch-list run; one the program sets does not end it.
    void aFolderChosenByHandPointsItsSideAndEndsABatchRun()
    {
        QString title;
        std::optional<QString> chosen = QString::fromStdString(R->Tree.Path("dst/Photos"));
        Drives->BrowseFolder = [&title, &chosen](const QString& caption, const QString&) {
            title = caption;
            return chosen;
        };
        Form->Opts().RunBatchList = true;
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("dst"));
        QVERIFY(Form->Opts().RunBatchList);
        Drives->SelectAlternateDriveFolder1Click(Side::Target);
        QCOMPARE(title, QStringLiteral("Target Folder Selection"));
        QCOMPARE(Form->Engine().Target.Folder, R->Tree.Path("dst/Photos"));
        QCOMPARE(Test::Items(List(Side::Target)), Test::Names({"p.jpg"}));
        QVERIFY(!Form->Opts().RunBatchList);

        Form->Opts().RunBatchList = true;
        emit Form->Panes->FolderChosen(Side::Source, QString::fromStdString(R->Tree.Path("src")));
        QVERIFY(!Form->Opts().RunBatchList);
        QCOMPARE(Form->Engine().Source.Folder, R->Tree.Path("src"));

        chosen.reset(); // cancelled: nothing changes
        Drives->SelectAlternateDriveFolder1Click(Side::Source);
        QCOMPARE(Form->Engine().Source.Folder, R->Tree.Path("src"));
    }

    // The tree lists a folder's siblings after it has been pointed at; rows arriving above it must
    // not push it out of sight, and neither may the folders above it.
    void aPointedFolderStaysInSightWhileTheTreeFillsIn()
    {
        for (int n = 0; n < 80; ++n) {
            R->Tree.AddFolder("many/f" + std::to_string(100 + n));
            R->Tree.AddFolder("more/g" + std::to_string(100 + n));
        }
        const std::string folder = R->Tree.Path("many/f179");
        Form->DirectoryListBox1Change(Side::Source, folder);
        QTreeView* tree = Form->Panes->Pane(Side::Source).DirectoryListBox;
        auto* model = static_cast<QFileSystemModel*>(tree->model());
        QCOMPARE(model->filePath(tree->currentIndex()), QString::fromStdString(folder));
        QTRY_COMPARE(model->rowCount(tree->currentIndex().parent()), 80);
        QTest::qWait(50); // the rows the last load brought are laid out
        const QRect row = tree->visualRect(tree->currentIndex());
        QVERIFY2(
            tree->viewport()->rect().contains(row),
            qPrintable(QStringLiteral("row at %1 of %2").arg(row.top()).arg(tree->viewport()->height())));

        // Once the user scrolls the tree himself, it stays where he put it.
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("more/g179"));
        tree->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        QTRY_COMPARE(model->rowCount(tree->currentIndex().parent()), 80);
        QTest::qWait(50);
        QCOMPARE(tree->verticalScrollBar()->value(), 0);
    }

    // A share of the desktop, as a gvfs mount on a folder of the test's tree, mounted since the
    // boxes were filled: a folder on it shows by the share's entry, added to both boxes when
    // first seen; disconnect names the share by its location.
    void aDesktopShareIsShownByItsEntryAndDisconnectedByItsLocation()
    {
        R->Tree.AddFile("gvfs/smb-share:server=nas,share=b/docs/plan.txt", "p");
        auto mounts = std::make_shared<std::vector<MountInfo>>(
            std::vector<MountInfo>{{"/", "ext4", "/dev/sda1"},
                                   {R->Tree.Path("gvfs"), "fuse.gvfsd-fuse", "gvfsd-fuse"}});
        Form->Panes->Mounts = [mounts] {
            return *mounts;
        };
        const QString share = QString::fromStdString(R->Tree.Path("gvfs/smb-share:server=nas,share=b"));
        QCOMPARE(Form->Panes->Pane(Side::Target).DriveBox->findText(share), -1);
        Drives->BrowseFolder = [share](const QString&, const QString&) {
            return std::optional<QString>(share + QStringLiteral("/docs"));
        };
        Drives->SelectAlternateDriveFolder1Click(Side::Source);
        QCOMPARE(Form->Panes->Pane(Side::Source).DriveBox->currentText(), share);
        QVERIFY(Form->Panes->Pane(Side::Target).DriveBox->findText(share) >= 0);
        QCOMPARE(Test::Items(List(Side::Source)), Test::Names({"plan.txt"}));

        Drives->RefreshDriveList1->trigger();
        QStringList offered;
        Drives->ChooseShare = [&offered](const QStringList& shares) {
            offered = shares;
            return std::optional<QString>(shares.front());
        };
        Drives->DisconnectNetworkDrive1->trigger();
        QCOMPARE(offered, QStringList{share});
        const Argvs unmount{{"gio", "mount", "-u", "--", "smb://nas/b"}};
        QCOMPARE(GioCalls, unmount);

        mounts->pop_back();
        R->Script.QueueAnswer(DialogResult::Ok);
        Drives->DisconnectNetworkDrive1->trigger();
        QCOMPARE(R->Script.LastQuestion(), std::string("No network drive is mapped."));
        QCOMPARE(GioCalls, unmount);
    }
};

QTEST_MAIN(TestFileCommands)
#include "TestFileCommands.moc"
