// The UHF Settings page and the centre-frequency dialog against the
// simulated receiver and UHF radio in virtual time: what the page shows on
// activation, the radio commands of Submit in their order with the
// messages, and the dialog's checks and the program's end after it.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "DesktopFixture.h"
#include "SimUhfRadio.h"
#include "desktop/UhfPage.h"

namespace {

const QString kRaster = "New current frequency must be a multiple of 12500 Hz from the center frequency.";

struct UhfFixture : DesktopFixture {
    UhfFixture() : DesktopFixture("uhf") {
        PressConnect();
        ui.ClearPrompts();
    }
    CUHFPropertyPage* Page() const { return app->UhfPage(); }
    qvr::sim::SimUhfRadio& Radio() { return static_cast<qvr::sim::SimUhfRadio&>(*unit->radio); }
    void Activate() {
        app->Sheet()->SetActivePage(app->ConnectionPage());
        app->Sheet()->SetActivePage(Page());
        QApplication::processEvents();
    }
    // Lets the simulated receiver and radio take everything sent so far.
    void Settle() { link->AdvanceTo(link->Virtual().Now() + qvr::sim::Ms(500)); }
    QStringList RadioCommandsSince(size_t from) {
        Settle();
        QStringList commands;
        const auto& all = Radio().Commands();
        for (size_t i = from; i < all.size(); ++i) commands << QString::fromStdString(all[i]);
        return commands;
    }
};

// Opens the centre-frequency dialog with Ctrl+F (the warning answered OK)
// and hands it to `use` once it is up.
void WithCenterDialog(UhfFixture& f, std::function<void(CCenterFrequencyDialog*)> use) {
    f.answers = {qvr::MessageAnswer::Ok};
    QTimer::singleShot(0, [use] {
        auto* dialog = qobject_cast<CCenterFrequencyDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        use(dialog);
    });
    QTest::keyClick(f.app->Sheet(), Qt::Key_F, Qt::ControlModifier);
}

} // namespace

class UhfPageTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsStartAsNotAvailable() {
        DesktopFixture f("uhf");
        CUHFPropertyPage* page = f.app->UhfPage();
        for (QLabel* field : {page->ModuleName(), page->FirmwareVersion(), page->FrequencyRanges(),
                              page->CurrentFrequency()})
            QCOMPARE(field->text(), QString("N/A"));
        QStringList power;
        for (int i = 0; i < page->TxPower()->count(); ++i) power << page->TxPower()->itemText(i);
        QCOMPARE(power, (QStringList{".010", ".020", ".050", ".100", ".200", ".500", "1.000"}));
        QCOMPARE(DesktopFixture::Shown(page->Submit()->text()), QString("Submit"));
        QCOMPARE(page->findChild<QLabel*>("Note")->text(),
                 QString("Note: Radio Data transmission or reception may interfere with correct operation of the QVR "
                         "Family Config Tool. The UHF radio settings seen on this page may be affected."));
    }

    void activationShowsTheRecord_data() {
        QTest::addColumn<QString>("txPower");
        QTest::addColumn<int>("fec");
        QTest::addColumn<QString>("shown");
        QTest::newRow("500") << "500" << 1 << ".500";
        QTest::newRow("1000") << "1000" << 0 << "1.000";
        QTest::newRow("250 is no choice") << "250" << 1 << "1.000";
        QTest::newRow("empty") << "" << 0 << "1.000";
    }
    void activationShowsTheRecord() {
        QFETCH(QString, txPower);
        QFETCH(int, fec);
        QFETCH(QString, shown);
        UhfFixture f;
        qvr::UhfBlock& uhf = f.program.record.peripheral.uhf;
        std::snprintf(uhf.txPower, sizeof uhf.txPower, "%s", qPrintable(txPower));
        uhf.errorCorrection = fec;
        f.Activate();
        CUHFPropertyPage* page = f.Page();
        QCOMPARE(page->TxPower()->currentText(), shown);
        QCOMPARE(page->ErrorCorrection()->isChecked(), fec == 1);
        QCOMPARE(page->ModuleName()->text(), QString("SL 450 MHz"));
        QCOMPARE(page->FirmwareVersion()->text(), QString("V1.07"));
        QCOMPARE(page->FrequencyRanges()->text(), QString("403.00000-430.00000, 430.00000-473.00000 MHz"));
        QCOMPARE(page->CurrentFrequency()->text(), QString("450.012500 MHz"));
        QCOMPARE(page->Frequency()->text(), QString("450.012500"));
    }

    void submitSendsPowerThenFrequency_data() {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<bool>("toggleFec");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("current");
        QTest::newRow("on the raster") << "450.0125" << false
                                       << QStringList{"SL@P=200", "SL&F=450.012500", "SL**>"}
                                       << "Changes were successful." << "450.012500 MHz";
        QTest::newRow("new frequency") << "450.1" << false << QStringList{"SL@P=200", "SL&F=450.100000", "SL**>"}
                                       << "Changes were successful." << "450.100000 MHz";
        QTest::newRow("off the raster") << "450.00625" << true << QStringList{"SL@P=200"} << kRaster
                                        << "450.012500 MHz";
        QTest::newRow("empty field") << "" << true << QStringList{"SL@P=200"} << "Invalid entry for new frequency."
                                     << "450.012500 MHz";
    }
    void submitSendsPowerThenFrequency() {
        QFETCH(QString, frequency);
        QFETCH(bool, toggleFec);
        QFETCH(QStringList, commands);
        QFETCH(QString, message);
        QFETCH(QString, current);
        UhfFixture f;
        f.Activate();
        CUHFPropertyPage* page = f.Page();
        QCOMPARE(f.program.record.peripheral.uhf.centerFrequency, 450.0);
        page->TxPower()->setCurrentIndex(4);  // ".200"
        page->Frequency()->setText(frequency);
        if (toggleFec) page->ErrorCorrection()->setChecked(!page->ErrorCorrection()->isChecked());
        bool submitLocked = false;
        f.ui.SetScript([&](QtOperator::Prompt&) { submitLocked = !page->Submit()->isEnabled(); });
        const size_t from = f.Radio().Commands().size();
        const size_t keys = f.Radio().Keystrokes().size();
        page->Submit()->click();
        f.worker.WaitIdle();
        QApplication::processEvents();

        QCOMPARE(f.RadioCommandsSince(from), commands);
        // A refused frequency never reaches the error-correction change;
        // an unchanged check box sends no menu keys either.
        QCOMPARE(f.Radio().Keystrokes().size(), keys);
        QCOMPARE(f.PromptTexts(), std::vector<QString>{message});
        QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Family Config Tool"));
        QVERIFY(submitLocked);
        QVERIFY(page->Submit()->isEnabled());
        QCOMPARE(page->CurrentFrequency()->text(), current);
        // The power is taken whatever the outcome.
        QCOMPARE(QString(f.program.record.peripheral.uhf.txPower), QString("200"));
        QCOMPARE(f.Radio().Live().txPowerMw, 200);
    }

    void submitTogglesErrorCorrectionWhenChanged() {
        UhfFixture f;
        f.Activate();
        CUHFPropertyPage* page = f.Page();
        QVERIFY(page->ErrorCorrection()->isChecked());
        page->ErrorCorrection()->setChecked(false);
        page->Submit()->click();
        f.worker.WaitIdle();
        QApplication::processEvents();
        f.Settle();
        QCOMPARE(f.PromptTexts(), std::vector<QString>{"Changes were successful."});
        QCOMPARE(f.program.record.peripheral.uhf.errorCorrection, 0);
        QVERIFY(!f.Radio().Stored().fec);
        // The next activation shows the record as changed.
        f.Activate();
        QVERIFY(!page->ErrorCorrection()->isChecked());
        QCOMPARE(page->TxPower()->currentText(), QString(".500"));
    }

    void centerDialogRefusesNonNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << "0";
        QTest::newRow("letters") << "abc";
    }
    void centerDialogRefusesNonNumbers() {
        QFETCH(QString, text);
        UhfFixture f;
        const size_t writes = f.link->Record().HostWrites().size();
        bool stayedOpen = false;
        WithCenterDialog(f, [&](CCenterFrequencyDialog* dialog) {
            QCOMPARE(dialog->Edit()->text(), QString("450.000000"));
            QCOMPARE(dialog->Status()->text(), QString("N/A"));
            dialog->Edit()->setText(text);
            dialog->OkButton()->click();
            stayedOpen = dialog->isVisible();
            dialog->CancelButton()->click();
        });
        QVERIFY(stayedOpen);
        QCOMPARE(f.PromptTexts(), (std::vector<QString>{
                                      "You are attempting to change the UHF Center frequency. Do you wish to proceed?",
                                      "Frequency does not appear to be a valid number?"}));
        QCOMPARE(f.ui.Prompts()[1].caption, QString("Error"));
        QCOMPARE(f.ui.Prompts()[1].icon, qvr::MessageIcon::Error);
        // Cancel: nothing sent, the program goes on.
        QCOMPARE(f.link->Record().HostWrites().size(), writes);
        QVERIFY(f.exitCodes.empty());
    }

    void centerDialogRefusedChangeEndsTheProgram() {
        UhfFixture f;
        QString statusWhileRunning;
        f.ui.SetScript([&](QtOperator::Prompt& prompt) {
            if (!f.answers.empty()) {
                prompt.answer = f.answers.front();
                f.answers.erase(f.answers.begin());
            }
            if (auto* d = qobject_cast<CCenterFrequencyDialog*>(QApplication::activeModalWidget()))
                if (!d->OkButton()->isEnabled()) statusWhileRunning = d->Status()->text();
        });
        WithCenterDialog(f, [](CCenterFrequencyDialog* dialog) {
            dialog->Edit()->setText("450.003");  // not on the 6250 Hz raster
            dialog->OkButton()->click();
        });
        f.worker.WaitIdle();
        QApplication::processEvents();
        QCOMPARE(statusWhileRunning, QString("Processing, please wait..."));
        const auto texts = f.PromptTexts();
        QCOMPARE(texts.size(), size_t(3));
        QVERIFY(texts[1].contains("New center frequency must be a multiple of 6250 hertz!"));
        QCOMPARE(f.ui.Prompts()[1].caption, QString("Error setting center frequency."));
        QCOMPARE(texts[2], QString("Change was was not successful. Application will terminate, please restart receiver."));
        QCOMPARE(f.ui.Prompts()[2].caption, QString("Failure!"));
        QCOMPARE(f.exitCodes, std::vector<int>{0});
        QCOMPARE(f.Radio().Live().centerHz, qvr::sim::SimUhfRadio::Hz(450.0));
    }
};

QTEST_MAIN(UhfPageTest)
#include "test_uhf_page.moc"
