// The GSM Settings, GSM Bearer and MRS pages and the AT Test Mode dialog
// against the simulated receiver with its GSM module in virtual time: what
// the pages show of the module, and what the module receives when the
// operator presses their buttons.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "DesktopFixture.h"
#include "GsmRecords.h"
#include "SimGsmModule.h"
#include "desktop/GsmPages.h"

using qvr::MessageAnswer;

namespace {

// One applet request as "type payload" (the payload without its NUL).
QString RequestText(const qvr::sim::SimGsmModule::Request& r) {
    QByteArray payload(reinterpret_cast<const char*>(r.payload.data()), static_cast<qsizetype>(r.payload.size()));
    if (payload.endsWith('\0')) payload.chop(1);
    return QString::number(r.type) + " " + QString::fromLatin1(payload);
}

const QString kSettingsUpdated = "GSM Settings successfully updated.";
const QString kMrsDone = "MRS settings update was successful.";
const QString kCostQuestion =
    "You are configuring the GSM module to connect to an NTRIP caster and stream corrections everytime the receiver "
    "is powered on. This can result in large wireless service fees over time.\n\nDo you wish to continue? ";
const QString kPortInvalid = "Port number appears invalid. Please check.";
const QString kOldApplet = "MRS is only available for GSM modules with an applet version of 3.002 or higher.";
const QString kAtRefused = "ATZ, ATF, and ATW commands not allowed in tool.\n";

struct GsmFixture : DesktopFixture {
    explicit GsmFixture(const std::string& preset = "gsm") : DesktopFixture(preset) {}
    qvr::sim::SimGsmModule& Module() { return static_cast<qvr::sim::SimGsmModule&>(*unit->radio); }
    qvr::sim::GsmModuleConfig& Config() { return Module().Config(); }
    void Connect() {
        PressConnect();
        QVERIFY(program.connected);
        ui.ClearPrompts();
        requestsBefore = Module().Requests().size();
        atLinesBefore = Module().AtLines().size();
    }
    void Activate(CQVRPage* page) {
        app->Sheet()->SetActivePage(Connection());
        app->Sheet()->SetActivePage(page);
        QApplication::processEvents();
    }
    void Finish() {
        worker.WaitIdle();
        QApplication::processEvents();
    }
    // The applet requests and AT lines the module got since the connect.
    QStringList Requests() {
        QStringList list;
        const auto& all = Module().Requests();
        for (size_t i = requestsBefore; i < all.size(); ++i) list << RequestText(all[i]);
        return list;
    }
    QStringList AtLines() {
        QStringList list;
        const auto& all = Module().AtLines();
        for (size_t i = atLinesBefore; i < all.size(); ++i) list << QString::fromStdString(all[i]);
        return list;
    }
    CGSMSettingsPropertyPage* Settings() const { return app->GsmSettingsPage(); }
    CGSMBearerSettingsPropertyPage* Bearer() const { return app->GsmBearerPage(); }
    CDlgAutoMRS* Mrs() const { return app->MrsPage(); }

    size_t requestsBefore = 0, atLinesBefore = 0;
};

} // namespace

class GsmPagesTest : public QObject {
    Q_OBJECT
private slots:
    void settingsShowTheModule_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("emptyLevel");  // the record's level text emptied
        QTest::addColumn<QString>("cregLine");
        QTest::addColumn<QString>("rssi");
        QTest::addColumn<QString>("network");
        QTest::newRow("weak") << -95 << false << "" << "-95 (weak)" << "Registered (home)";
        QTest::newRow("no signal") << 0 << false << "+CREG: 0,5" << "0 (not detectable)" << "Registered (roaming)";
        QTest::newRow("empty level") << -60 << true << "" << "0 (not detectable)" << "Registered (home)";
        QTest::newRow("registration not read") << -75 << false << "+CREG: 0" << "-75 (good)" << "Could not retrieve";
    }
    void settingsShowTheModule() {
        QFETCH(int, signal);
        QFETCH(bool, emptyLevel);
        QFETCH(QString, cregLine);
        QFETCH(QString, rssi);
        QFETCH(QString, network);
        GsmFixture f;
        f.Config().signalLevel = signal;
        f.Config().cregLine = cregLine.toStdString();
        CGSMSettingsPropertyPage* page = f.Settings();
        QCOMPARE(page->Rssi()->text(), QString("N/A"));
        QCOMPARE(page->TestGroup()->title(), QString("Test TCP/GPRS/CSD"));
        f.Connect();
        if (emptyLevel) f.program.record.peripheral.gsm.signalLevel[0] = '\0';
        f.Activate(page);
        QStringList shown;
        for (QLabel* field : {page->ModuleType(), page->HardwareVersion(), page->FirmwareVersion(),
                              page->AppletVersion(), page->Rssi(), page->TotalMemory(), page->NetworkStatus()})
            shown << field->text();
        QCOMPARE(shown, (QStringList{"TC65", "HW 02.100", "SW 03.010", "3.002", rssi, "1700000", network}));
        QVERIFY(page->Rssi()->alignment() & Qt::AlignRight);
    }

    void tcpTest_data() {
        QTest::addColumn<QString>("site");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("output");
        QTest::newRow("www. stripped") << "www.example.com" << true << QStringList{"39 socket://example.com:80"}
                                       << "HTTP/1.1 200 OK";
        QTest::newRow("after the first www.") << "http://www.example.com/x" << true
                                              << QStringList{"39 socket://example.com/x:80"} << "HTTP/1.1 200 OK";
        QTest::newRow("without www. used whole") << "10.1.2.3" << true << QStringList{"39 socket://10.1.2.3:80"}
                                                 << "HTTP/1.1 200 OK";
        QTest::newRow("empty") << "" << true << QStringList{} << "Error: Need website name or IP Address!";
        QTest::newRow("no answer") << "example.com" << false << QStringList{"39 socket://example.com:80"}
                                   << "Error: TCP connection timed out waiting for a response.\nModule may be "
                                      "unresponsive until connection times out.";
    }
    void tcpTest() {
        QFETCH(QString, site);
        QFETCH(bool, answers);
        QFETCH(QStringList, sent);
        QFETCH(QString, output);
        GsmFixture f;
        f.Config().tcpAnswers = answers;
        f.Connect();
        CGSMSettingsPropertyPage* page = f.Settings();
        f.Activate(page);
        page->Output()->setPlainText("earlier output");
        page->WebSite()->setText(site);
        page->ConnectButton()->click();
        // While the module works: Connect disabled, the output emptied.
        QVERIFY(!page->ConnectButton()->isEnabled());
        QCOMPARE(page->Output()->toPlainText(), QString());
        f.Finish();
        QCOMPARE(f.Requests(), sent);
        QCOMPARE(page->Output()->toPlainText(), output);
        QVERIFY(page->ConnectButton()->isEnabled());
        QVERIFY(page->Output()->isReadOnly());
        QVERIFY(f.ui.Prompts().empty());
    }

    void bearerShowsTheRecord_data() {
        QTest::addColumn<int>("connection");
        QTest::addColumn<QString>("apn");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("group");
        QTest::newRow("nothing set") << 0 << "" << 0 << "NO BEARER" << "Test TCP/GPRS";
        QTest::newRow("GPRS") << 0 << "internet" << 30 << "TCP GPRS" << "Test TCP/GPRS";
        QTest::newRow("only a time-out") << 0 << "" << 45 << "TCP GPRS" << "Test TCP/GPRS";
        QTest::newRow("CSD shows as GPRS") << 1 << "internet" << 30 << "TCP GPRS" << "Test TCP/CSD";
        QTest::newRow("none") << 2 << "internet" << 30 << "NO BEARER" << "Test TCP/GPRS/CSD";
    }
    void bearerShowsTheRecord() {
        QFETCH(int, connection);
        QFETCH(QString, apn);
        QFETCH(int, timeout);
        QFETCH(QString, entry);
        QFETCH(QString, group);
        GsmFixture f;
        auto& bearer = f.Config().bearer;
        bearer.defaultConnection = connection;
        bearer.gprsAccessPointName = apn.toStdString();
        bearer.gprsTimeout = timeout;
        if (!apn.isEmpty()) bearer.gprsUserName = "user";
        CGSMBearerSettingsPropertyPage* page = f.Bearer();
        QCOMPARE(page->AccessPointLabel()->text(), QString("GPRSAP_CSDPN"));
        f.Connect();
        f.Activate(page);
        QCOMPARE(DesktopFixture::Shown(page->AccessPointLabel()->text()), QString("Access Point Name:"));
        QCOMPARE(page->BearerType()->currentText(), entry);
        const bool gprs = entry == "TCP GPRS";
        for (QLineEdit* edit : {page->UserName(), page->Password(), page->AccessPoint(), page->Timeout()})
            QCOMPARE(edit->isEnabled(), gprs);
        if (gprs)
            QCOMPARE((QStringList{page->UserName()->text(), page->AccessPoint()->text(), page->Timeout()->text()}),
                     (QStringList{apn.isEmpty() ? "" : "user", apn, QString::number(timeout)}));
        f.Activate(f.Settings());
        QCOMPARE(f.Settings()->TestGroup()->title(), group);

        // Choosing in the list: "NO BEARER" locks the fields, "TCP GPRS"
        // shows the record's GPRS values again.
        f.Activate(page);
        page->BearerType()->setCurrentIndex(CGSMBearerSettingsPropertyPage::kTcpGprsEntry);
        page->AccessPoint()->setText("typed");
        page->BearerType()->setCurrentIndex(CGSMBearerSettingsPropertyPage::kNoBearerEntry);
        QVERIFY(!page->AccessPoint()->isEnabled());
        page->BearerType()->setCurrentIndex(CGSMBearerSettingsPropertyPage::kTcpGprsEntry);
        QVERIFY(page->AccessPoint()->isEnabled());
        QCOMPARE(page->AccessPoint()->text(), apn);
        QVERIFY(f.Requests().isEmpty());
    }

    void bearerSubmit_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<QStringList>("sent");
        const int gprs = CGSMBearerSettingsPropertyPage::kTcpGprsEntry;
        const int none = CGSMBearerSettingsPropertyPage::kNoBearerEntry;
        // The incoming CHAP settings always go with both flags 0 and empty credentials.
        QTest::newRow("TCP GPRS") << gprs << "user" << "30"
                                  << QStringList{"23 user\npw\ninternet.apn\n30\n", "38 0\n0\n\n\n", "37 0\n"};
        QTest::newRow("empty time-out") << gprs << "user" << ""
                                        << QStringList{"23 user\npw\ninternet.apn\n0\n", "38 0\n0\n\n\n", "37 0\n"};
        QTest::newRow("user name cut to 127")
            << gprs << QString(200, 'u') << "5"
            << QStringList{"23 " + QString(127, 'u') + "\npw\ninternet.apn\n5\n", "38 0\n0\n\n\n", "37 0\n"};
        QTest::newRow("NO BEARER") << none << "user" << "30" << QStringList{"40 "};
    }
    void bearerSubmit() {
        QFETCH(int, entry);
        QFETCH(QString, user);
        QFETCH(QString, timeout);
        QFETCH(QStringList, sent);
        GsmFixture f;
        auto& bearer = f.Config().bearer;
        bearer.defaultConnection = 1;
        bearer.gprsAccessPointName = "old.apn";
        bearer.csdNumberAuthentication = true;
        bearer.incomingChapEnabled = true;
        bearer.incomingChapUserName = "in";
        bearer.incomingChapPassword = "inpw";
        f.Connect();
        CGSMBearerSettingsPropertyPage* page = f.Bearer();
        f.Activate(page);
        page->BearerType()->setCurrentIndex(entry);
        page->UserName()->setText(user);
        page->Password()->setText("pw");
        page->AccessPoint()->setText("internet.apn");
        page->Timeout()->setText(timeout);
        page->Submit()->click();
        QVERIFY(!page->Submit()->isEnabled());
        f.Finish();
        QVERIFY(page->Submit()->isEnabled());

        QCOMPARE(f.Requests(), sent);
        QCOMPARE(f.PromptTexts(), std::vector<QString>{kSettingsUpdated});
        QCOMPARE(f.ui.Prompts()[0].icon, qvr::MessageIcon::Information);
        const qvr::BearerRecord& r = f.program.record.peripheral.bearer;
        QVERIFY(r.incomingChapEnabled == 0 && r.csdNumberAuthenticationEnabled == 0 && !r.incomingChapUserName[0]);
        QCOMPARE(r.defaultConnection, 0);

        // The next visits show what was written.
        f.Activate(page);
        QCOMPARE(page->BearerType()->currentIndex(), entry);
        f.Activate(f.Settings());
        QCOMPARE(f.Settings()->TestGroup()->title(), QString("Test TCP/GPRS"));
        if (entry == CGSMBearerSettingsPropertyPage::kNoBearerEntry) {
            const qvr::BearerRecord zero{};
            QVERIFY(std::memcmp(&r, &zero, sizeof r) == 0);
        } else {
            QCOMPARE(r.gprsEntered, uint8_t(1));
            QCOMPARE(page->AccessPoint()->text(), QString("internet.apn"));
        }
    }

    void bearerPartlyWrittenShowsWhatTheModuleHolds_data() {
        QTest::addColumn<int>("refused");  // the applet request the module refuses
        QTest::addColumn<QString>("apn");  // what the module holds afterwards
        QTest::newRow("GPRS settings refused") << 23 << "old.apn";
        QTest::newRow("authentication refused") << 38 << "internet.apn";
        QTest::newRow("default connection refused") << 37 << "internet.apn";
    }
    void bearerPartlyWrittenShowsWhatTheModuleHolds() {
        QFETCH(int, refused);
        QFETCH(QString, apn);
        GsmFixture f;
        f.Config().bearer.defaultConnection = 2;
        f.Config().bearer.gprsAccessPointName = "old.apn";
        f.Connect();
        CGSMBearerSettingsPropertyPage* page = f.Bearer();
        f.Activate(page);
        page->BearerType()->setCurrentIndex(CGSMBearerSettingsPropertyPage::kTcpGprsEntry);
        page->AccessPoint()->setText("internet.apn");
        f.Module().InjectFault({qvr::sim::GsmModuleFault::ErrorReply, 0, 1, static_cast<uint32_t>(refused)});
        page->Submit()->click();
        f.Finish();
        QCOMPARE(QString::fromStdString(f.Module().Bearer().gprsAccessPointName), apn);
        QCOMPARE(f.ui.Prompts().size(), size_t(1));
        QCOMPARE(f.ui.Prompts()[0].icon, qvr::MessageIcon::Error);
        // The record holds what the module confirmed; the next visit shows it.
        QCOMPARE(QString::fromLatin1(f.program.record.peripheral.bearer.gprsAccessPointName), apn);
        f.Activate(page);
        page->BearerType()->setCurrentIndex(CGSMBearerSettingsPropertyPage::kTcpGprsEntry);
        QCOMPARE(page->AccessPoint()->text(), apn);
    }

    void mrsAvailability_data() {
        QTest::addColumn<QString>("applet");
        QTest::addColumn<bool>("available");
        QTest::newRow("3.001") << "3.001" << false;
        QTest::newRow("3.002") << "3.002" << true;
        QTest::newRow("3.1") << "3.1" << true;
    }
    void mrsAvailability() {
        QFETCH(QString, applet);
        QFETCH(bool, available);
        GsmFixture f;
        f.Config().appletVersion = applet.toStdString();
        f.Config().ntrip = {"caster.example.com", "MP", "secret", "2101", "1"};
        f.Connect();
        CDlgAutoMRS* page = f.Mrs();
        // Said at every visit.
        for (int visit = 1; visit <= 2; ++visit) {
            f.Activate(page);
            QCOMPARE(f.ui.Prompts().size(), size_t(available ? 0 : visit));
            for (QWidget* w : std::initializer_list<QWidget*>{page->StartUp(), page->MountPoint(), page->Password(),
                                                              page->Address(), page->Port(), page->Submit()})
                QCOMPARE(w->isEnabled(), available);
        }
        if (!available) {
            QCOMPARE(f.ui.Prompts()[0].text, kOldApplet);
            QCOMPARE(f.ui.Prompts()[0].icon, qvr::MessageIcon::Error);
            QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Family Config Tool"));
            return;
        }
        QCOMPARE(page->Port()->text(), QString("2101"));
        QCOMPARE(page->Address()->text(), QString("caster.example.com"));
        QCOMPARE(page->MountPoint()->text(), QString("MP"));
        QCOMPARE(page->Password()->text(), QString("secret"));
        QCOMPARE(page->StartUp()->currentText(), QString("Enabled"));
    }

    void mrsSubmit_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QList<MessageAnswer>>("answers");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("listAfter");
        const QString written = "29 \nNS_CASTERADDR:caster.example.com\nNS_PORT:2102\nNS_MOUNTPOINT:MP2\n"
                                "NS_PASSWORD:pw2\nNS_ONSTARTUP:%1\n";
        QTest::newRow("Disabled, no question") << "Disabled" << "2102" << "caster.example.com"
                                               << QList<MessageAnswer>{} << QStringList{kMrsDone}
                                               << QStringList{written.arg(0)} << "Disabled";
        QTest::newRow("Enabled after the question")
            << "Enabled" << "2102" << "caster.example.com" << QList<MessageAnswer>{MessageAnswer::Yes}
            << QStringList{kCostQuestion, kMrsDone} << QStringList{written.arg(1)} << "Enabled";
        // Declined: the list goes back to what the module keeps.
        QTest::newRow("Enabled declined") << "Enabled" << "2102" << "caster.example.com"
                                          << QList<MessageAnswer>{MessageAnswer::No} << QStringList{kCostQuestion}
                                          << QStringList{} << "Disabled";
        QTest::newRow("typed, not chosen") << "enabled" << "2102" << "caster.example.com" << QList<MessageAnswer>{}
                                           << QStringList{kMrsDone} << QStringList{written.arg(0)} << "enabled";
        QTest::newRow("port 123456") << "Disabled" << "123456" << "caster.example.com" << QList<MessageAnswer>{}
                                     << QStringList{kPortInvalid} << QStringList{} << "Disabled";
    }
    void mrsSubmit() {
        QFETCH(QString, choice);
        QFETCH(QString, port);
        QFETCH(QString, address);
        QFETCH(QList<MessageAnswer>, answers);
        QFETCH(QStringList, prompts);
        QFETCH(QStringList, sent);
        QFETCH(QString, listAfter);
        GsmFixture f;
        f.Config().ntrip = {"old.example.com", "MP", "secret", "2101", "0"};
        f.Connect();
        CDlgAutoMRS* page = f.Mrs();
        f.Activate(page);
        const int entry = page->StartUp()->findText(choice);
        if (entry >= 0) page->StartUp()->setCurrentIndex(entry);
        else page->StartUp()->setEditText(choice);
        page->Port()->setText(port);
        page->Address()->setText(address);
        page->MountPoint()->setText("MP2");
        page->Password()->setText("pw2");
        f.answers.assign(answers.begin(), answers.end());
        bool locked = true, waitCursor = true;
        f.ui.SetScript([&](QtOperator::Prompt& prompt) {
            locked = locked && !page->Submit()->isEnabled();
            waitCursor = waitCursor && QApplication::overrideCursor() != nullptr;
            if (!f.answers.empty()) {
                prompt.answer = f.answers.front();
                f.answers.erase(f.answers.begin());
            }
        });
        page->Submit()->click();
        f.Finish();

        QStringList shown;
        for (const QString& text : f.PromptTexts()) shown << text;
        QCOMPARE(shown, prompts);
        QVERIFY(locked);
        QVERIFY(waitCursor);
        QCOMPARE(f.Requests(), sent);
        QCOMPARE(page->StartUp()->currentText(), listAfter);
        QVERIFY(page->Submit()->isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        if (!sent.isEmpty()) QCOMPARE(f.program.record.peripheral.gsm.ntrip.port, 2102);
    }

    void atTestMode_data() {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("atLines");
        QTest::addColumn<QString>("result");
        const QString csq = "AT+CSQ\nAT+CSQ\n+CSQ: 19,99\n\nOK\n";
        QTest::newRow("AT&F1 refused") << QStringList{"AT&F1"} << QStringList{} << kAtRefused;
        QTest::newRow("at&w refused") << QStringList{"at&w"} << QStringList{} << kAtRefused;
        QTest::newRow("AT+CSQ answered") << QStringList{"AT+CSQ"} << QStringList{"AT+CSQ"} << csq;
        QTest::newRow("accumulates") << QStringList{"ATZ", "AT+CSQ", "AT+CSQ"} << QStringList{"AT+CSQ", "AT+CSQ"}
                                     << kAtRefused + csq + csq;
    }
    void atTestMode() {
        QFETCH(QStringList, commands);
        QFETCH(QStringList, atLines);
        QFETCH(QString, result);
        GsmFixture f;
        f.Connect();
        ATModeTestDialog dialog(f.program, f.app->Sheet());
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("AT Test Mode"));
        QCOMPARE(dialog.Command()->text(), QString("AT&V"));
        QVERIFY(dialog.ExitButton()->isDefault());
        for (const QString& command : commands) {
            dialog.Command()->setText(command);
            dialog.SubmitButton()->click();
            QVERIFY(!dialog.SubmitButton()->isEnabled());
            QVERIFY(!dialog.ExitButton()->isEnabled());
            // The title bar's close button while the module answers: the dialog stays.
            dialog.close();
            QVERIFY(dialog.isVisible());
            f.Finish();
        }
        QCOMPARE(f.AtLines(), atLines);
        QCOMPARE(dialog.Result()->toPlainText(), result);
        QVERIFY(dialog.SubmitButton()->isEnabled());
        QVERIFY(dialog.ExitButton()->isEnabled());
        const QScrollBar* bar = dialog.Result()->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(f.ui.Prompts().empty());
        dialog.ExitButton()->click();
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(GsmPagesTest)
#include "test_gsm_pages.moc"
