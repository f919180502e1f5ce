// The handheld shell and its Connection page, driving the real widgets
// against the simulated receiver: the tab sets, the connect through the
// worker and timer, help anchors, Ctrl+D, the TRV+ guard and the
// single-instance lock.

#include <string>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "HandheldFixture.h"
#include "SlowDevice.h"
#include "gui/DebugFileDialog.h"
#include "gui/Help.h"
#include "handheld/Pages.h"
#include "handheld/SingleInstance.h"

namespace {

const QString kTrvRunning =
    "This program cannot operate concurrently with TRV+. Please terminate TRV+ and re-run this program.";

void SetGpsVersion(HandheldFixture& f, const char* version) {
    for (auto& c : f.unit->receiver.Components())
        if (c.type == qvr::sim::component::GpsCard) c.texts[3] = version;
}

} // namespace

class HandheldShellTest : public QObject {
    Q_OBJECT
private slots:
    void tabsFollowTheRadio_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("tabs");
        QTest::newRow("no radio") << "none" << QStringList{"Connection", "Receiver"};
        QTest::newRow("UHF radio") << "uhf" << QStringList{"Connection", "Receiver", "Radio"};
        QTest::newRow("GSM module") << "gsm"
                                    << QStringList{"Connection", "Receiver", "Radio", "GSM Bearer", "MRS"};
    }
    void tabsFollowTheRadio() {
        QFETCH(QString, preset);
        QFETCH(QStringList, tabs);
        HandheldFixture f(preset.toStdString());
        CConnectionsPropertyPage* page = f.Connection();
        QCOMPARE(f.app->Sheet()->windowTitle(), QString("QVR Config Tool"));
        QStringList ports;
        for (int i = 0; i < page->Ports()->count(); ++i) ports << page->Ports()->itemText(i);
        QCOMPARE(ports, (QStringList{"SIM1", "COM1", "COM2", "COM6"}));
        QCOMPARE(page->Ports()->currentText(), QString("SIM1"));
        QCOMPARE(page->Status()->text(), QString("Not connected."));
        QVERIFY(page->Status()->font().bold());
        QCOMPARE(page->SerialNumber()->text(), QString("Unknown"));
        QCOMPARE(page->Firmware()->text(), QString("Unknown"));
        QCOMPARE(page->Version()->text(), QString("9.3.2-CE"));
        QCOMPARE(f.Tabs().size(), size_t(1));

        f.PressConnect();
        QStringList shown;
        for (const QString& t : f.Tabs()) shown << t;
        QCOMPARE(shown, tabs);
        QCOMPARE(f.app->Sheet()->ActivePage()->Caption(), QString("Connection"));
        QCOMPARE(page->Status()->text(), QString("Connected"));
        QCOMPARE(page->SerialNumber()->text(), QString("QV410002317"));
        QCOMPARE(page->Firmware()->text(), QString("3.300 / 2.11"));
        QCOMPARE(page->ConnectButton()->text(), QString("Disconnect"));
        QVERIFY(page->ConnectButton()->isEnabled());
        QVERIFY(!page->Ports()->isEnabled());
        QVERIFY(f.program.connected);

        f.PressConnect();
        QCOMPARE(f.Tabs().size(), size_t(1));
        QCOMPARE(page->Status()->text(), QString("Not connected"));
        QCOMPARE(page->SerialNumber()->text(), QString("Unknown"));
        QCOMPARE(page->ConnectButton()->text(), QString("Connect"));
        QVERIFY(page->Ports()->isEnabled());
        QVERIFY(!f.program.connected);
        QVERIFY(!f.receiver->Port().IsOpen());
    }

    void failedConnectOrRefreshLeavesNotConnected_data() {
        QTest::addColumn<bool>("receiverFound");
        QTest::addColumn<bool>("vanishes");  // during the refresh, as with a pulled cable
        QTest::newRow("no receiver") << false << false;
        QTest::newRow("refresh fails") << true << false;
        QTest::newRow("receiver vanishes") << true << true;
    }
    void failedConnectOrRefreshLeavesNotConnected() {
        QFETCH(bool, receiverFound);
        QFETCH(bool, vanishes);
        HandheldFixture f("uhf");
        if (vanishes) {
            // Found after about 6 s at 9600 baud; the refresh and its radio
            // search take longer.
            f.link->VanishAt(qvr::sim::Ms(8000));
        } else if (receiverFound) {
            // A version log without its GPS card entry: the identity read fails.
            auto& components = f.unit->receiver.Components();
            components.erase(components.begin());
        } else {
            f.link->FailOpen("SIM1", 5);
        }
        f.PressConnect();
        CConnectionsPropertyPage* page = f.Connection();
        QCOMPARE(page->Status()->text(), QString("Not connected"));
        QCOMPARE(page->ConnectButton()->text(), QString("Connect"));
        QVERIFY(page->ConnectButton()->isEnabled());
        QVERIFY(page->Ports()->isEnabled());
        QCOMPARE(f.Tabs().size(), size_t(1));
        QVERIFY(!f.program.connected);
        QVERIFY(!f.ui.Prompts().empty());
        if (!receiverFound) {
            QCOMPARE(f.ui.Prompts().size(), size_t(1));
            QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Config Tool"));
            QVERIFY(f.ui.Prompts()[0].text.startsWith("Unable to establish connection to receiver. \n\nPlease verify"));
        }
        if (vanishes) {
            QCOMPARE(f.PromptTexts(), std::vector<QString>{"The receiver stopped answering while its data were being "
                                                           "read. Check the cable and the receiver's power, then "
                                                           "connect again."});
            QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Config Tool"));
            QCOMPARE(f.ui.Prompts()[0].icon, qvr::MessageIcon::Exclamation);
        }
    }

    void outOfDateWarning_data() {
        QTest::addColumn<QString>("gps");
        QTest::addColumn<bool>("warns");
        QTest::newRow("3.1099 reads 3.109") << "3.1099" << true;
        QTest::newRow("3.110") << "3.110" << false;
    }
    void outOfDateWarning() {
        QFETCH(QString, gps);
        QFETCH(bool, warns);
        HandheldFixture f("none");
        SetGpsVersion(f, gps.toLatin1().constData());
        f.PressConnect();
        int warnings = 0;
        for (const auto& p : f.ui.Prompts())
            if (p.text.startsWith("The firmware (OEM and/or UserApp) for this receiver is out of date.")) {
                ++warnings;
                QCOMPARE(p.caption, QString("QVR Config Tool"));
                QCOMPARE(p.icon, qvr::MessageIcon::Exclamation);
            }
        QCOMPARE(warnings, warns ? 1 : 0);
        QCOMPARE(f.Connection()->Status()->text(), QString("Connected"));  // a warning only
    }

    void helpOpensTheDocumentAtTheTabsAnchor() {
        HandheldFixture f("gsm");
        f.PressConnect();
        CQVRPropertySheet* sheet = f.app->Sheet();
        const char* const anchors[] = {"#Connection_tab", "#Receiver_Settings_tab", "#Radio_tab", "#GSM_Bearer_tab",
                                       "#MRS_tab"};
        QCOMPARE(sheet->PageCount(), 5);
        // The title bar's help button on each tab, then F1 from the tab bar
        // the other way round.
        for (int i = 0; i < 5; ++i) {
            sheet->Tabs()->setCurrentIndex(i);
            QCOMPARE(QString(sheet->ActivePage()->HelpAnchor()), QString(anchors[i]));
            QEvent help(QEvent::EnterWhatsThisMode);
            QApplication::sendEvent(sheet, &help);
            QCOMPARE(QString(LastHelpCommandLine()), QString("Config_Tool_Help.htm") + anchors[i]);
        }
        for (int i = 4; i >= 0; --i) {
            sheet->Tabs()->setCurrentIndex(i);
            QTest::keyClick(sheet->Tabs()->tabBar(), Qt::Key_F1);
            QCOMPARE(QString(LastHelpCommandLine()), QString("Config_Tool_Help.htm") + anchors[i]);
        }
    }

    void ctrlDOpensTheDebugFileDialogOnlyWhileConnected() {
        HandheldFixture f("none");
        // Closes the dialog whenever it is up, counting.
        int opened = 0;
        QTimer closer;
        closer.setInterval(5);
        QObject::connect(&closer, &QTimer::timeout, [&opened] {
            if (auto* dialog = qobject_cast<CDebugFileDialog*>(QApplication::activeModalWidget())) {
                ++opened;
                dialog->reject();
            }
        });
        closer.start();
        QTest::keyClick(f.Connection()->Ports(), Qt::Key_D, Qt::ControlModifier);
        QTest::qWait(50);
        QCOMPARE(opened, 0);
        f.PressConnect();
        // From a control of the page, not only from the sheet.
        QTest::keyClick(f.Connection()->ConnectButton(), Qt::Key_D, Qt::ControlModifier);
        QTRY_COMPARE(opened, 1);
    }

    void downloadLeftRunningHoldsThePages() {
        HandheldFixture f("none");
        CDebugFileDialog::SetPollInterval(5);
        f.PressConnect();
        f.ui.ClearPrompts();
        QTemporaryDir dir;
        bool heldAtTheEnd = false;
        f.ui.SetScript([&](QtOperator::Prompt& prompt) {
            prompt.answer = qvr::MessageAnswer::Ok;
            if (prompt.text.startsWith("Are you sure you wish to retrieve")) {
                // The operator closes the dialog; the download goes on.
                if (auto* dialog = qobject_cast<CDebugFileDialog*>(QApplication::activeModalWidget()))
                    dialog->reject();
            } else if (prompt.text == "Successful!") {
                // Still running: the pages are disabled and Ctrl+D says why.
                heldAtTheEnd = !f.Connection()->ConnectButton()->isEnabled();
                QTest::keyClick(f.app->Sheet(), Qt::Key_D, Qt::ControlModifier);
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
        QCOMPARE(f.PromptTexts().size(), size_t(3));
        QCOMPARE(f.PromptTexts()[1], QString("A download is still running; this will be possible when it has ended."));
        QCOMPARE(f.ui.Prompts()[1].caption, QString("QVR Config Tool"));
        QVERIFY(f.Connection()->ConnectButton()->isEnabled());
    }

    void trvPlusGuard_data() {
        QTest::addColumn<QStringList>("processes");
        QTest::addColumn<bool>("snapshotFails");
        QTest::addColumn<bool>("stops");
        QTest::newRow("TRV+.exe") << QStringList{"init", "TRV+.exe"} << false << true;
        QTest::newRow("TRV+.exe.bak") << QStringList{"TRV+.exe.bak"} << false << false;
        QTest::newRow("XTRV+.exe") << QStringList{"XTRV+.exe"} << false << false;
        QTest::newRow("trv+.exe") << QStringList{"trv+.exe"} << false << false;
        QTest::newRow("no snapshot") << QStringList{"TRV+.exe"} << true << false;
    }
    void trvPlusGuard() {
        QFETCH(QStringList, processes);
        QFETCH(bool, snapshotFails);
        QFETCH(bool, stops);
        HandheldFixture f("none");
        for (const QString& name : processes) f.processes.names.push_back(name.toStdString());
        f.processes.snapshotFails = snapshotFails;
        // At Connect: nothing goes to the port when TRV+ runs.
        f.PressConnect();
        const std::vector<QString> guard = stops ? std::vector<QString>{kTrvRunning} : std::vector<QString>{};
        QCOMPARE(f.PromptTexts(), guard);
        if (stops) QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Config Tool"));
        QCOMPARE(f.exitCodes, stops ? std::vector<int>{0} : std::vector<int>{});
        QCOMPARE(f.program.connected, !stops);
        QCOMPARE(f.link->Record().HostWrites().empty(), stops);
        if (f.program.connected) f.PressConnect();

        // When the Connection page is first shown.
        f.ui.ClearPrompts();
        f.exitCodes.clear();
        CQVRConfigToolApp second(f.program, &f.processes);
        QCOMPARE(f.PromptTexts(), std::vector<QString>{});
        second.Sheet()->show();
        QApplication::processEvents();
        QCOMPARE(f.PromptTexts(), guard);
        QCOMPARE(f.exitCodes, stops ? std::vector<int>{0} : std::vector<int>{});
    }

    void singleInstanceLock() {
        const std::string name = "QVRConfigToolTest-" + std::to_string(QCoreApplication::applicationPid());
        auto first = SingleInstance::Acquire(name.c_str());
        QVERIFY(first);
        QVERIFY(!SingleInstance::Acquire(name.c_str()));
        first.reset();
        QVERIFY(SingleInstance::Acquire(name.c_str()));
    }

    void closingDuringAConnectStopsIt() {
        HandheldFixture f("none", 57600);  // found at the sixth rate: a long connect
        qvr::test::SlowDevice slow(f.link->Device());
        AbortableDevice device(slow, *f.clock, f.abort);
        qvr::PlatformServices services{f.clock.get(), &device, &f.trace, nullptr, &f.ui, &f.ui};
        qvr::MAReceiver receiver(qvr::Variant::Handheld, services);
        f.program.receiver = &receiver;
        f.Connection()->ConnectButton()->click();
        QTest::qWait(50);
        QVERIFY(f.worker.Busy());
        QElapsedTimer timer;
        timer.start();
        f.app->Sheet()->close();
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString("%1 ms").arg(timer.elapsed())));
        QVERIFY(!f.worker.Busy());
        QVERIFY(!receiver.Port().IsOpen());
        QVERIFY(!f.app->Sheet()->isVisible());
        QCOMPARE(f.ui.Prompts().size(), size_t(0));  // nothing shown once closing
        // The pages go while the timer still waits for a result; nothing is touched.
        f.app.reset();
        QApplication::processEvents();
        f.program.receiver = f.receiver.get();
    }
};

QTEST_MAIN(HandheldShellTest)
#include "test_handheld_shell.moc"
