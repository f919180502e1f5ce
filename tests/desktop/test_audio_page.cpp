// The Receiver Settings page against the simulated receiver in virtual
// time: what each model gets on the page, the sample prompt sent when the
// slider is let go, and Submit with its messages and the preference text the
// receiver keeps.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "desktop/AudioPage.h"
#include "DesktopFixture.h"
#include "SimAudio.h"

namespace component = qvr::sim::component;

namespace {

// The model the receiver's enclosure and user application report, and the
// user application's firmware version.
void SetModel(DesktopFixture& f, const std::string& model, const std::string& version) {
    for (auto& c : f.unit->receiver.Components()) {
        if (c.type == component::Enclosure) c.texts[0] = model;
        if (c.type == component::UserAppAuto) {
            c.texts[0] = model;
            c.texts[3] = version;
        }
    }
}

// The seventh text of the receiver's user-info record (the preference text).
QString PreferenceText(DesktopFixture& f) {
    for (const auto& c : f.unit->receiver.Components())
        if (c.type == component::UserInfo) return QString::fromStdString(c.texts[6]);
    return "(no user-info record)";
}

QStringList Entries(const QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    return entries;
}

// The page as the operator finds it: connected, then the tab clicked.
struct PageFixture : DesktopFixture {
    explicit PageFixture(const std::string& preset = "none") : DesktopFixture(preset) {}
    CAudioPropertyPage* Page() const { return app->ReceiverSettingsPage(); }
    void Connect() {
        PressConnect();
        QVERIFY(program.connected);
        ui.ClearPrompts();
    }
    // Lets the simulated receiver take everything sent so far.
    void Settle() { link->AdvanceTo(link->Virtual().Now()); }
    void Activate() {
        app->Sheet()->SetActivePage(Page());
        QApplication::processEvents();
    }
    // What the host wrote from write number `from` on.
    QStringList WritesSince(size_t from) const {
        QStringList writes;
        const std::vector<std::string> all = link->Record().HostWrites();
        for (size_t i = from; i < all.size(); ++i) writes << QString::fromStdString(all[i]);
        return writes;
    }
    size_t WriteCount() const { return link->Record().HostWrites().size(); }
    qvr::sim::SimAudio::State& SimAudio() { return unit->audio.Audio(); }
};

const QStringList kStandardPowerup = {"NONE",
                                      "Static Data Collection (15 secs)",
                                      "RTCM RTK Base (10 secs)",
                                      "RTCA RTK Base (10 secs)",
                                      "RTCA RTK Rapid Base (10 secs)",
                                      "RTCA RTK Base (15 secs)"};
const QStringList kWithRtcmV3 = kStandardPowerup + QStringList{"RTCMV3 RTK Base (10 secs)"};
const QStringList kLbxPowerup = {"NONE", "Static Data Collection (15 secs)", "Static Data Collection (10 secs)"};

} // namespace

class AudioPageTest : public QObject {
    Q_OBJECT
private slots:
    void pageFollowsTheModel_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("samples");
        QTest::addColumn<bool>("timerLed");
        QTest::addColumn<QStringList>("powerup");
        QTest::newRow("MAX 2.11") << "QVR4100 MAX" << "2.11" << 14 << true << kWithRtcmV3;
        QTest::newRow("MAX 2.10 is below 2.1") << "QVR4100 MAX" << "2.10" << 14 << true << kStandardPowerup;
        QTest::newRow("MA 1.10") << "QVR4100 MA" << "1.10" << 14 << false << kStandardPowerup;
        QTest::newRow("MA 1.2") << "QVR4100 MA" << "1.2" << 14 << false << kWithRtcmV3;
        QTest::newRow("LBX") << "QVR1500 LBX" << "1.10" << 16 << true << kLbxPowerup;
        QTest::newRow("other model") << "QVR2000 ZX" << "2.11" << 16 << true << kStandardPowerup;
    }
    void pageFollowsTheModel() {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, samples);
        QFETCH(bool, timerLed);
        QFETCH(QStringList, powerup);
        PageFixture f;
        SetModel(f, model.toStdString(), version.toStdString());
        f.Connect();
        f.Activate();
        CAudioPropertyPage* page = f.Page();
        QCOMPARE(page->TestSample()->count(), samples);
        QCOMPARE(page->TestSample()->itemText(0), QString("Startup"));
        QCOMPARE(page->TestSample()->itemText(13), QString("Log epoch"));
        if (samples == 16) QCOMPARE(page->TestSample()->itemText(15), QString("Swap critical"));
        QCOMPARE(page->TestSample()->currentIndex(), 0);
        QCOMPARE(page->TimerLed()->isVisible(), timerLed);
        QCOMPARE(page->TimerLedLabel()->isVisible(), timerLed);
        QCOMPARE(page->TimerLedLabel()->text(), QString("Timer LED:"));
        QCOMPARE(Entries(page->TimerLed()), (QStringList{"Baseline Length", "Elapsed Time"}));
        QCOMPARE(Entries(page->Powerup()), powerup);
    }

    void valuesComeFromTheReceiver_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("languageIndex");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("languages");
        // A 1.x version: the short list of the "default" file.
        QTest::newRow("MAX list B") << "QVR4100 MAX" << "1.20" << 2 << "Italian"
                                    << QStringList{"English", "French", "Italian", "Spanish", "Russian"};
        QTest::newRow("LBX list D") << "QVR1500 LBX" << "1.10" << 9 << "Chinese"
                                    << QStringList{"English", "French", "Italian", "Spanish", "Russian", "Tonal",
                                                   "Japanese", "Korean", "Portuguese", "Chinese"};
        // An index the receiver's list does not have selects nothing.
        QTest::newRow("index past the list") << "QVR4100 MAX" << "1.20" << 7 << "N/A"
                                             << QStringList{"English", "French", "Italian", "Spanish", "Russian"};
    }
    void valuesComeFromTheReceiver() {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, languageIndex);
        QFETCH(QString, language);
        QFETCH(QStringList, languages);
        PageFixture f;
        SetModel(f, model.toStdString(), version.toStdString());
        f.SimAudio().languageIndex = static_cast<uint16_t>(languageIndex);
        f.SimAudio().volume = 3;
        f.SimAudio().timerMode = 1.0f;
        for (auto& c : f.unit->receiver.Components())
            if (c.type == component::UserInfo) c.texts[6] = "00-02-1";
        f.Connect();
        f.Activate();
        CAudioPropertyPage* page = f.Page();
        QCOMPARE(Entries(page->Language()), languages);
        QCOMPARE(page->Language()->currentIndex(), languageIndex < languages.size() ? languageIndex : -1);
        QCOMPARE(page->CurrentLanguage()->text(), language);
        QCOMPARE(page->Volume()->minimum(), 0);
        QCOMPARE(page->Volume()->maximum(), 7);
        QCOMPARE(page->Volume()->value(), 3);
        QCOMPARE(page->TimerLed()->currentText(), QString("Elapsed Time"));
        QCOMPARE(page->Powerup()->currentIndex(), 2);
    }

    void powerupEntriesOncePerConnection() {
        PageFixture f;
        f.Connect();
        // At connect the page is set up while still not connected: "NONE" only.
        QCOMPARE(Entries(f.Page()->Powerup()), QStringList{"NONE"});
        f.Activate();
        QCOMPARE(Entries(f.Page()->Powerup()), kWithRtcmV3);
        f.app->Sheet()->SetActivePage(f.Connection());
        f.Activate();
        f.Page()->OnSetActive();
        QCOMPARE(Entries(f.Page()->Powerup()), kWithRtcmV3);

        // The next connection starts from "NONE" again, with its own model's list.
        f.PressConnect();
        QVERIFY(!f.program.connected);
        SetModel(f, "QVR1500 LBX", "1.10");
        f.Connect();
        f.Activate();
        QCOMPARE(Entries(f.Page()->Powerup()), kLbxPowerup);
    }

    void sliderPlaysTheSample_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("battery low at 5") << "QVR4100 MAX" << 6 << 5 << QStringList{"audiocfg send battlow 5\r\n"};
        QTest::newRow("startup at 0") << "QVR4100 MA" << 0 << 0 << QStringList{"audiocfg send startup 0\r\n"};
        QTest::newRow("LBX swap warning") << "QVR1500 LBX" << 14 << 7 << QStringList{"audiocfg send swapwarn 7\r\n"};
        // Listed for a model none of the three, but such a receiver plays 14 events.
        QTest::newRow("other model swap warning") << "QVR2000 ZX" << 14 << 2 << QStringList{};
    }
    void sliderPlaysTheSample() {
        QFETCH(QString, model);
        QFETCH(int, sample);
        QFETCH(int, volume);
        QFETCH(QStringList, sent);
        PageFixture f;
        SetModel(f, model.toStdString(), "2.11");
        f.Connect();
        f.Activate();
        CAudioPropertyPage* page = f.Page();
        const int32_t volumeBefore = f.SimAudio().volume;
        const size_t from = f.WriteCount();
        page->TestSample()->setCurrentIndex(sample);
        page->Volume()->setValue(volume);
        QCOMPARE(f.WriteCount(), from);  // moving or choosing alone sends nothing
        QTest::mouseRelease(page->Volume(), Qt::LeftButton);
        QApplication::processEvents();
        f.worker.WaitIdle();
        QCOMPARE(f.WritesSince(from), sent);
        // Nothing else changes until Submit.
        QCOMPARE(f.SimAudio().volume, volumeBefore);
        QCOMPARE(f.program.record.audio.volume, volumeBefore);
        QVERIFY(f.ui.Prompts().empty());
    }

    void submitWritesTheSettings_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("timerMode");
        QTest::addColumn<QString>("preference");
        QTest::addColumn<bool>("timerLocked");
        QTest::newRow("MAX") << "QVR4100 MAX" << 1 << "01-03-1" << true;
        QTest::newRow("MA has no timer") << "QVR4100 MA" << 1 << "01-03" << false;
        QTest::newRow("LBX") << "QVR1500 LBX" << 0 << "01-02-0" << false;
    }
    void submitWritesTheSettings() {
        QFETCH(QString, model);
        QFETCH(int, timerMode);
        QFETCH(QString, preference);
        QFETCH(bool, timerLocked);
        PageFixture f;
        SetModel(f, model.toStdString(), "1.20");
        f.Connect();
        f.Activate();
        CAudioPropertyPage* page = f.Page();
        const int powerup = page->Powerup()->count() > 3 ? 3 : 2;
        page->Language()->setCurrentIndex(1);
        page->Volume()->setValue(6);
        page->Powerup()->setCurrentIndex(powerup);
        page->TimerLed()->setCurrentIndex(timerMode);

        // While the receiver takes the settings (the message comes at the
        // end of the job) the page is locked and the wait cursor shows.
        struct Seen {
            bool submit, volume, language, powerup, sample, timer, waitCursor;
        };
        std::vector<Seen> seen;
        f.ui.SetScript([&](QtOperator::Prompt&) {
            seen.push_back({page->Submit()->isEnabled(), page->Volume()->isEnabled(), page->Language()->isEnabled(),
                            page->Powerup()->isEnabled(), page->TestSample()->isEnabled(),
                            page->TimerLed()->isEnabled(), QApplication::overrideCursor() != nullptr});
        });
        const size_t from = f.WriteCount();
        QTest::mouseClick(page->Submit(), Qt::LeftButton);
        f.worker.WaitIdle();
        QApplication::processEvents();
        f.Settle();

        QCOMPARE(f.ui.Prompts().size(), size_t(1));
        const QtOperator::Prompt& message = f.ui.Prompts()[0];
        QCOMPARE(message.text, QString("Receiver Settings successfully updated."));
        QCOMPARE(message.caption, QString("QVR Family Config Tool"));
        QCOMPARE(message.icon, qvr::MessageIcon::Information);
        QCOMPARE(seen.size(), size_t(1));
        QVERIFY(!seen[0].submit && !seen[0].volume && !seen[0].language && !seen[0].powerup && !seen[0].sample);
        QCOMPARE(seen[0].timer, !timerLocked);
        QVERIFY(seen[0].waitCursor);

        // Language, volume, then the timer mode and the user-info record.
        const QStringList sent = f.WritesSince(from);
        QVERIFY(sent.size() >= 4);
        QCOMPARE(sent.mid(0, 3), (QStringList{"audiocfgindex 1\r\n", "audiocfg set 6\r\n",
                                              "audiocfg set logepoch 0\r\n"}));
        QVERIFY(sent.contains(QString("appcontrol timermode %1\r\n").arg(model == "QVR4100 MA" ? 0 : timerMode)));
        QVERIFY(sent.last().startsWith("setversioninfo userinfo "));
        QVERIFY2(sent.last().endsWith("\"" + preference + "\"\r\n"), qPrintable(sent.last()));
        QCOMPARE(PreferenceText(f), preference);
        QCOMPARE(f.SimAudio().languageIndex, uint16_t(1));
        QCOMPARE(f.SimAudio().volume, 6);

        QCOMPARE(f.program.record.audio.volume, 6);
        QCOMPARE(int(f.program.record.audio.languageIndex), 1);
        QCOMPARE(f.program.record.info.powerupIndex, powerup);
        QCOMPARE(page->CurrentLanguage()->text(), QString("French"));
        for (QWidget* w : std::initializer_list<QWidget*>{page->Submit(), page->Volume(), page->Language(),
                                                          page->Powerup(), page->TestSample(), page->TimerLed()})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // The next activation shows what was stored.
        f.app->Sheet()->SetActivePage(f.Connection());
        f.Activate();
        QCOMPARE(page->Volume()->value(), 6);
        QCOMPARE(page->Language()->currentIndex(), 1);
        QCOMPARE(page->Powerup()->currentIndex(), powerup);
    }

    void failedSubmitStillTakesTheChoice() {
        PageFixture f;
        f.Connect();
        f.Activate();
        // Without its user-info record the receiver cannot keep the POWERUP choice.
        auto& components = f.unit->receiver.Components();
        std::erase_if(components, [](const auto& c) { return c.type == component::UserInfo; });
        CAudioPropertyPage* page = f.Page();
        page->Language()->setCurrentIndex(4);
        page->Volume()->setValue(2);
        page->Powerup()->setCurrentIndex(5);
        const size_t from = f.WriteCount();
        page->Submit()->click();
        f.worker.WaitIdle();
        QApplication::processEvents();

        QCOMPARE(f.ui.Prompts().size(), size_t(1));
        QCOMPARE(f.ui.Prompts()[0].text, QString("Errors occurred while adjusting new settings."));
        QCOMPARE(f.ui.Prompts()[0].caption, QString("QVR Family Config Tool"));
        QCOMPARE(f.ui.Prompts()[0].icon, qvr::MessageIcon::Error);
        for (const QString& line : f.WritesSince(from)) QVERIFY2(!line.startsWith("setversioninfo"), qPrintable(line));
        QCOMPARE(page->CurrentLanguage()->text(), QString("Russian"));
        QCOMPARE(int(f.program.record.audio.languageIndex), 4);
        QCOMPARE(f.program.record.audio.volume, 2);
        QCOMPARE(f.program.record.info.powerupIndex, 5);
        QVERIFY(page->Submit()->isEnabled());
        QVERIFY(page->Language()->isEnabled());
    }
};

QTEST_MAIN(AudioPageTest)
#include "test_audio_page.moc"
