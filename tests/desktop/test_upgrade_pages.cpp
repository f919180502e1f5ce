// The UHF Upgrade and GSM Upgrade pages against the simulated receiver and
// radios in virtual time: the file checks and the question, upgrades from
// Start to the end of the program with their messages, upgrades that end
// early, and the window repainting while the engine runs.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "DesktopFixture.h"
#include "SlowDevice.h"
#include "TestFiles.h"
#include "SimGsmModule.h"
#include "SimUhfRadio.h"
#include "desktop/UpgradePages.h"

using qvr::MessageAnswer;

namespace {

const QString kUhfQuestion =
    "This application will become unresponsive after the upgrade is complete, and will automatically be closed. You "
    "must also turn off the QVR4100 MA receiver following the upgrade.\n\nAre you sure you wish to continue?";
const QString kGsmQuestion =
    "This application will become unresponsive after the applet upgrade is complete, and will automatically be "
    "closed. You must also turn off the QVR4100 MA receiver following the upgrade.\n\nAre you sure you wish to "
    "continue?";
const QString kMissing = "The specified upgrade file does not seem to exist. Please reselect and try again.";
const QString kSuccess = "Upgrade Successful!";
const QString kFailure =
    "Upgrade was not successful. Verify radio operation and contact a service depot for assistance.";

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

QByteArray Pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 256 + 7) & 0xFF);
    return bytes;
}

// The page of the connected receiver's radio, with a folder for its files.
struct UpgradeFixture : DesktopFixture {
    explicit UpgradeFixture(const std::string& preset) : DesktopFixture(preset) {
        PressConnect();
        ui.ClearPrompts();
        page = preset == "uhf" ? static_cast<CUpgradePage*>(app->UhfUpgradePage())
                               : static_cast<CUpgradePage*>(app->GsmUpgradePage());
        app->Sheet()->SetActivePage(page);
        QApplication::processEvents();
    }
    QString File(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
        return path;
    }
    void Start(const QString& path) {
        page->FileEdit()->setText(path);
        page->StartButton()->click();
    }
    // Until the program would have ended and the engine has returned.
    void WaitForTheEnd() {
        QTRY_VERIFY_WITH_TIMEOUT(!exitCodes.empty(), 20000);
        worker.WaitIdle();
        QApplication::processEvents();
    }
    size_t Writes() const { return link->Record().HostWrites().size(); }
    qvr::sim::SimUhfRadio& Uhf() { return static_cast<qvr::sim::SimUhfRadio&>(*unit->radio); }
    qvr::sim::SimGsmModule& Gsm() { return static_cast<qvr::sim::SimGsmModule&>(*unit->radio); }

    QTemporaryDir dir;
    CUpgradePage* page = nullptr;
};

enum class Trouble { None, LostAck, NoSuccess, TwoLostVerifies, FileVanishes };

} // namespace

Q_DECLARE_METATYPE(Trouble)

class UpgradePagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CUpgradePage::SetPollIntervals(1, 1); }

    void pagesAsTheyOpen() {
        UpgradeFixture f("uhf");
        QCOMPARE(f.page->findChild<QLabel*>("Explanation1")->text(),
                 QString("This feature may be used to upload new software onto your receiver's internal UHF radio."));
        QCOMPARE(f.page->Status()->text(), QString("N/A"));
        QCOMPARE(f.page->Progress()->value(), 0);
        QCOMPARE(f.page->Progress()->maximum(), 100);
        QVERIFY(f.page->FileEdit()->text().isEmpty());
        QCOMPARE(DesktopFixture::Shown(f.page->BrowseButton()->text()), QString("Browse..."));
        QCOMPARE(DesktopFixture::Shown(f.page->StartButton()->text()), QString("Start"));
        UpgradeFixture g("gsm");
        QCOMPARE(g.page->findChild<QLabel*>("Explanation1")->text(),
                 QString("This feature may be used to upload new applet software onto your receiver's internal GSM"));
        QCOMPARE(g.page->findChild<QLabel*>("Explanation2")->text(), QString("radio."));
    }

    void fileChecksAndQuestion_data() {
        QTest::addColumn<QString>("preset");
        // Created unless it starts with '-'; a folder when it ends with '/',
        // a pipe when it starts with '|'.
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("size");
        QTest::newRow("radio.SFO") << "uhf" << "radio.SFO" << kUhfQuestion << 0;
        QTest::newRow("folder radio.sfo")
            << "uhf" << "radio.sfo/"
            << "The specified upgrade file is a folder, not a file. Please reselect and try again." << 0;
        QTest::newRow("pipe, not waited on") << "gsm-nokia" << "|NokiaBridge.jar"
                                             << "The specified upgrade file is not a regular file (a pipe or a "
                                                "device?). Please reselect and try again." << 0;
        QTest::newRow("UHF file of no whole message")
            << "uhf" << "radio.sfo"
            << "The specified upgrade file is not a UHF radio firmware file: its size is not a multiple of 132 "
               "bytes. Please reselect and try again."
            << 100;
        QTest::newRow("radio.Sfo") << "uhf" << "radio.Sfo" << "You must select a valid UHF upgrade file." << 0;
        QTest::newRow("folder fw.sfo") << "uhf" << "fw.sfo/radio.bin" << kUhfQuestion << 0;
        QTest::newRow("missing") << "uhf" << "-radio.sfo" << kMissing << 0;
        QTest::newRow("TC65 with its applet") << "gsm" << "SiemensBridge.jar" << kGsmQuestion << 0;
        QTest::newRow("TC65 with the other applet")
            << "gsm" << "NokiaBridge.jar"
            << "Your GSM module appears to contain a Siemens module, but you are attempting to upgrade it with the "
               "wrong midlet. Please Select a SiemensBridge.jar midlet." << 0;
        QTest::newRow("other module") << "gsm-nokia" << "NokiaBridge.jar" << kGsmQuestion << 0;
    }
    // Every refusal, and No at the question, leave the page idle with nothing sent.
    void fileChecksAndQuestion() {
        QFETCH(QString, preset);
        QFETCH(QString, file);
        QFETCH(QString, shown);
        QFETCH(int, size);
        UpgradeFixture f(preset.toStdString());
        QString path;
        if (file.startsWith('-')) {
            path = f.dir.filePath(file.mid(1));
        } else if (file.endsWith('/')) {
            path = f.dir.filePath(file.chopped(1));
            QVERIFY(QDir().mkpath(path));
        } else if (file.startsWith('|')) {
            path = f.dir.filePath(file.mid(1));
            if (!qvr::test::MakeFifo(QFile::encodeName(path).toStdString())) QSKIP("no named pipes on this system");
        } else {
            path = f.File(file, Pattern(size ? size : 264));
        }
        f.answers = {MessageAnswer::No};
        const size_t writes = f.Writes();
        f.Start(path);
        QApplication::processEvents();
        QCOMPARE(f.PromptTexts(), std::vector<QString>{shown});
        const QtOperator::Prompt& prompt = f.ui.Prompts()[0];
        QCOMPARE(prompt.caption, QString("QVR Family Config Tool"));
        const bool question = shown == kUhfQuestion || shown == kGsmQuestion;
        QCOMPARE(prompt.buttons, question ? qvr::MessageButtons::YesNo : qvr::MessageButtons::Ok);
        QCOMPARE(prompt.icon, question ? qvr::MessageIcon::Information : qvr::MessageIcon::None);
        QCOMPARE(f.Writes(), writes);
        QVERIFY(!f.worker.Busy());
        QVERIFY(!f.page->Polling());
        QVERIFY(f.program.lockedPage.isNull());
        QVERIFY(f.page->StartButton()->isEnabled());
        QVERIFY(f.page->FileEdit()->isEnabled());
        QCOMPARE(f.page->Status()->text(), QString("N/A"));
    }

    void upgradeToItsEnd_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        QTest::addColumn<Trouble>("trouble");
        QTest::addColumn<QString>("message");  // the result message begins so
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("reason");  // and goes on so
        QTest::addColumn<QString>("status");
        QTest::newRow("UHF") << "uhf" << "radio.sfo" << 132 * 20 << Trouble::None << kSuccess << "Success" << ""
                             << "Finished. Successful.";
        QTest::newRow("UHF lost ACK") << "uhf" << "radio.sfo" << 132 * 20 << Trouble::LostAck << kFailure << "Failure"
                                      << "" << "Finished. Not Successful.";
        QTest::newRow("UHF file vanishes") << "uhf" << "radio.sfo" << 132 * 20 << Trouble::FileVanishes << kFailure
                                           << "Failure" << "does not seem to exist" << "Finished. Not Successful.";
        QTest::newRow("GSM") << "gsm" << "SiemensBridge.jar" << 600 << Trouble::None << kSuccess << "Success" << ""
                             << "Finished.";
        QTest::newRow("GSM no success after commit") << "gsm" << "SiemensBridge.jar" << 600 << Trouble::NoSuccess
                                                     << kFailure << "Failure" << "" << "Finished.";
        QTest::newRow("GSM too many resends") << "gsm-nokia" << "NokiaBridge.jar" << 1400 << Trouble::TwoLostVerifies
                                              << kFailure << "Failure" << "too many resends"
                                              << "Finished. Not Successful.";
        QTest::newRow("GSM file vanishes") << "gsm-nokia" << "NokiaBridge.jar" << 600 << Trouble::FileVanishes
                                           << kFailure << "Failure" << "does not seem to exist"
                                           << "Finished. Not Successful.";
    }
    void upgradeToItsEnd() {
        QFETCH(QString, preset);
        QFETCH(QString, file);
        QFETCH(int, size);
        QFETCH(Trouble, trouble);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        QFETCH(QString, reason);
        QFETCH(QString, status);
        UpgradeFixture f(preset.toStdString());
        const bool uhf = preset == "uhf";
        if (trouble == Trouble::LostAck) {
            f.Uhf().Config().loaderFault = qvr::sim::LoaderFault::LostAck;
            f.Uhf().Config().faultIndex = 3;
        }
        if (trouble == Trouble::NoSuccess) f.Gsm().InjectFault({qvr::sim::GsmModuleFault::NoSuccess});
        if (trouble == Trouble::TwoLostVerifies) {
            f.Gsm().InjectFault({qvr::sim::GsmModuleFault::LostVerify, 1});
            f.Gsm().InjectFault({qvr::sim::GsmModuleFault::LostVerify, 4});
        }
        const QByteArray bytes = Pattern(size);
        const QString path = f.File(file, bytes);
        f.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
        // The file goes after the checks, while the warning is on the screen.
        if (trouble == Trouble::FileVanishes)
            f.ui.SetScript([&](QtOperator::Prompt& prompt) {
                if (prompt.text.startsWith("Do not disturb")) QFile::remove(path);
                prompt.answer = prompt.buttons == qvr::MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
            });
        f.Start(path);
        QVERIFY(f.page->Polling());
        QCOMPARE(f.program.lockedPage.data(), static_cast<QWidget*>(f.page));
        f.WaitForTheEnd();

        QCOMPARE(f.exitCodes, std::vector<int>{0});
        const std::vector<QString> texts = f.PromptTexts();
        QCOMPARE(texts.size(), size_t(3));
        QCOMPARE(texts[0], uhf ? kUhfQuestion : kGsmQuestion);
        QVERIFY(texts[1].startsWith("Do not disturb the connection to the receiver"));
        QCOMPARE(f.ui.Prompts()[1].icon, qvr::MessageIcon::Exclamation);
        QVERIFY2(texts[2].startsWith(message), qPrintable(texts[2]));
        QVERIFY2(texts[2].contains(reason), qPrintable(texts[2]));
        if (reason.isEmpty()) QCOMPARE(texts[2], message);
        QCOMPARE(f.ui.Prompts()[2].caption, caption);
        QCOMPARE(f.ui.Prompts()[2].icon, qvr::MessageIcon::None);
        QCOMPARE(f.page->Status()->text(), status);
        if (message == kSuccess) {
            QCOMPARE(f.page->Progress()->value(), 100);
            const std::vector<uint8_t> image = uhf ? f.Uhf().Image() : f.Gsm().Image();
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(image.data()), int(image.size())), bytes);
        }
        // Over: nothing polls, nothing can start again, the sheet stays on the page.
        QVERIFY(!f.page->Polling());
        QVERIFY(!f.page->StartButton()->isEnabled());
        QVERIFY(!f.page->BrowseButton()->isEnabled());
        QVERIFY(!f.page->FileEdit()->isEnabled());
        f.app->Sheet()->SetActivePage(f.Connection());
        QCOMPARE(f.app->Sheet()->ActivePage(), static_cast<CQVRPage*>(f.page));
    }

    void windowRepaintsDuringAnUpgrade() {
        UpgradeFixture f("uhf");
        qvr::test::SlowDevice slow(f.link->Device(), 2);
        f.program.upgradeDevice = &slow;
        const QString path = f.File("radio.sfo", Pattern(132 * 40));
        f.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
        PaintCounter counter;
        f.page->Status()->installEventFilter(&counter);
        f.Start(path);
        int paintsWhileRunning = 0;
        while (f.worker.Busy()) {
            QVERIFY(!f.page->StartButton()->isEnabled());
            QVERIFY(!f.app->Sheet()->Tabs()->tabBar()->isEnabled());
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            if (f.worker.Busy()) paintsWhileRunning = counter.paints;
        }
        QVERIFY2(paintsWhileRunning > 0, "no paint event while the worker ran");
        f.WaitForTheEnd();
        f.page->Status()->removeEventFilter(&counter);
        for (const char* text : {"Erasing sectors.", "Programming Sectors.", "Finished. Successful."})
            QVERIFY2(counter.texts.contains(text), text);
        QVERIFY(counter.texts.indexOf("Erasing sectors.") < counter.texts.indexOf("Programming Sectors."));
    }
};

QTEST_MAIN(UpgradePagesTest)
#include "test_upgrade_pages.moc"
