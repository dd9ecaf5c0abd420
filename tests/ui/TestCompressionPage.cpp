// SPDX-License-Identifier: GPL-3.0-or-later
// The "Compression" page and its password dialog, driven as a user drives them.
#include "app/ui/ChgPwd.h"
#include "compression/ui/CompressionPage.h"
#include "settings/PasswordFile.h"
#include "support/CoreBundle.h"
#include "support/TempHome.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <vector>

using namespace Tandemix;

namespace {

struct Rig : Test::CoreBundle
{
    Test::TempHome Home;
    CompressionPage Page{Ctx, Home.Folder()};
};

// Answers the password dialog each time it shows, with one of `answers` in turn: old and new
// password, then Ok (true) or Cancel (false).
struct DialogAnswer
{
    QString Old;
    QString New;
    bool Ok;
};

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
        DialogAnswer answer = pending->front();
        pending->erase(pending->begin());
        QVERIFY(form->OldPassword->text().isEmpty()); // emptied every time it shows
        form->OldPassword->setText(answer.Old);
        form->NewPassword->setText(answer.New);
        form->findChild<QPushButton*>(answer.Ok ? QStringLiteral("OkButton") : QStringLiteral("CancelButton"))
            ->click();
    });
    timer->start(10);
}

} // namespace

class TestCompressionPage : public QObject
{
    Q_OBJECT

private slots:
    void UseCompressionAndItsTwinOnTheRunPageEnableItsControls()
    {
        Rig rig;
        auto radio = [&rig](const char* name) {
            return rig.Page.findChild<QRadioButton*>(QString::fromUtf8(name));
        };
        QVERIFY(!rig.Page.ChgPassWordButton->isEnabled() && !rig.Page.CompressExpand->isEnabled());
        rig.Page.SyncOptUseCompressionMouseUp(); // flips the direction only while compression is on
        QCOMPARE(rig.Opts.CompressExpand, 0);
        rig.Page.SyncOptUseCompression->click();
        QVERIFY(rig.Opts.UseCompression && rig.Page.UseCompression->isChecked());
        QVERIFY(rig.Page.ChgPassWordButton->isEnabled() && rig.Page.CompressionSpeed->isEnabled());
        QVERIFY(!rig.Page.PassWordName->isEnabled()); // never typed into
        QVERIFY(!rig.Page.SavePassword->isEnabled());
        emit rig.Page.SyncOptUseCompression->customContextMenuRequested(QPoint(1, 1));
        QCOMPARE(rig.Opts.CompressExpand, 1);
        QVERIFY(radio("CompressExpand1")->isChecked());
        rig.Page.SyncOptUseCompressionMouseUp();
        QCOMPARE(rig.Opts.CompressExpand, 0);

        radio("CompressExpand1")->click();
        QCOMPARE(rig.Opts.CompressExpand, 1);
        radio("CompressionSpeed2")->click();
        QCOMPARE(rig.Opts.CompressionSpeed, 2);
        rig.Page.CompressedFileExt->selectAll();
        QTest::keyClicks(rig.Page.CompressedFileExt, QStringLiteral("zip"));
        QCOMPARE(rig.Opts.CompressedExt, std::string(".zip"));
        rig.Page.UseCompression->click();
        QVERIFY(!rig.Opts.UseCompression && !rig.Page.SyncOptUseCompression->isChecked());
    }

    void ChangePasswordAsksAgainUntilTheOldOneMatchesThenSaveWritesTheFile()
    {
        Rig rig;
        rig.Opts.UseCompression = true;
        rig.Opts.PassWordName = "old";
        rig.Page.ShowOptions();
        QSignalSpy changed(&rig.Page, &CompressionPage::OptionChanged);
        rig.Host.QueueAnswer(DialogResult::Ok);
        AnswerDialogs(rig.Page,
                      {{QStringLiteral("wrong"), QStringLiteral("x"), true},
                       {QStringLiteral("old"), QStringLiteral("brand new"), true}});
        rig.Page.ChgPassWordButtonClick();
        QCOMPARE(rig.Host.Questions.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(rig.Host.Questions[0].Text),
                 QStringLiteral("Sorry, I do not recognize that Old Password.\nPlease try again."));
        QCOMPARE(rig.Opts.PassWordName, std::string("brand new"));
        QCOMPARE(rig.Page.PassWordName->text(), QStringLiteral("brand new"));
        QVERIFY(rig.Page.SavePassword->isEnabled());
        QCOMPARE(changed.count(), 1); // the batch row being built now differs

        rig.Page.SavePassword->click();
        QVERIFY(!rig.Page.SavePassword->isEnabled());
        FilePasswordStore store;
        auto read = store.ReadPasswords(rig.Home.Folder());
        QVERIFY(read.has_value());
        QCOMPARE(read->first, std::string("brand new"));
    }

    void CancelOrTheSamePasswordAgainChangesNothing()
    {
        for (const DialogAnswer& answer :
             {DialogAnswer{QStringLiteral("old"), QStringLiteral("new"), false},
              DialogAnswer{QStringLiteral("old"), QStringLiteral("old"), true}}) {
            Rig rig;
            rig.Opts.UseCompression = true;
            rig.Opts.PassWordName = "old";
            rig.Page.ShowOptions();
            QSignalSpy changed(&rig.Page, &CompressionPage::OptionChanged);
            AnswerDialogs(rig.Page, {answer});
            rig.Page.ChgPassWordButtonClick();
            const char* row = answer.Ok ? "the same again" : "cancelled";
            QVERIFY2(rig.Opts.PassWordName == "old" && changed.count() == 0, row);
            QVERIFY2(!rig.Opts.SavePasswordEnabled && !rig.Page.SavePassword->isEnabled(), row);
        }
    }
};

QTEST_MAIN(TestCompressionPage)
#include "TestCompressionPage.moc"
