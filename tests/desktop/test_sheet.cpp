// The desktop shell and the Connection page, driving the real widgets
// against the simulated receiver.
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/Dialogs.h"

#include "DesktopFixture.h"
#include "SlowDevice.h"
#include "desktop/AudioPage.h"
#include "desktop/GsmPages.h"
#include "gui/DebugFileDialog.h"
#include "gui/Help.h"
#include "desktop/Pages.h"

using qvr::MessageAnswer;

namespace {

// Counts the paint events of a label and keeps the texts it painted.
class PaintCounter : public QObject {
public:
    int paints = 0;
    QStringList texts;
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            const QString text = static_cast<QLabel*>(object)->text();
            if (texts.isEmpty() || texts.last() != text) texts << text;
        }
        return false;
    }
};

void SetGpsVersion(DesktopFixture& f, const char* version) {
    for (auto& c : f.unit->receiver.Components())
        if (c.type == qvr::sim::component::GpsCard) c.texts[3] = version;
}

} // namespace

class SheetTest : public QObject {
    Q_OBJECT
private slots:
    void tabsFollowTheRadio_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("tabs");
        QTest::newRow("no radio") << "none" << QStringList{"Connection", "Receiver Settings"};
        QTest::newRow("UHF radio") << "uhf"
                                   << QStringList{"Connection", "Receiver Settings", "UHF Settings", "UHF Upgrade"};
        QTest::newRow("GSM module") << "gsm"
                                    << QStringList{"Connection", "Receiver Settings", "GSM Bearer", "GSM Settings",
                                                   "GSM Upgrade", "MRS"};
    }
    void tabsFollowTheRadio() {
        QFETCH(QString, preset);
        QFETCH(QStringList, tabs);
        DesktopFixture f(preset.toStdString());
        QCOMPARE(f.Tabs().size(), size_t(1));
        f.PressConnect();
        QStringList shown;
        for (const QString& t : f.Tabs()) shown << t;
        QCOMPARE(shown, tabs);
        QCOMPARE(f.app->Sheet()->ActivePage()->Caption(), QString("Connection"));
        QCOMPARE(f.Connection()->Status()->text(), QString("Connected."));
        QCOMPARE(f.Shown(f.Connection()->ConnectButton()->text()), QString("Disconnect"));
        QVERIFY(!f.Connection()->Ports()->isEnabled());
        QVERIFY(f.program.connected);
        f.PressConnect();
        QCOMPARE(f.Tabs().size(), size_t(1));
        QCOMPARE(f.Connection()->Status()->text(), QString("Not Connected."));
        QCOMPARE(f.Shown(f.Connection()->ConnectButton()->text()), QString("Connect"));
        QVERIFY(f.Connection()->Ports()->isEnabled());
        QVERIFY(!f.program.connected);
    }

    void identityRows() {
        DesktopFixture f("uhf");
        QVERIFY(!f.Connection()->SerialNumber()->isVisible());
        f.PressConnect();
        QVERIFY(f.Connection()->SerialNumber()->isVisible());
        QCOMPARE(f.Connection()->SerialNumber()->text(), QString("QV410002317"));
        QCOMPARE(f.Connection()->Firmware()->text(), QString("3.300 / 2.11"));
        QCOMPARE(f.Connection()->Radio()->text(), QString("UHF"));
    }

    void failedConnectShowsTheLongMessage() {
        DesktopFixture f;
        f.link->FailOpen("SIM1", 5);
        f.PressConnect();
        QCOMPARE(f.ui.Prompts().size(), size_t(1));
        QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Family Config Tool."));
        QVERIFY(f.ui.Prompts()[0].text.startsWith("Unable to establish connection to receiver. \n\nPlease verify"));
        QCOMPARE(f.Connection()->Status()->text(), QString("Not Connected."));
        QVERIFY(f.Connection()->ConnectButton()->isEnabled());
        QVERIFY(f.Connection()->Ports()->isEnabled());
        QCOMPARE(f.Tabs().size(), size_t(1));
    }

    void failedRefreshShowsNotAvailableAndASecondConnectWorks() {
        DesktopFixture f;
        // A version log without its GPS card entry: the identity read fails.
        auto& components = f.unit->receiver.Components();
        const auto gps = components.front();
        components.erase(components.begin());
        f.PressConnect();
        QCOMPARE(f.PromptTexts().back(), QString("Version Log is missing DB_VLOG_GPSCARD entry."));
        QCOMPARE(f.Connection()->Status()->text(), QString("Not Connected."));
        QCOMPARE(f.Connection()->SerialNumber()->text(), QString("N/A"));
        QCOMPARE(f.Connection()->Radio()->text(), QString("N/A"));
        QVERIFY(!f.program.connected);
        QCOMPARE(f.Tabs().size(), size_t(1));
        components.insert(components.begin(), gps);
        f.PressConnect();
        QCOMPARE(f.Connection()->Status()->text(), QString("Connected."));
        QCOMPARE(f.Tabs().size(), size_t(2));
    }

    void outOfDateWarning_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("gps");
        QTest::addColumn<bool>("warns");
        QTest::newRow("MAX 3.100") << "none" << "3.100" << true;
        QTest::newRow("MAX 3.1099 reads 3.109") << "none" << "3.1099" << true;
        QTest::newRow("MAX 3.110") << "none" << "3.110" << false;
        QTest::newRow("MAX 3.2") << "none" << "3.2" << false;
        QTest::newRow("MA 3.100") << "ma" << "3.100" << false;
        QTest::newRow("LBX 1.0") << "lbx" << "1.0" << false;
    }
    void outOfDateWarning() {
        QFETCH(QString, preset);
        QFETCH(QString, gps);
        QFETCH(bool, warns);
        DesktopFixture f(preset.toStdString());
        SetGpsVersion(f, gps.toLatin1().constData());
        f.PressConnect();
        bool warned = false;
        for (const auto& p : f.ui.Prompts())
            if (p.text.startsWith("The firmware (OEM and/or UserApp) for this receiver is out of date.")) {
                warned = true;
                QCOMPARE(p.caption, QString("QVR Family Config Tool"));
                QCOMPARE(p.icon, qvr::MessageIcon::Exclamation);
            }
        QCOMPARE(warned, warns);
        QCOMPARE(f.Connection()->Status()->text(), QString("Connected."));
    }

    void helpTopicsPerTab() {
        DesktopFixture f("gsm");
        f.PressConnect();
        CQVRPropertySheet* sheet = f.app->Sheet();
        const int topics[] = {1, 2, 3, 4, 5, 6};
        for (int i = 0; i < sheet->PageCount(); ++i) {
            sheet->Tabs()->setCurrentIndex(i);
            QTest::keyClick(sheet, Qt::Key_F1);
            QCOMPARE(LastHelpTopic(), topics[i]);
        }
        // The MRS page's own Help button opens its topic, 8.
        sheet->Tabs()->setCurrentIndex(5);
        QCOMPARE(sheet->ActivePage()->Caption(), QString("MRS"));
        auto* help = sheet->ActivePage()->findChild<QPushButton*>("Help");
        QVERIFY(help);
        help->click();
        QCOMPARE(LastHelpTopic(), 8);
    }

    void hotKeysOnlyWhileConnected() {
        DesktopFixture f("none");
        QTest::keyClick(f.app->Sheet(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(f.ui.Prompts().size(), size_t(0));
        f.PressConnect();
        f.ui.ClearPrompts();
        QTest::keyClick(f.app->Sheet(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(f.ui.Prompts().size(), size_t(1));
        QCOMPARE(f.ui.Prompts()[0].text, QString("Feature only applicable for receivers with UHF radios."));
        QCOMPARE(f.ui.Prompts()[0].caption, QString("Error"));
    }

    void ctrlNWritesTheSerialNumberOrSaysItCouldNot_data() {
        QTest::addColumn<bool>("writes");
        QTest::newRow("written") << true;
        QTest::newRow("not written") << false;
    }
    void ctrlNWritesTheSerialNumberOrSaysItCouldNot() {
        QFETCH(bool, writes);
        DesktopFixture f("none");
        f.PressConnect();
        f.ui.ClearPrompts();
        // The receiver loses the version log the write needs.
        if (!writes) f.unit->receiver.InjectFault(qvr::sim::FrameFault::LostFrame, 1);
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<CChangeSerialDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClicks(dialog->Edit(), "abc12345678");
            QVERIFY(dialog->SubmitButton()->isEnabled());
            dialog->SubmitButton()->click();
        });
        QTest::keyClick(f.app->Sheet(), Qt::Key_N, Qt::ControlModifier);
        f.worker.WaitIdle();
        QApplication::processEvents();
        const QString expected = writes ? "ABC12345678" : "QV410002317";
        QCOMPARE(f.Connection()->SerialNumber()->text(), expected);
        QCOMPARE(QString(f.program.record.info.serialNumber), expected);
        QCOMPARE(f.ui.Prompts().size(), size_t(writes ? 0 : 1));
        if (!writes) QCOMPARE(f.ui.Prompts()[0].icon, qvr::MessageIcon::Error);
        if (writes) {
            f.link->AdvanceTo(f.link->Virtual().Now());
            QCOMPARE(QString::fromStdString(f.unit->receiver.Components()[1].texts[1]), QString("ABC12345678"));
        }
    }

    void hotKeysReachTheSheetFromAList() {
        DesktopFixture f("uhf");
        f.PressConnect();
        f.ui.ClearPrompts();
        CAudioPropertyPage* audio = f.app->ReceiverSettingsPage();
        f.app->Sheet()->SetActivePage(audio);
        const int before = audio->Language()->currentIndex();
        f.answers = {MessageAnswer::Cancel};
        // A list with the focus would take Ctrl+F as type-ahead.
        QTest::keyClick(audio->Language(), Qt::Key_F, Qt::ControlModifier);
        QApplication::processEvents();
        QCOMPARE(f.PromptTexts(), std::vector<QString>{"You are attempting to change the UHF Center frequency. Do "
                                                        "you wish to proceed?"});
        QCOMPARE(audio->Language()->currentIndex(), before);
    }

    void hotKeysLetTheKeyGoOnToAnEditField() {
        DesktopFixture f("gsm");
        f.PressConnect();
        f.ui.ClearPrompts();
        CGSMSettingsPropertyPage* page = f.app->GsmSettingsPage();
        f.app->Sheet()->SetActivePage(page);
        QLineEdit* edit = page->WebSite();
        edit->setText("www.example.com");
        edit->deselect();
        int opened = 0;
        QTimer closer;
        closer.setInterval(5);
        QObject::connect(&closer, &QTimer::timeout, [&opened] {
            if (auto* dialog = qobject_cast<ATModeTestDialog*>(QApplication::activeModalWidget())) {
                ++opened;
                dialog->reject();
            }
        });
        closer.start();
        // Ctrl+A opens AT Test Mode and selects the field's text; typing
        // then replaces it.
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(edit->selectedText(), QString("www.example.com"));
        QTRY_COMPARE(opened, 1);
        QTest::keyClicks(edit, "x");
        QCOMPARE(edit->text(), QString("x"));
        // A control that ignores the key passes it to its parents: still once.
        QTest::keyClick(page->ConnectButton(), Qt::Key_A, Qt::ControlModifier);
        QTRY_COMPARE(opened, 2);
        QTest::qWait(30);
        QCOMPARE(opened, 2);
    }

    void downloadLeftRunningHoldsThePages() {
        DesktopFixture f("none");
        CDebugFileDialog::SetPollInterval(5);
        f.PressConnect();
        f.ui.ClearPrompts();
        QTemporaryDir dir;
        bool heldAtTheEnd = false;
        f.ui.SetScript([&](QtOperator::Prompt& prompt) {
            prompt.answer = MessageAnswer::Ok;
            if (prompt.text.startsWith("Are you sure you wish to retrieve")) {
                // The operator closes the dialog; the download goes on.
                if (auto* dialog = qobject_cast<CDebugFileDialog*>(QApplication::activeModalWidget()))
                    dialog->reject();
            } else if (prompt.text == "File Download Successful!") {
                // Still running: the pages are disabled and a hot key says why.
                heldAtTheEnd = !f.Connection()->ConnectButton()->isEnabled();
                QTest::keyClick(f.app->Sheet(), Qt::Key_N, Qt::ControlModifier);
            }
        });
        QTimer::singleShot(0, [&dir] {
            auto* dialog = qobject_cast<CDebugFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Path()->setText(dir.filePath("debug.bin"));
            dialog->GetFileButton()->click();
        });
        QTest::keyClick(f.app->Sheet(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!f.Connection()->ConnectButton()->isEnabled());
        f.worker.WaitIdle();
        QApplication::processEvents();
        QVERIFY(heldAtTheEnd);
        // Recorded as each prompt is answered: the one asked from within the last first.
        QCOMPARE(f.PromptTexts(), (std::vector<QString>{
                                      "Are you sure you wish to retrieve the file? It may take a long time to download.",
                                      "A download is still running; this will be possible when it has ended.",
                                      "File Download Successful!"}));
        QCOMPARE(f.ui.Prompts()[1].caption, QString("QVR Family Config Tool"));
        QVERIFY(f.Connection()->ConnectButton()->isEnabled());
        QVERIFY(f.Connection()->isEnabled());
    }

    void closingDuringAConnectEndsItAtOnce() {
        DesktopFixture f("none", 57600);  // found at the sixth rate: a long connect
        qvr::test::SlowDevice slow(f.link->Device());
        AbortableDevice device(slow, *f.clock, f.abort);
        qvr::PlatformServices services{f.clock.get(), &device, &f.trace, nullptr, &f.ui, &f.ui};
        qvr::MAReceiver receiver(qvr::Variant::Desktop, services);
        f.program.receiver = &receiver;
        f.Connection()->ConnectButton()->click();
        QTest::qWait(50);
        QVERIFY(f.worker.Busy());
        QElapsedTimer timer;
        timer.start();
        f.app->Sheet()->close();
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString("%1 ms").arg(timer.elapsed())));
        QVERIFY(!f.worker.Busy());
        QVERIFY(!f.program.connected);
        QVERIFY(!receiver.Port().IsOpen());
        QVERIFY(!f.app->Sheet()->isVisible());
        QCOMPARE(f.ui.Prompts().size(), size_t(0));  // nothing shown once closing
        f.program.receiver = f.receiver.get();
    }

    void focusGoesBackToTheButtonPressed_data() {
        QTest::addColumn<bool>("found");
        QTest::newRow("connected") << true;
        QTest::newRow("connect failed") << false;
    }
    void focusGoesBackToTheButtonPressed() {
        QFETCH(bool, found);
        DesktopFixture f("none");
        if (!found) f.link->FailOpen("SIM1", 5);
        f.app->Sheet()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.app->Sheet()));
        QPushButton* button = f.Connection()->ConnectButton();
        button->setFocus();
        f.PressConnect();
        QCOMPARE(QApplication::focusWidget(), button);
    }

    void sheetShrinksAfterTheGsmTabsAndValuesStayNearLabels() {
        DesktopFixture f("gsm");
        CQVRPropertySheet* sheet = f.app->Sheet();
        QApplication::processEvents();
        const int alone = sheet->width();
        f.PressConnect();
        QVERIFY(sheet->width() > alone);  // six tabs in view
        f.PressConnect();
        QApplication::processEvents();
        QCOMPARE(sheet->width(), alone);
        sheet->resize(1600, 700);
        QApplication::processEvents();
        QVERIFY(f.Connection()->Status()->geometry().right() < 700);
    }

    void windowRepaintsDuringAConnect() {
        DesktopFixture f("none");
        qvr::test::SlowDevice slow(f.link->Device());
        qvr::PlatformServices services{&f.link->Clock(), &slow, &f.trace, nullptr, &f.ui, &f.ui};
        qvr::MAReceiver receiver(qvr::Variant::Desktop, services);
        f.program.receiver = &receiver;
        PaintCounter counter;
        f.Connection()->Status()->installEventFilter(&counter);
        f.Connection()->ConnectButton()->click();
        int paintsWhileRunning = 0;
        while (f.worker.Busy()) {
            QVERIFY(!f.Connection()->ConnectButton()->isEnabled());
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            if (f.worker.Busy()) paintsWhileRunning = counter.paints;
        }
        QVERIFY2(paintsWhileRunning > 0, "no paint event while the worker ran");
        // Every progress text was on the screen.
        for (const char* text : {"Connecting...", "Collecting Data...", "Retrieving receiver settings...",
                                 "Retrieving audio settings...", "Retrieving device settings...",
                                 "Searching for installed radio...", "Connected."})
            QVERIFY2(counter.texts.contains(text), text);
        f.worker.WaitIdle();
        f.Connection()->Status()->removeEventFilter(&counter);
        f.PressConnect();  // disconnect before the local receiver object goes
        f.program.receiver = f.receiver.get();
    }
};

QTEST_MAIN(SheetTest)
#include "test_sheet.moc"
