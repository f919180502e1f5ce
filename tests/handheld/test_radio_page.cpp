// The handheld Radio page against the simulated receiver and its radio in
// virtual time: the UHF settings view and the GSM status view, the
// protocol-mode rules, and Submit with its checks, commands and focus.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "HandheldFixture.h"
#include "SimUhfRadio.h"
#include "handheld/RadioPage.h"

using qvr::sim::SimUhfRadio;

namespace {

// A receiver with a UHF radio of ranges 450-470 and 0-0 MHz around 460 MHz,
// connected, the Radio page in front.
struct RadioFixture : HandheldFixture {
    explicit RadioFixture(int protocolMode = 0, bool fec = true) : HandheldFixture("uhf") {
        qvr::sim::UhfRadioConfig config;
        config.range1Lower = 450.0;
        config.range1Upper = 470.0;
        config.range2Lower = 0.0;
        config.range2Upper = 0.0;
        config.center = 460.0;
        config.current = 460.0125;
        config.protocolMode = protocolMode;  // -1: the radio does not report it
        config.fec = fec;
        unit->Fit(std::make_unique<SimUhfRadio>(config));
        PressConnect();
        ui.ClearPrompts();
        Activate();
        app->Sheet()->activateWindow();
        if (!QTest::qWaitForWindowActive(app->Sheet())) qWarning("the sheet did not become active");
    }
    CRadioSettingsPropertyPage* Page() const { return app->RadioPage(); }
    SimUhfRadio& Radio() { return static_cast<SimUhfRadio&>(*unit->radio); }
    void Activate() {
        app->Sheet()->SetActivePage(app->ConnectionPage());
        app->Sheet()->SetActivePage(Page());
        QApplication::processEvents();
    }
    // Submit with a frequency typed; waits for the worker.
    void Submit(const QString& frequency) {
        Page()->NewFrequency()->setText(frequency);
        Page()->Submit()->click();
        QVERIFY(!Page()->Submit()->isEnabled());  // until the radio has answered
        worker.WaitIdle();
        QApplication::processEvents();
        link->AdvanceTo(link->Virtual().Now() + qvr::sim::Ms(500));
    }
    QStringList RadioCommands(size_t from) {
        QStringList commands;
        for (size_t i = from; i < Radio().Commands().size(); ++i)
            commands << QString::fromStdString(Radio().Commands()[i]);
        return commands;
    }
    QStringList Modes() const {
        QStringList modes;
        for (int i = 0; i < Page()->ProtocolMode()->count(); ++i) modes << Page()->ProtocolMode()->itemText(i);
        return modes;
    }
};

} // namespace

class RadioPageTest : public QObject {
    Q_OBJECT
private slots:
    void uhfSettingsView_data() {
        QTest::addColumn<int>("radioMode");  // as the radio reports it; -1 not at all
        QTest::addColumn<bool>("fec");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("listEnabled");
        QTest::addColumn<bool>("fecShown");
        QTest::addColumn<QStringList>("labels");  // rows 2, 3, 4, 5
        const QStringList frequency = {"Compatibility mode:", "Range:", "Current frequency:", "New frequency:"};
        const QStringList channel = {"Modulation mode:", "Range:", "Current channel:", "New Channel:"};
        QTest::newRow("3AS PT") << 0 << true << 0 << true << true << frequency;
        QTest::newRow("PCC-4FSK") << 1 << false << 1 << true << false << channel;
        QTest::newRow("PCC-GMSK") << 2 << false << 2 << true << false << channel;
        QTest::newRow("not reported, FEC on") << -1 << true << 0 << false << true << frequency;
        QTest::newRow("not reported, FEC off") << -1 << false << 0 << false << true << frequency;
    }
    void uhfSettingsView() {
        QFETCH(int, radioMode);
        QFETCH(bool, fec);
        QFETCH(int, index);
        QFETCH(bool, listEnabled);
        QFETCH(bool, fecShown);
        QFETCH(QStringList, labels);
        RadioFixture f(radioMode, fec);
        CRadioSettingsPropertyPage* page = f.Page();
        QCOMPARE(page->InstalledRadio()->text(), QString("UHF(V1.07)"));
        QCOMPARE(f.Modes(), (QStringList{"3AS PT", "PCC-4FSK", "PCC-GMSK"}));
        QVERIFY(page->ProtocolMode()->isVisible());
        QVERIFY(!page->Rssi()->isVisible());
        QCOMPARE(page->ProtocolMode()->currentIndex(), index);
        QCOMPARE(page->ProtocolMode()->isEnabled(), listEnabled);
        QCOMPARE((QStringList{page->Row2Label()->text(), page->Row3Label()->text(), page->Row4Label()->text(),
                              page->Row5Label()->text()}),
                 labels);
        QCOMPARE(page->Range()->text(), QString("450.000-470.000, 0.000-0.000 MHz"));
        QCOMPARE(page->CurrentFrequency()->text(), QString("460.012500 MHz"));
        QCOMPARE(page->NewFrequency()->text(), QString("460.012500"));
        QCOMPARE(page->ChannelSpacing()->text(), QString("12500 Hz"));
        QCOMPARE(page->ErrorCorrection()->isVisible(), fecShown);
        QCOMPARE(page->ErrorCorrectionLabel()->isVisible(), fecShown);
        // A radio without a reported mode shows its own error correction.
        if (fecShown) QCOMPARE(page->ErrorCorrection()->isChecked(), fec);
        QVERIFY(page->Submit()->isVisible() && page->Submit()->isEnabled());
    }

    void backTo3asPtOffersErrorCorrection() {
        RadioFixture f(2, false);
        CRadioSettingsPropertyPage* page = f.Page();
        QVERIFY(!page->ErrorCorrection()->isEnabled());
        page->ProtocolMode()->setCurrentIndex(0);
        QVERIFY(page->ErrorCorrection()->isEnabled());
        QVERIFY(page->ErrorCorrection()->isChecked());
        QVERIFY(page->ErrorCorrection()->isVisible());
        QCOMPARE(page->Row2Label()->text(), QString("Compatibility mode:"));
        QCOMPARE(page->Row4Label()->text(), QString("Current frequency:"));
        QCOMPARE(page->Row5Label()->text(), QString("New frequency:"));
    }

    void gsmStatusView_data() {
        QTest::addColumn<QString>("signal");
        QTest::addColumn<int>("registration");
        QTest::addColumn<QString>("rssi");
        QTest::addColumn<QString>("network");
        QTest::newRow("-85") << "-85" << 1 << "-85 (moderate)" << "Registered (home)";
        QTest::newRow("-80") << "-80" << 5 << "-80 (good)" << "Registered (roaming)";
        QTest::newRow("0") << "0" << 7 << "0 (not detectable)" << "Could not retrieve";
    }
    void gsmStatusView() {
        QFETCH(QString, signal);
        QFETCH(int, registration);
        QFETCH(QString, rssi);
        QFETCH(QString, network);
        HandheldFixture f("gsm");
        f.PressConnect();
        qvr::GsmBlock& gsm = f.program.record.peripheral.gsm;
        qstrncpy(gsm.signalLevel, qPrintable(signal), sizeof gsm.signalLevel);
        gsm.registrationState = registration;
        f.app->Sheet()->SetActivePage(f.app->RadioPage());
        QApplication::processEvents();
        CRadioSettingsPropertyPage* page = f.app->RadioPage();
        QCOMPARE(page->InstalledRadio()->text(), QString("GSM/GPRS(%1)").arg(gsm.appletVersion));
        QCOMPARE(page->Row2Label()->text(), QString("RSSI:"));
        QCOMPARE(page->Rssi()->text(), rssi);
        QCOMPARE(page->Row3Label()->text(), QString("Network status:"));
        QCOMPARE(page->Range()->text(), network);
        QVERIFY(!page->ProtocolMode()->isVisible());
        for (QWidget* hidden : {static_cast<QWidget*>(page->Row4Label()), static_cast<QWidget*>(page->CurrentFrequency()),
                                static_cast<QWidget*>(page->Row5Label()), static_cast<QWidget*>(page->NewFrequency()),
                                static_cast<QWidget*>(page->ChannelSpacing()),
                                static_cast<QWidget*>(page->ErrorCorrection()), static_cast<QWidget*>(page->Submit())})
            QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
    }

    void submitChecksTheFrequency_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("commands");  // to the radio
        QTest::addColumn<QString>("current");       // row 4 afterwards
        const QString raster = "New current frequency must be a multiple of 12500 Hz.";
        const QString range = "The specified frequency does not fall within the specified ranges.";
        QTest::newRow("460.0125") << "460.0125" << "Frequency change successfully updated."
                                  << QStringList{"SL&F=460.012500", "SL**>"} << "460.012500 MHz";
        QTest::newRow("460.0130") << "460.0130" << raster << QStringList{} << "460.012500 MHz";
        QTest::newRow("471.0") << "471.0" << range << QStringList{} << "460.012500 MHz";
        QTest::newRow("470.0, an upper limit") << "470.0" << "Frequency change successfully updated."
                                               << QStringList{"SL&F=470.000000", "SL**>"} << "470.000000 MHz";
        QTest::newRow("empty") << "" << "Invalid entry for new frequency." << QStringList{} << "460.012500 MHz";
        QTest::newRow("no number") << "abc" << "Invalid entry for new frequency." << QStringList{}
                                   << "460.012500 MHz";
    }
    void submitChecksTheFrequency() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QStringList, commands);
        QFETCH(QString, current);
        RadioFixture f;
        const size_t before = f.Radio().Commands().size();
        f.Submit(typed);
        QCOMPARE(f.PromptTexts(), std::vector<QString>{message});
        QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Config Tool"));
        const bool updated = !commands.isEmpty();
        QCOMPARE(f.ui.Prompts()[0].icon, updated ? qvr::MessageIcon::Information : qvr::MessageIcon::Error);
        QCOMPARE(f.RadioCommands(before), commands);
        QCOMPARE(f.Page()->CurrentFrequency()->text(), current);
        QVERIFY(f.Page()->Submit()->isEnabled());
        if (!updated) {
            // Back in the field, its text selected for typing over.
            QVERIFY(f.Page()->NewFrequency()->hasFocus());
            QCOMPARE(f.Page()->NewFrequency()->selectedText(), typed);
        }
    }

    void refusedFrequencyKeepsTheRecord() {
        RadioFixture f;
        // The record's second range lets 480 MHz through; the radio refuses it.
        f.program.record.peripheral.uhf.range2Lower = 470.0;
        f.program.record.peripheral.uhf.range2Upper = 490.0;
        f.Submit("480.0");
        QCOMPARE(f.PromptTexts(),
                 std::vector<QString>{"Radio did not accept frequency change. Please check new frequency entry."});
        QCOMPARE(f.ui.Prompts()[0].icon, qvr::MessageIcon::Error);
        QCOMPARE(f.program.record.peripheral.uhf.currentFrequency, 460.0125);
        QVERIFY(f.Page()->NewFrequency()->hasFocus());
    }

    void modeAndErrorCorrectionGoFirst_data() {
        QTest::addColumn<int>("radioMode");
        QTest::addColumn<bool>("radioFec");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QStringList>("commands");  // mode commands to the radio
        QTest::addColumn<bool>("toggled");          // error correction switched in the menu
        QTest::addColumn<int>("recordMode");
        QTest::addColumn<int>("recordFec");
        QTest::newRow("to PCC-GMSK: FEC off") << 0 << true << 2 << true << QStringList{"SL@S=2"} << true << 2 << 0;
        QTest::newRow("FEC box cleared") << 0 << true << 0 << false << QStringList{} << true << 0 << 0;
        QTest::newRow("nothing changed") << 0 << true << 0 << true << QStringList{} << false << 0 << 1;
        QTest::newRow("not reported: no mode") << -1 << false << 0 << false << QStringList{} << false << 3 << 0;
    }
    void modeAndErrorCorrectionGoFirst() {
        QFETCH(int, radioMode);
        QFETCH(bool, radioFec);
        QFETCH(int, index);
        QFETCH(bool, checked);
        QFETCH(QStringList, commands);
        QFETCH(bool, toggled);
        QFETCH(int, recordMode);
        QFETCH(int, recordFec);
        RadioFixture f(radioMode, radioFec);
        CRadioSettingsPropertyPage* page = f.Page();
        if (page->ProtocolMode()->isEnabled()) page->ProtocolMode()->setCurrentIndex(index);
        page->ErrorCorrection()->setChecked(checked);
        const size_t before = f.Radio().Commands().size();
        const size_t keys = f.Radio().Keystrokes().size();
        // A refused frequency leaves them changed all the same.
        f.Submit("471.0");
        QStringList modeCommands;
        for (const QString& c : f.RadioCommands(before))
            if (c.startsWith("SL@S=")) modeCommands << c;
        QCOMPARE(modeCommands, commands);
        QCOMPARE(f.Radio().Keystrokes().size() > keys, toggled);
        QCOMPARE(f.program.record.peripheral.uhf.protocolMode, recordMode);
        QCOMPARE(f.program.record.peripheral.uhf.errorCorrection, recordFec);
        QCOMPARE(f.PromptTexts(),
                 std::vector<QString>{"The specified frequency does not fall within the specified ranges."});
    }
};

QTEST_MAIN(RadioPageTest)
#include "test_radio_page.moc"
