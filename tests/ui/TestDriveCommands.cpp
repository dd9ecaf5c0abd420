// SPDX-License-Identifier: GPL-3.0-or-later
// The drive boxes' menu: network shares mapped through gio (the argument lists, never a real
// server), the alternate folder browser, and a folder chosen by hand ending a batch-list run.
#include "filemanager/ui/DriveCommands.h"
#include "filemanager/ui/FolderPanes.h"
#include "ui/support/WindowRig.h"

#include <cerrno>

using namespace Tandemix;

class TestDriveCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TMainSyncForm* Form = nullptr;
    DriveCommands* Drives = nullptr;
    std::vector<std::vector<std::string>> GioCalls;
    std::vector<std::string> GioInputs;
    SysResult<ProgramRun> GioAnswer = ProgramRun{0, false, {}};

    // The desktop's shares, as a gvfs mount on a folder of the test's tree.
    void FakeGvfs(bool refresh = true)
    {
        R->Tree.AddFile("gvfs/smb-share:server=nas,share=b/docs/plan.txt", "p");
        const std::string gvfs = R->Tree.Path("gvfs");
        Form->Panes->Mounts = [gvfs] {
            return std::vector<MountInfo>{{"/", "ext4", "/dev/sda1"},
                                          {gvfs, "fuse.gvfsd-fuse", "gvfsd-fuse"}};
        };
        if (refresh) {
            Drives->RefreshDriveList1->trigger();
        }
    }

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        R->Tree.AddFile("src/a.txt", "a");
        R->Tree.AddFile("dst/b.txt", "b");
        Form = R->Open();
        Drives = Form->Drives;
        GioCalls.clear();
        GioInputs.clear();
        GioAnswer = ProgramRun{0, false, {}};
        Drives->RunGio = [this](const std::vector<std::string>& argv, const std::string& input) {
            GioCalls.push_back(argv);
            GioInputs.push_back(input);
            return GioAnswer;
        };
    }
    void cleanup()
    {
        QVERIFY(R->Script.Unexpected.empty());
        R.reset();
    }

    void mapHandsGioTheLocationAndTheAnswersAndNeverAnUnusableAddress()
    {
        ShareAddress address{ShareKind::Smb, "nas", "backup", "anna", "OFFICE", 0, "s3cret"};
        Drives->AskShare = [&address] {
            return std::optional<ShareAddress>(address);
        };
        Drives->MapNetworkDrive1->trigger();
        QCOMPARE(
            GioCalls,
            (std::vector<std::vector<std::string>>{{"gio", "mount", "--", "smb://OFFICE;anna@nas/backup"}}));
        QCOMPARE(GioInputs, std::vector<std::string>{"anna\nOFFICE\ns3cret\n"});
        QVERIFY(R->Script.Questions.empty());

        // gio's own words reach the user when it fails; a missing gio is named with its package.
        GioAnswer = ProgramRun{2, false, "gio: smb://nas/backup: Failed to mount Windows share\n"};
        R->Script.QueueAnswer(DialogResult::Ok);
        Drives->MapNetworkDrive1->trigger();
        QCOMPARE(R->Script.Questions.back().Text,
                 std::string("Could not map the network drive smb://OFFICE;anna@nas/backup:\n"
                             "gio: smb://nas/backup: Failed to mount Windows share\n"));
        GioAnswer = SysResult<ProgramRun>::Failure(ENOENT, "execve");
        R->Script.QueueAnswer(DialogResult::Ok);
        Drives->MapNetworkDrive1->trigger();
        QVERIFY(R->Script.Questions.back().Text.find("libglib2.0-bin") != std::string::npos);

        // An unusable or a cancelled address never starts gio; only the first is worth a word.
        const std::size_t calls = GioCalls.size();
        address = ShareAddress{ShareKind::Sftp, "-oProxyCommand=evil", "", "", "", 0, ""};
        R->Script.QueueAnswer(DialogResult::Ok);
        Drives->MapNetworkDrive1->trigger();
        QVERIFY(R->Script.Questions.back().Text.starts_with("This is not the address of a network share: "));
        const std::size_t questions = R->Script.Questions.size();
        Drives->AskShare = [] {
            return std::optional<ShareAddress>();
        };
        Drives->MapNetworkDrive1->trigger();
        QCOMPARE(GioCalls.size(), calls);
        QCOMPARE(R->Script.Questions.size(), questions);
    }

    void theAlternateBrowserPointsTheSideOpenedOnAndEndsABatchRun()
    {
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("src"));
        Form->DirectoryListBox1Change(Side::Target, R->Tree.Path("src"));
        QString title;
        Drives->BrowseFolder = [this, &title](const QString& caption, const QString&) {
            title = caption;
            return std::optional<QString>(QString::fromStdString(R->Tree.Path("dst")));
        };
        Form->Opts().RunBatchList = true;
        Drives->SelectAlternateDriveFolder1Click(Side::Target);
        QCOMPARE(title, QStringLiteral("Target Folder Selection"));
        QCOMPARE(Form->Engine().Target.Folder, R->Tree.Path("dst"));
        QCOMPARE(Test::Items(Form->Panes->Pane(Side::Target).FileList), Test::Names({"b.txt"}));
        QVERIFY(!Form->Opts().RunBatchList);

        // Cancelled, nothing changes.
        Drives->BrowseFolder = [](const QString&, const QString&) {
            return std::optional<QString>();
        };
        Drives->SelectAlternateDriveFolder1Click(Side::Source);
        QCOMPARE(Form->Engine().Source.Folder, R->Tree.Path("src"));
    }

    void aFolderChosenInATreeEndsABatchRunButOneSetByTheProgramDoesNot()
    {
        Form->Opts().RunBatchList = true;
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("src"));
        QVERIFY(Form->Opts().RunBatchList);
        emit Form->Panes->FolderChosen(Side::Source, QString::fromStdString(R->Tree.Path("dst")));
        QVERIFY(!Form->Opts().RunBatchList);
        QCOMPARE(Form->Engine().Source.Folder, R->Tree.Path("dst"));
    }

    void aFolderOnAShareIsShownByTheSharesEntry()
    {
        // Mounted since the boxes were filled: the share's entry is added to both when first seen.
        FakeGvfs(false);
        const QString share = QString::fromStdString(R->Tree.Path("gvfs/smb-share:server=nas,share=b"));
        QCOMPARE(Form->Panes->Pane(Side::Target).DriveBox->findText(share), -1);
        Drives->BrowseFolder = [this](const QString&, const QString&) {
            return std::optional<QString>(
                QString::fromStdString(R->Tree.Path("gvfs/smb-share:server=nas,share=b/docs")));
        };
        Drives->SelectAlternateDriveFolder1Click(Side::Source);
        QCOMPARE(Form->Panes->Pane(Side::Source).DriveBox->currentText(), share);
        QVERIFY(Form->Panes->Pane(Side::Target).DriveBox->findText(share) >= 0);
        QCOMPARE(Test::Items(Form->Panes->Pane(Side::Source).FileList), Test::Names({"plan.txt"}));
    }

    void disconnectNamesADesktopShareByItsLocation()
    {
        FakeGvfs();
        QStringList offered;
        Drives->ChooseShare = [&offered](const QStringList& shares) {
            offered = shares;
            return std::optional<QString>(shares.front());
        };
        Drives->DisconnectNetworkDrive1->trigger();
        QCOMPARE(offered,
                 QStringList{QString::fromStdString(R->Tree.Path("gvfs/smb-share:server=nas,share=b"))});
        const std::vector<std::vector<std::string>> unmount{{"gio", "mount", "-u", "--", "smb://nas/b"}};
        QCOMPARE(GioCalls, unmount);

        Form->Panes->Mounts = [] {
            return std::vector<MountInfo>{{"/", "ext4", "/dev/sda1"}};
        };
        R->Script.QueueAnswer(DialogResult::Ok);
        Drives->DisconnectNetworkDrive1->trigger();
        QCOMPARE(R->Script.Questions.back().Text, std::string("No network drive is mapped."));
        QCOMPARE(GioCalls, unmount);
    }
};

QTEST_MAIN(TestDriveCommands)
#include "TestDriveCommands.moc"
