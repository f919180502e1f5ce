// The handheld Receiver, GSM Bearer and MRS pages against the simulated
// receiver in virtual time: the lists each activation builds, the sample
// prompt, and the messages and commands of their Submit buttons.
#include <memory>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "PageActions.h"
#include "handheld/ConnectionPage.h"
#include "handheld/GsmBearerPage.h"
#include "handheld/MrsPage.h"
#include "handheld/ReceiverPage.h"
#include "SimGsmModule.h"

#include "HandheldFixture.h"

namespace component = qvr::sim::component;
using qvr::MessageAnswer;

namespace {

QStringList Entries(const QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    return entries;
}

struct PagesFixture : HandheldFixture {
    explicit PagesFixture(const std::string& preset = "none") : HandheldFixture(preset) {}
    // The model the receiver reports and its user application's version.
    void SetModel(const QString& model, const QString& version) {
        for (auto& c : unit->receiver.Components()) {
            if (c.type == component::Enclosure) c.texts[0] = model.toStdString();
            if (c.type == component::UserAppAuto) {
                c.texts[0] = model.toStdString();
                c.texts[3] = version.toStdString();
            }
        }
    }
    // Connect pressed as the operator does; the prompts of the connect are forgotten.
    void Connect() {
        PressConnect();
        QVERIFY(program.connected);
        ui.ClearPrompts();
    }
    // The tab chosen again after another: a fresh activation each time.
    void Activate(CHandheldPage* page) {
        app->Sheet()->SetActivePage(Connection());
        app->Sheet()->SetActivePage(page);
        QApplication::processEvents();
    }
    void Press(QAbstractButton* button) {
        button->click();
        worker.WaitIdle();
        QApplication::processEvents();
        link->AdvanceTo(link->Virtual().Now());
    }
    size_t WriteCount() const { return link->Record().HostWrites().size(); }
    QStringList WritesSince(size_t from) const {
        QStringList writes;
        const auto all = link->Record().HostWrites();
        for (size_t i = from; i < all.size(); ++i) writes << QString::fromStdString(all[i]);
        return writes;
    }
    QString PreferenceText() {
        for (const auto& c : unit->receiver.Components())
            if (c.type == component::UserInfo) return QString::fromStdString(c.texts[6]);
        return {};
    }
    // Text and caption of each prompt shown since the last call.
    QStringList TakePrompts() {
        QStringList shown;
        for (const auto& p : ui.Prompts()) shown << p.caption + ": " + p.text;
        ui.ClearPrompts();
        return shown;
    }
    CRecieverPropertyPage* Receiver() const { return app->ReceiverPage(); }
};

const QString kSuccess = "QVR Config Tool: Receiver Settings successfully updated.";
const QString kFactoryReset =
    "QVR Config Tool: You must factory reset the receiver before changes to the Factory POWERUP settings will take "
    "effect.";
const QStringList kStandard = {"NONE",
                               "Static Data Collection (15 secs)",
                               "RTCM RTK Base (10 secs)",
                               "RTCA RTK Base (10 secs)",
                               "RTCA RTK Rapid Base (10 secs)",
                               "RTCA RTK Base (15 secs)"};
const QStringList kLbx = {"NONE", "Static Data Collection (15 secs)", "Static Data Collection (10 secs)"};

} // namespace

class HandheldPagesTest : public QObject {
    Q_OBJECT
private slots:
    void receiverPageFollowsTheModel_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("timerLed");
        QTest::addColumn<QStringList>("powerup");
        QTest::newRow("LBX 1.10") << "QVR1500 LBX" << "1.10" << true
                                  << kLbx + QStringList{"RTCMV3 RTK Base (10 secs)", "RTCA RTK Base (10 secs)"};
        QTest::newRow("LBX 1.00") << "QVR1500 LBX" << "1.00" << true << kLbx;
        QTest::newRow("MAX 2.11") << "QVR4100 MAX" << "2.11" << true
                                  << kStandard + QStringList{"RTCMV3 RTK Base (10 secs)"};
        QTest::newRow("MA 1.10") << "QVR4100 MA" << "1.10" << false << kStandard;
    }
    void receiverPageFollowsTheModel() {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(bool, timerLed);
        QFETCH(QStringList, powerup);
        PagesFixture f;
        f.SetModel(model, version);
        f.Connect();
        CRecieverPropertyPage* page = f.Receiver();
        // Activated again and again, the lists never grow.
        f.Activate(page);
        const int languages = page->Language()->count();
        QVERIFY(languages == 5 || languages == 10);
        for (int visit = 0; visit < 3; ++visit) {
            f.Activate(page);
            QCOMPARE(Entries(page->Powerup()), powerup);
            QCOMPARE(page->Language()->count(), languages);
            QCOMPARE(page->TimerLed()->isVisible(), timerLed);
            QCOMPARE(page->TimerLedLabel()->isVisible(), timerLed);
            if (timerLed) QCOMPARE(Entries(page->TimerLed()), (QStringList{"Baseline length", "Elapsed time"}));
        }
        QCOMPARE(page->Volume()->maximum(), 7);
    }

    void sampleButtonPlaysBtnignore_data() {
        QTest::addColumn<int>("level");
        QTest::newRow("0") << 0;
        QTest::newRow("5") << 5;
    }
    void sampleButtonPlaysBtnignore() {
        QFETCH(int, level);
        PagesFixture f;
        f.Connect();
        f.Activate(f.Receiver());
        f.Receiver()->Volume()->setValue(level);
        const size_t from = f.WriteCount();
        f.Press(f.Receiver()->SampleButton());
        QCOMPARE(f.WritesSince(from), QStringList{QString("audiocfg send btnignore %1\r\n").arg(level)});
        QVERIFY(f.ui.Prompts().empty());
    }

    void submitNoticesANewPowerupChoice_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("timerCommand");
        QTest::addColumn<QString>("preference");
        QTest::newRow("MAX") << "QVR4100 MAX" << "appcontrol timermode 1\r\n" << "00-03-1";
        QTest::newRow("MA: no timer LED") << "QVR4100 MA" << "appcontrol timermode 0\r\n" << "00-03";
    }
    void submitNoticesANewPowerupChoice() {
        QFETCH(QString, model);
        QFETCH(QString, timerCommand);
        QFETCH(QString, preference);
        PagesFixture f;
        f.SetModel(model, "1.10");
        f.Connect();
        CRecieverPropertyPage* page = f.Receiver();
        f.Activate(page);
        QCOMPARE(page->Powerup()->currentIndex(), 0);
        page->Powerup()->setCurrentIndex(3);
        if (page->TimerLed()->isVisible()) page->TimerLed()->setCurrentIndex(1);

        // Locked while the receiver takes the settings.
        QList<bool> enabledAtMessage;
        f.ui.SetScript([&](QtOperator::Prompt&) {
            for (QWidget* w : std::initializer_list<QWidget*>{page->Submit(), page->Volume(), page->SampleButton(),
                                                              page->Language(), page->Powerup()})
                enabledAtMessage << w->isEnabled();
        });
        size_t from = f.WriteCount();
        f.Press(page->Submit());
        QCOMPARE(f.TakePrompts(), (QStringList{kFactoryReset, kSuccess}));
        QVERIFY(!enabledAtMessage.contains(true));
        QVERIFY(f.WritesSince(from).contains(timerCommand));
        QCOMPARE(f.PreferenceText(), preference);
        QCOMPARE(f.program.record.info.powerupIndex, 3);
        QVERIFY(page->Submit()->isEnabled() && page->Powerup()->isEnabled() && page->SampleButton()->isEnabled());

        // The same choice again: only the success message.
        f.Activate(page);
        QCOMPARE(page->Powerup()->currentIndex(), 3);
        f.Press(page->Submit());
        QCOMPARE(f.TakePrompts(), QStringList{kSuccess});
    }

    void bearerPage() {
        PagesFixture f("gsm");
        f.Connect();
        CGSMBearerSettingsPropertyPage* page = f.app->GsmBearerPage();
        QStringList labels;
        for (QLabel* label : page->findChildren<QLabel*>()) labels << HandheldFixture::Shown(label->text());
        for (const char* text : {"Bearer type:", "Outgoing CHAP username:", "Outgoing CHAP password:",
                                 "Connection timeout:"})
            QVERIFY2(labels.contains(text), text);
        for (int visit = 0; visit < 2; ++visit) {
            f.Activate(page);
            QCOMPARE(Entries(page->BearerType()), (QStringList{"NO BEARER", "TCP GPRS"}));
        }
        QCOMPARE(HandheldFixture::Shown(page->AccessPointLabel()->text()), QString("Access Point Name:"));
        QVERIFY(!page->findChild<QPushButton*>("Help"));
        page->BearerType()->setCurrentIndex(1);
        page->AccessPoint()->setText("internet");
        f.Press(page->Submit());
        QCOMPARE(f.TakePrompts(), QStringList{"QVR Family Config Tool: GSM Settings successfully updated."});
    }

    void mrsPage_data() {
        QTest::addColumn<QString>("applet");
        QTest::addColumn<int>("startUp");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QStringList>("prompts");  // each as "caption: text", the text's start
        const QString old =
            "QVR Config Tool: MRS is only available for GSM modules with an applet version of 3.002 or higher.";
        // Refused at each activation, and Submit is locked.
        QTest::newRow("old applet") << "3.001" << 0 << "2101" << QStringList{old, old};
        QTest::newRow("port too long") << "3.002" << 0 << "123456"
                                       << QStringList{"QVR Config Tool: Port number appears invalid. Please check."};
        QTest::newRow("enabling declined")
            << "3.002" << 1 << "2101"
            << QStringList{"QVR Config Tool: You are configuring the GSM module to connect to an NTRIP caster"};
        QTest::newRow("written") << "3.002" << 0 << "2101"
                                 << QStringList{"QVR Config Tool: MRS settings update was successful."};
    }
    void mrsPage() {
        QFETCH(QString, applet);
        QFETCH(int, startUp);
        QFETCH(QString, port);
        QFETCH(QStringList, prompts);
        PagesFixture f("gsm");
        static_cast<qvr::sim::SimGsmModule&>(*f.unit->radio).Config().appletVersion = applet.toStdString();
        f.Connect();
        f.answers = {MessageAnswer::No};
        CNtripSourcePropertyPage* page = f.app->MrsPage();
        for (int visit = 0; visit < 2; ++visit) {
            f.Activate(page);
            QCOMPARE(Entries(page->StartUp()), (QStringList{"Disabled", "Enabled"}));
        }
        QVERIFY(!page->findChild<QPushButton*>("Help"));
        page->StartUp()->setCurrentIndex(startUp);
        page->Port()->setText(port);
        page->Address()->setText("caster.example.com");
        page->MountPoint()->setText("NEAR");
        page->Password()->setText("secret");
        f.Press(page->Submit());
        const QStringList shown = f.TakePrompts();
        QCOMPARE(shown.size(), prompts.size());
        for (int i = 0; i < shown.size(); ++i) QVERIFY2(shown[i].startsWith(prompts[i]), qPrintable(shown[i]));
    }
};

QTEST_MAIN(HandheldPagesTest)
#include "test_handheld_pages.moc"
