// qvr-desktop-shots OUTDIR: renders every page and dialog of the desktop
// program in its main states to PNG files, for review. The receivers are
// simulated in-process in virtual time, so a run takes seconds.
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPixmap>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>

#include "MAReceiver.h"
#include "SimGsmModule.h"
#include "SimUnit.h"
#include "desktop/App.h"
#include "desktop/AudioPage.h"
#include "desktop/ConnectionPage.h"
#include "desktop/GsmPages.h"
#include "desktop/HelpTopics.h"
#include "desktop/Pages.h"
#include "desktop/PropertySheet.h"
#include "desktop/UhfPage.h"
#include "desktop/UpgradePages.h"
#include "GsmUpgrade.h"
#include "UhfUpgrade.h"
#include "gui/DebugFileDialog.h"
#include "gui/Dialogs.h"
#include "gui/Help.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "gui/Shots.h"
#include "VirtualLink.h"

namespace {

void Wait(ReceiverWorker& worker) {
    worker.WaitIdle();
    QApplication::processEvents();
}

// The texts of the prompts the refresh showed, for the dialogs' shots.
struct SeenPrompts {
    QString radioText, radioBox;
};

// One simulated receiver, connected through the Connection page as the
// operator would, with every tab rendered; `change` adjusts the receiver
// before the connect.
void ShootReceiver(ProgramState& p, Shooter& shots, const std::string& preset, const QString& name,
                   bool notConnectedToo, const std::function<void(qvr::sim::SimUnit&)>& change = {}) {
    auto unit = qvr::sim::MakePreset(preset);
    if (change) change(*unit);
    qvr::sim::VirtualLink link(unit->receiver);
    qvr::PlatformServices services{&link.Clock(), &link.Device(), nullptr, nullptr, p.ui, p.ui};
    qvr::MAReceiver receiver(qvr::Variant::Desktop, services);
    p.receiver = &receiver;
    p.record = {};
    p.connected = false;
    {
        CQVR4100MAQuickToolApp app(p);
        CQVRPropertySheet* sheet = app.Sheet();
        sheet->show();
        if (notConnectedToo) shots.Save(sheet, "sheet-not-connected");
        app.ConnectionPage()->ConnectButton()->click();
        Wait(*p.worker);
        for (int i = 0; i < sheet->PageCount(); ++i) {
            sheet->Tabs()->setCurrentIndex(i);
            shots.Save(sheet, QString("%1-%2-%3").arg(name).arg(i + 1).arg(Slug(sheet->PageAt(i)->Caption())));
        }
        if (p.connected) {
            // Receiver Settings while Submit runs: the page is locked until the
            // outcome message, which is shown while the worker waits.
            CAudioPropertyPage* audio = app.ReceiverSettingsPage();
            sheet->SetActivePage(audio);
            QApplication::processEvents();
            bool taken = false;
            p.ui->SetScript([&](QtOperator::Prompt& prompt) {
                if (!taken) taken = shots.Save(sheet, QString("%1-receiver-settings-submitting").arg(name));
                prompt.answer = qvr::MessageAnswer::Ok;
            });
            audio->Submit()->click();
            Wait(*p.worker);
            app.ConnectionPage()->ConnectButton()->click();  // disconnect
            Wait(*p.worker);
        }
    }
    p.receiver = nullptr;
}


// ---------------------------------------------------------------- UHF Settings, upgrades, centre frequency

// The engine's port, held at one write of a given size until the shot of
// the running upgrade has been taken.
class PausingDevice : public qvr::ISerialDevice {
public:
    PausingDevice(qvr::ISerialDevice& inner, size_t size, int nth) : m_inner(inner), m_size(size), m_nth(nth) {}
    bool Open(const char* name) override { return m_inner.Open(name); }
    bool IsOpen() const override { return m_inner.IsOpen(); }
    void Close() override { m_inner.Close(); }
    bool FetchLineSettings() override { return m_inner.FetchLineSettings(); }
    bool ApplyLineSettings(int baud) override { return m_inner.ApplyLineSettings(baud); }
    bool Read(uint8_t* d, size_t n, uint32_t t, size_t* r) override { return m_inner.Read(d, n, t, r); }
    bool Write(const uint8_t* s, size_t n, size_t* w) override {
        if (n == m_size && ++m_count == m_nth) {
            m_paused = true;
            m_release.acquire();
        }
        return m_inner.Write(s, n, w);
    }
    int LastError() const override { return m_inner.LastError(); }
    bool Paused() const { return m_paused; }
    void Release() { m_release.release(); }

private:
    qvr::ISerialDevice& m_inner;
    size_t m_size;
    int m_nth;
    int m_count = 0;
    std::atomic<bool> m_paused{false};
    QSemaphore m_release;
};

// One connected receiver of a preset for the shots of `body`; the upgrade
// engines work on its link, and the end of the program is only noted.
void WithReceiver(ProgramState& p, const std::string& preset,
                  const std::function<void(CQVR4100MAQuickToolApp&, qvr::sim::VirtualLink&, bool& ended)>& body) {
    auto unit = qvr::sim::MakePreset(preset);
    qvr::sim::VirtualLink link(unit->receiver);
    qvr::PlatformServices services{&link.Clock(), &link.Device(), nullptr, nullptr, p.ui, p.ui};
    qvr::MAReceiver receiver(qvr::Variant::Desktop, services);
    bool ended = false;
    p.receiver = &receiver;
    p.record = {};
    p.connected = false;
    p.clock = &link.Clock();
    p.endProgram = [&ended](int) { ended = true; };
    {
        CQVR4100MAQuickToolApp app(p);
        app.Sheet()->show();
        app.ConnectionPage()->ConnectButton()->click();
        Wait(*p.worker);
        body(app, link, ended);
        Wait(*p.worker);
    }
    p.receiver = nullptr;
    p.upgradeDevice = nullptr;
    p.clock = nullptr;
    p.endProgram = {};
}

// An upgrade page idle with its file chosen, while the engine writes the
// nth message of `size` bytes, and at its end.
void ShootUpgrade(ProgramState& p, Shooter& shots, CQVR4100MAQuickToolApp& app, qvr::sim::VirtualLink& link,
                  const bool& ended, CUpgradePage* page, const QString& path, size_t size, int nth,
                  const QString& name) {
    CQVRPropertySheet* sheet = app.Sheet();
    sheet->SetActivePage(page);
    page->FileEdit()->setText(path);
    shots.Save(sheet, name + "-idle");
    PausingDevice device(link.Device(), size, nth);
    p.upgradeDevice = &device;
    page->StartButton()->click();
    while (!device.Paused() && p.worker->Busy()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    // A few timer ticks show the progress record as it stands.
    for (int i = 0; i < 5; ++i) {
        QThread::msleep(5);
        QApplication::processEvents();
    }
    shots.Save(sheet, name + "-running");
    device.Release();
    while (!ended && !(p.worker->Busy() == false && !page->Polling()))
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    Wait(*p.worker);
    shots.Save(sheet, name + "-finished");
    p.upgradeDevice = nullptr;
}

void ShootUhfAndUpgradePages(ProgramState& p, Shooter& shots) {
    CUpgradePage::SetPollIntervals(1, 1);
    QTemporaryDir dir;
    auto file = [&dir](const QString& name, int size) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(QByteArray(size, '\x5A'));
        return path;
    };
    p.ui->SetScript([](QtOperator::Prompt& prompt) {
        prompt.answer = prompt.buttons == qvr::MessageButtons::YesNo ? qvr::MessageAnswer::Yes : qvr::MessageAnswer::Ok;
    });

    WithReceiver(p, "uhf", [&](CQVR4100MAQuickToolApp& app, qvr::sim::VirtualLink& link, bool& ended) {
        CQVRPropertySheet* sheet = app.Sheet();
        sheet->SetActivePage(app.UhfPage());
        shots.Save(sheet, "uhf-settings-connected");

        // The centre-frequency dialog, idle and while the radio is being
        // changed (taken while the refusal message waits on the worker).
        {
            char text[32];
            std::snprintf(text, sizeof text, "%f", p.record.peripheral.uhf.centerFrequency);
            CCenterFrequencyDialog dialog(p, QString::fromLatin1(text), sheet);
            dialog.show();
            shots.Save(&dialog, "dialog-center-frequency-idle");
            dialog.Edit()->setText("450.003");
            bool taken = false;
            p.ui->SetScript([&](QtOperator::Prompt& prompt) {
                if (!taken) taken = shots.Save(&dialog, "dialog-center-frequency-processing", false);
                prompt.answer = qvr::MessageAnswer::Ok;
            });
            dialog.OkButton()->click();
            Wait(*p.worker);
            p.ui->SetScript([](QtOperator::Prompt& prompt) {
                prompt.answer =
                    prompt.buttons == qvr::MessageButtons::YesNo ? qvr::MessageAnswer::Yes : qvr::MessageAnswer::Ok;
            });
        }
        ShootUpgrade(p, shots, app, link, ended, app.UhfUpgradePage(), file("radio.sfo", 132 * 40),
                     qvr::UhfUpgradeEngine::kProgramMessageSize, 25, "uhf-upgrade");
    });

    WithReceiver(p, "gsm", [&](CQVR4100MAQuickToolApp& app, qvr::sim::VirtualLink& link, bool& ended) {
        ShootUpgrade(p, shots, app, link, ended, app.GsmUpgradePage(), file("SiemensBridge.jar", 2000),
                     qvr::GsmUpgradeEngine::kPieceSize, 4, "gsm-upgrade");
    });
}

// A simulated receiver with a GSM module, connected through the Connection
// page; `change` sets up the module before the connect, `body` works the
// connected sheet.
void WithGsmReceiver(ProgramState& p, const std::function<void(qvr::sim::GsmModuleConfig&)>& change,
                     const std::function<void(CQVR4100MAQuickToolApp&, CQVRPropertySheet*)>& body) {
    auto unit = qvr::sim::MakePreset("gsm");
    change(static_cast<qvr::sim::SimGsmModule&>(*unit->radio).Config());
    qvr::sim::VirtualLink link(unit->receiver);
    qvr::PlatformServices services{&link.Clock(), &link.Device(), nullptr, nullptr, p.ui, p.ui};
    qvr::MAReceiver receiver(qvr::Variant::Desktop, services);
    p.receiver = &receiver;
    p.record = {};
    p.connected = false;
    {
        CQVR4100MAQuickToolApp app(p);
        CQVRPropertySheet* sheet = app.Sheet();
        sheet->show();
        app.ConnectionPage()->ConnectButton()->click();
        Wait(*p.worker);
        if (p.connected) {
            body(app, sheet);
            app.ConnectionPage()->ConnectButton()->click();  // disconnect
            Wait(*p.worker);
        } else {
            std::fprintf(stderr, "qvr-desktop-shots: the GSM receiver did not connect\n");
        }
    }
    p.receiver = nullptr;
}

// The GSM pages with settings in the module, the TCP test, the bearer and
// MRS submits, the MRS page of an old applet and the AT Test Mode dialog.
void ShootGsmPages(ProgramState& p, Shooter& shots, const QtOperator::Script& answer) {
    WithGsmReceiver(
        p,
        [](qvr::sim::GsmModuleConfig& module) {
            module.signalLevel = -87;
            module.bearer.gprsUserName = "surveyor";
            module.bearer.gprsPassword = "field-2024";
            module.bearer.gprsAccessPointName = "internet.provider.example";
            module.bearer.gprsTimeout = 120;
            module.ntrip = {"caster.example.com", "RTCM3_NEAR", "secret", "2101", "1"};
        },
        [&](CQVR4100MAQuickToolApp& app, CQVRPropertySheet* sheet) {
            CGSMBearerSettingsPropertyPage* bearer = app.GsmBearerPage();
            CGSMSettingsPropertyPage* settings = app.GsmSettingsPage();
            CDlgAutoMRS* mrs = app.MrsPage();
            sheet->SetActivePage(bearer);
            shots.Save(sheet, "gsm-pages-bearer-gprs");
            // Submit: the page waits for the module while the message shows.
            bool taken = false;
            p.ui->SetScript([&](QtOperator::Prompt& prompt) {
                if (!taken) taken = shots.Save(sheet, "gsm-pages-bearer-submitting", false);
                answer(prompt);
            });
            bearer->Submit()->click();
            Wait(*p.worker);
            bearer->BearerType()->setCurrentIndex(CGSMBearerSettingsPropertyPage::kNoBearerEntry);
            shots.Save(sheet, "gsm-pages-bearer-no-bearer-chosen");
            p.ui->SetScript(answer);

            sheet->SetActivePage(settings);
            shots.Save(sheet, "gsm-pages-settings");
            settings->WebSite()->setText("www.example.com");
            settings->ConnectButton()->click();
            shots.Save(sheet, "gsm-pages-settings-tcp-running", false);
            Wait(*p.worker);
            shots.Save(sheet, "gsm-pages-settings-tcp-done");
            settings->WebSite()->clear();
            settings->ConnectButton()->click();
            Wait(*p.worker);
            shots.Save(sheet, "gsm-pages-settings-tcp-no-site");

            sheet->SetActivePage(mrs);
            shots.Save(sheet, "gsm-pages-mrs");
            taken = false;
            p.ui->SetScript([&](QtOperator::Prompt& prompt) {
                if (!taken) taken = shots.Save(sheet, "gsm-pages-mrs-submitting", false);
                answer(prompt);
            });
            mrs->Submit()->click();
            Wait(*p.worker);
            p.ui->SetScript(answer);
            shots.Save(sheet, "gsm-pages-mrs-submitted");

            ATModeTestDialog dialog(p, sheet);
            dialog.show();
            shots.Save(&dialog, "dialog-at-test-mode-empty");
            dialog.Command()->setText("AT+CSQ");
            dialog.SubmitButton()->click();
            shots.Save(&dialog, "dialog-at-test-mode-running", false);
            Wait(*p.worker);
            shots.Save(&dialog, "dialog-at-test-mode-csq");
            dialog.Command()->setText("AT&F1");
            dialog.SubmitButton()->click();
            Wait(*p.worker);
            shots.Save(&dialog, "dialog-at-test-mode-refused");
            dialog.Command()->setText("AT&V");
            dialog.SubmitButton()->click();
            Wait(*p.worker);
            shots.Save(&dialog, "dialog-at-test-mode-profile");
            dialog.ExitButton()->click();
        });

    // An applet older than 3.002: the MRS page is refused and locked.
    WithGsmReceiver(
        p, [](qvr::sim::GsmModuleConfig& module) { module.appletVersion = "3.001"; },
        [&](CQVR4100MAQuickToolApp& app, CQVRPropertySheet* sheet) {
            bool taken = false;
            p.ui->SetScript([&](QtOperator::Prompt& prompt) {
                if (!taken) taken = shots.Save(sheet, "gsm-pages-mrs-old-applet-message", false);
                answer(prompt);
            });
            sheet->SetActivePage(app.MrsPage());
            p.ui->SetScript(answer);
            shots.Save(sheet, "gsm-pages-mrs-old-applet");
        });
}

} // namespace

// The Debug File dialog: idle, locked while the worker runs, at the end of
// a download with its bar full, and idle again.
void ShootDebugFile(ProgramState& p, Shooter& shots) {
    CDebugFileDialog::SetPollInterval(1);
    QTemporaryDir dir;
    WithReceiver(p, "uhf", [&](CQVR4100MAQuickToolApp& app, qvr::sim::VirtualLink&, bool&) {
        CDebugFileDialog dialog(p, qvr::Variant::Desktop, app.Sheet());
        dialog.show();
        shots.Save(&dialog, "dialog-debug-file-idle");
        dialog.Path()->setText(dir.filePath("DebugFile.bin"));
        dialog.EnableButton()->click();
        Wait(*p.worker);
        const QtOperator::Script previous = p.ui->GetScript();
        p.ui->SetScript([&](QtOperator::Prompt& prompt) {
            prompt.answer = qvr::MessageAnswer::Ok;
            if (prompt.text.startsWith("Are you sure you wish to retrieve")) {
                for (int i = 0; i < 5; ++i) {
                    QThread::msleep(3);
                    QApplication::processEvents();
                }
                shots.Save(&dialog, "dialog-debug-file-running");
            }
            if (prompt.text == "File Download Successful!") shots.Save(&dialog, "dialog-debug-file-finished");
        });
        dialog.GetFileButton()->click();
        Wait(*p.worker);
        for (int i = 0; i < 5; ++i) {
            QThread::msleep(3);
            QApplication::processEvents();
        }
        shots.Save(&dialog, "dialog-debug-file-idle-again");
        p.ui->SetScript(previous);
    });
}

int main(int argc, char** argv) {
    return RunShots(argc, argv, "qvr-desktop-shots", [](Shooter& shots) {
        QtOperator ui;
        ReceiverWorker worker;
        ProgramState p;
        p.ui = &ui;
        p.worker = &worker;
        p.simulatedPort = "SIM1";

        // Prompts are answered, not shown: OK and Yes, the serial number on the
        // enclosure, the radio kept. The radio prompt's texts are kept for its shot.
        SeenPrompts seen;
        auto answer = [&seen](QtOperator::Prompt& prompt) {
            prompt.answer = prompt.buttons == qvr::MessageButtons::YesNo ? qvr::MessageAnswer::Yes : qvr::MessageAnswer::Ok;
            if (prompt.kind == QtOperator::Prompt::Kind::EnclosureSerial) prompt.entered = "QV410002317";
            if (prompt.kind == QtOperator::Prompt::Kind::RadioNotFound) {
                seen.radioText = prompt.text;
                seen.radioBox = prompt.checkBoxText;
            }
        };

        struct Receiver {
            const char* preset;
            const char* name;
        };
        bool first = true;
        for (const Receiver& r : {Receiver{"none", "max"}, Receiver{"uhf", "uhf"}, Receiver{"gsm", "gsm"},
                                  Receiver{"ma", "ma"}, Receiver{"lbx", "lbx"}}) {
            ui.SetScript(answer);
            ShootReceiver(p, shots, r.preset, r.name, first);
            first = false;
        }
        // A receiver whose configuration names a UHF radio that does not answer.
        ui.SetScript(answer);
        ShootReceiver(p, shots, "none", "missing-radio", false, [](qvr::sim::SimUnit& unit) {
            for (auto& c : unit.receiver.Components())
                if (c.type == qvr::sim::component::UserInfo) {
                    c.texts[2] = "3AS/PT";
                    c.texts[4] = "0000000000000001";
                    c.texts[5] = "0096N81NNNNN";
                }
        });

        ui.SetScript(answer);
        ShootGsmPages(p, shots, answer);

        ShootUhfAndUpgradePages(p, shots);
        ShootDebugFile(p, shots);

        // The three dialogs, empty and filled in.
        {
            CChangeSerialDialog dialog("QV410002317");
            dialog.show();
            shots.Save(&dialog, "dialog-change-serial-empty");
            dialog.Edit()->setText("abc12345678");
            shots.Save(&dialog, "dialog-change-serial-filled");
            dialog.Edit()->setText("AB312345678");
            shots.Save(&dialog, "dialog-change-serial-invalid");
        }
        {
            CEnclosureNumberDialog dialog;
            dialog.show();
            shots.Save(&dialog, "dialog-enclosure-empty");
            dialog.Edit()->setText("QV410002317");
            shots.Save(&dialog, "dialog-enclosure-filled");
        }
        {
            CRadioNotFoundDialog dialog;
            dialog.show();
            shots.Save(&dialog, "dialog-radio-not-found-empty");
            if (seen.radioText.isEmpty()) {
                std::fprintf(stderr, "qvr-desktop-shots: the refresh did not ask about the missing radio\n");
            } else {
                dialog.SetTexts(seen.radioText, seen.radioBox);
                shots.Save(&dialog, "dialog-radio-not-found-filled");
                dialog.CheckBox()->click();
                shots.Save(&dialog, "dialog-radio-not-found-checked");
            }
        }

        // The help window at each topic.
        SetHelpBook(DesktopHelpBook());
        for (int topic = 1; topic <= 8; ++topic) {
            ShowHelpTopic(topic);
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "QVRHelpWindow" && w->isVisible())
                    shots.Save(w, QString("help-%1").arg(topic));
        }

        worker.WaitIdle();
    });
}
