// qvr-handheld-shots OUTDIR: renders every page of the handheld program and
// its Debug File dialog in their main states, its message boxes, file
// chooser and help window, at 240 x 320 and at
// 480 x 640, to PNG files for review. The receivers are simulated
// in-process in virtual time, so a run takes seconds. A page whose layout
// needs more room than the screen gives is reported on stderr.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>

#include "MAReceiver.h"
#include "PageActions.h"
#include "SimGsmModule.h"
#include "SimUnit.h"
#include "VirtualLink.h"
#include "gui/DebugFileDialog.h"
#include "gui/FileChooser.h"
#include "gui/Help.h"
#include "gui/Touch.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "gui/Shots.h"
#include "handheld/App.h"
#include "handheld/ConnectionPage.h"
#include "handheld/GsmBearerPage.h"
#include "handheld/HelpTopics.h"
#include "handheld/MrsPage.h"
#include "handheld/Pages.h"
#include "handheld/PropertySheet.h"
#include "handheld/ReceiverPage.h"

namespace {

void Wait(ReceiverWorker& worker) {
    worker.WaitIdle();
    QApplication::processEvents();
}

void AnswerAll(QtOperator::Prompt& prompt) {
    prompt.answer = prompt.buttons == qvr::MessageButtons::YesNo ? qvr::MessageAnswer::Yes : qvr::MessageAnswer::Ok;
    if (prompt.kind == QtOperator::Prompt::Kind::EnclosureSerial) prompt.entered = "QV410002317";
}

struct Screen {
    QSize size;
    QString name;
};

// One simulated receiver of a preset with the handheld program's sheet at
// the screen's size; `change` adjusts the receiver before anything is sent.
// body gets a function that connects (the core's connect and refresh on
// the worker, then the pages as the Connection page adds them).
using Body = std::function<void(CQVRConfigToolApp&, CQVRPropertySheet*, const std::function<bool()>& connect)>;
void WithHandheld(ProgramState& p, const std::string& preset, const Screen& screen,
                  const std::function<void(qvr::sim::SimUnit&)>& change, const Body& body) {
    auto unit = qvr::sim::MakePreset(preset);
    if (change) change(*unit);
    qvr::sim::VirtualLink link(unit->receiver);
    qvr::PlatformServices services{&link.Clock(), &link.Device(), nullptr, nullptr, p.ui, p.ui};
    qvr::MAReceiver receiver(qvr::Variant::Handheld, services);
    p.receiver = &receiver;
    p.record = {};
    p.connected = false;
    {
        CQVRConfigToolApp app(p);
        CQVRPropertySheet* sheet = app.Sheet();
        // The sheet fills the screen, as it is shown maximised.
        sheet->setFixedSize(screen.size);
        sheet->show();
        // Connect pressed as the operator does; the timer takes the result.
        CConnectionsPropertyPage::SetPollInterval(1);
        auto connect = [&p, &app] {
            app.ConnectionPage()->ConnectButton()->click();
            Wait(*p.worker);
            while (app.ConnectionPage()->Polling()) QApplication::processEvents(QEventLoop::AllEvents, 5);
            QApplication::processEvents();
            return p.connected;
        };
        body(app, sheet, connect);
        Wait(*p.worker);
    }
    p.receiver = nullptr;
    p.connected = false;
}

// Every tab of a connected receiver, and the Receiver page while Submit
// runs (taken while the worker waits on the first message).
void ShootReceiver(ProgramState& p, Shooter& shots, const Screen& screen, const std::string& preset,
                   const QString& name, bool notConnectedToo) {
    WithHandheld(p, preset, screen, {}, [&](CQVRConfigToolApp& app, CQVRPropertySheet* sheet, auto connect) {
        if (notConnectedToo) shots.Save(sheet, screen.name + "-not-connected");
        if (!connect()) {
            std::fprintf(stderr, "qvr-handheld-shots: the %s receiver did not connect\n", preset.c_str());
            return;
        }
        for (int i = 0; i < sheet->PageCount(); ++i) {
            sheet->Tabs()->setCurrentIndex(i);
            shots.Save(sheet, QString("%1-%2-%3-%4").arg(screen.name, name).arg(i + 1).arg(Slug(sheet->PageAt(i)->Caption())));
        }
        CRecieverPropertyPage* page = app.ReceiverPage();
        sheet->SetActivePage(page);
        QApplication::processEvents();
        if (notConnectedToo) {
            // The sample button's focused and pressed pictures.
            page->SampleButton()->setFocus();
            shots.Save(sheet, QString("%1-%2-receiver-sample-focused").arg(screen.name, name));
            page->SampleButton()->setDown(true);
            shots.Save(sheet, QString("%1-%2-receiver-sample-pressed").arg(screen.name, name));
            page->SampleButton()->setDown(false);
        }
        // A new POWERUP choice: the factory-reset notice comes first.
        page->Powerup()->setCurrentIndex(page->Powerup()->count() - 1);
        bool taken = false;
        p.ui->SetScript([&](QtOperator::Prompt& prompt) {
            if (!taken) taken = shots.Save(sheet, QString("%1-%2-receiver-submitting").arg(screen.name, name), false);
            AnswerAll(prompt);
        });
        page->Submit()->click();
        Wait(*p.worker);
        p.ui->SetScript(AnswerAll);
    });
}

// The GSM Bearer and MRS pages with settings in the module, their submits,
// "NO BEARER" chosen, and the MRS page of an old applet.
void ShootGsmPages(ProgramState& p, Shooter& shots, const Screen& screen) {
    const QString prefix = screen.name + "-gsm-pages";
    WithHandheld(
        p, "gsm", screen,
        [](qvr::sim::SimUnit& unit) {
            auto& module = static_cast<qvr::sim::SimGsmModule&>(*unit.radio).Config();
            module.signalLevel = -87;
            module.bearer.gprsUserName = "surveyor";
            module.bearer.gprsPassword = "field-2024";
            module.bearer.gprsAccessPointName = "internet.provider.example";
            module.bearer.gprsTimeout = 120;
            module.ntrip = {"caster.example.com", "RTCM3_NEAR", "secret", "2101", "1"};
        },
        [&](CQVRConfigToolApp& app, CQVRPropertySheet* sheet, auto connect) {
            if (!connect()) {
                std::fprintf(stderr, "qvr-handheld-shots: the GSM receiver did not connect\n");
                return;
            }
            CGSMBearerSettingsPropertyPage* bearer = app.GsmBearerPage();
            CNtripSourcePropertyPage* mrs = app.MrsPage();
            sheet->SetActivePage(bearer);
            shots.Save(sheet, prefix + "-bearer-gprs");
            bool taken = false;
            p.ui->SetScript([&](QtOperator::Prompt& prompt) {
                if (!taken) taken = shots.Save(sheet, prefix + "-bearer-submitting", false);
                AnswerAll(prompt);
            });
            bearer->Submit()->click();
            Wait(*p.worker);
            p.ui->SetScript(AnswerAll);
            bearer->BearerType()->setCurrentIndex(bearer->BearerType()->findText("NO BEARER"));
            shots.Save(sheet, prefix + "-bearer-no-bearer-chosen");

            sheet->SetActivePage(mrs);
            shots.Save(sheet, prefix + "-mrs");
            taken = false;
            p.ui->SetScript([&](QtOperator::Prompt& prompt) {
                if (!taken) taken = shots.Save(sheet, prefix + "-mrs-submitting", false);
                AnswerAll(prompt);
            });
            mrs->Submit()->click();
            Wait(*p.worker);
            p.ui->SetScript(AnswerAll);
            shots.Save(sheet, prefix + "-mrs-submitted");
        });

    // An applet older than 3.002: the MRS page is refused and locked.
    WithHandheld(
        p, "gsm", screen,
        [](qvr::sim::SimUnit& unit) { static_cast<qvr::sim::SimGsmModule&>(*unit.radio).Config().appletVersion = "3.001"; },
        [&](CQVRConfigToolApp& app, CQVRPropertySheet* sheet, auto connect) {
            if (!connect()) return;
            sheet->SetActivePage(app.MrsPage());
            shots.Save(sheet, prefix + "-mrs-old-applet");
        });
}

// The Debug File dialog (handheld wording) at its own size, bounded by the
// screen: idle, while the download runs, at its end and idle again.
void ShootDebugFile(ProgramState& p, Shooter& shots, const Screen& screen) {
    CDebugFileDialog::SetPollInterval(1);
    QTemporaryDir dir;
    const QString prefix = screen.name + "-dialog-debug-file";
    WithHandheld(p, "uhf", screen, {}, [&](CQVRConfigToolApp& app, CQVRPropertySheet*, auto connect) {
        if (!connect()) return;
        CDebugFileDialog dialog(p, qvr::Variant::Handheld, app.Sheet());
        dialog.show();
        shots.Save(&dialog, prefix + "-idle");
        dialog.Path()->setText(dir.filePath("DebugFile.bin"));
        dialog.EnableButton()->click();
        Wait(*p.worker);
        p.ui->SetScript([&](QtOperator::Prompt& prompt) {
            AnswerAll(prompt);
            if (prompt.text.startsWith("Are you sure you wish to retrieve")) {
                for (int i = 0; i < 5; ++i) {
                    QThread::msleep(3);
                    QApplication::processEvents();
                }
                shots.Save(&dialog, prefix + "-running");
            }
            if (prompt.text == "Successful!") shots.Save(&dialog, prefix + "-finished");
        });
        dialog.GetFileButton()->click();
        Wait(*p.worker);
        for (int i = 0; i < 5; ++i) {
            QThread::msleep(3);
            QApplication::processEvents();
        }
        shots.Save(&dialog, prefix + "-idle-again");
        p.ui->SetScript(AnswerAll);
    });
}

// Every kind of message box the program shows (the longest texts), the
// serial-number prompt, the file chooser and the help window, each at the
// size it takes on the screen.
void ShootWindows(ProgramState& p, Shooter& shots, const Screen& screen, QTemporaryDir& dir) {
    struct Box {
        const char* name;
        const char* caption;
        const char* text;
        qvr::MessageIcon icon;
        qvr::MessageButtons buttons;
    };
    const Box boxes[] = {
        {"connect-failed", "QVR Config Tool",
         "Unable to establish connection to receiver. \r\n\r\nPlease verify the following and try again:\r\n\r\n1) You "
         "have selected the correct PC COM port.\r\n2) Ensure the receiver is powered on and ready.\r\n3) The selected "
         "PC COM port is not currently in use by another application.",
         qvr::MessageIcon::None, qvr::MessageButtons::Ok},
        {"out-of-date", "QVR Config Tool",
         "The firmware (OEM and/or UserApp) for this receiver is out of date.\r\nPlease contact your Brenor dealer for "
         "upgrade details.",
         qvr::MessageIcon::Exclamation, qvr::MessageButtons::Ok},
        {"factory-reset", "QVR Config Tool",
         "You must factory reset the receiver before changes to the Factory POWERUP settings will take effect.",
         qvr::MessageIcon::Error, qvr::MessageButtons::Ok},
        {"delete-question", "Warning!", "Are you sure you wish to delete the debug file?", qvr::MessageIcon::Exclamation,
         qvr::MessageButtons::OkCancel},
        {"successful", "Successful!", "Successful!", qvr::MessageIcon::None, qvr::MessageButtons::Ok},
        {"busy-radio", "QVR Config Tool",
         "A UHF radio was detected in the receiver, however it is currently receiving data which impedes the ability of "
         "this tool to detect its settings. As a result please note the 'Current Frequency' could not be read.\r\n\r\n"
         "If it is desired to read this information, find the source of the transmission and temporarily disable it, "
         "then re-run this tool.",
         qvr::MessageIcon::Exclamation, qvr::MessageButtons::Ok},
        {"radio-not-found", "QVR Config Tool",
         "The current receiver configuration indicates that a UHF radio is installed, but one was not detected.\r\n\r\n"
         "This typically occurs when:\r\n\r\n1) The radio is receiving UHF transmissions from another source and will "
         "not respond to commands, or \r\n2) The radio is inoperative or has been removed.\r\n\r\nPlease ensure that "
         "no radio sources are actively transmitting and try connecting again.",
         qvr::MessageIcon::Exclamation, qvr::MessageButtons::Ok},
    };
    for (const Box& box : boxes) {
        QtOperator::Prompt prompt;
        prompt.caption = box.caption;
        prompt.text = ScreenText(box.text);
        prompt.icon = box.icon;
        prompt.buttons = box.buttons;
        std::unique_ptr<QDialog> dialog(p.ui->CreateDialog(prompt, nullptr));
        dialog->show();
        shots.Save(dialog.get(), QString("%1-box-%2").arg(screen.name, box.name));
    }
    QtOperator::Prompt serial;
    serial.kind = QtOperator::Prompt::Kind::EnclosureSerial;
    std::unique_ptr<QDialog> enclosure(p.ui->CreateDialog(serial, nullptr));
    enclosure->show();
    shots.Save(enclosure.get(), screen.name + "-dialog-enclosure-serial");

    QDir(dir.path()).mkdir("Logs");
    QDir(dir.path()).mkdir("Survey jobs 2024");
    for (const char* name : {"DebugFile.bin", "DebugFile-old.bin", "notes.txt"}) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
    }
    CompactFileChooser chooser("Debug File", dir.filePath("DebugFile.bin"));
    chooser.show();
    shots.Save(&chooser, screen.name + "-dialog-file-chooser");

    QWidget owner;
    owner.resize(screen.size);
    for (const char* anchor : {"#Connection_tab", "#Radio_tab", "#MRS_tab"}) {
        ShowHelpDocument(HandheldHelpDocument(), anchor, &owner);
        QWidget* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "QVRHelpWindow" && w->isVisible()) help = w;
        if (!help) continue;
        // Where the window manager would put it: the whole screen.
        help->setGeometry(QRect(QPoint(0, 0), screen.size));
        QApplication::processEvents();
        shots.Save(help, QString("%1-help-%2").arg(screen.name, Slug(QString(anchor + 1).remove("_tab").replace('_', ' '))));
        help->close();
    }
}

} // namespace

int main(int argc, char** argv) {
    return RunShots(argc, argv, "qvr-handheld-shots", [](Shooter& shots) {
        QtOperator ui;
        ReceiverWorker worker;
        ProgramState p;
        p.ui = &ui;
        p.worker = &worker;
        p.simulatedPort = "SIM1";
        ui.SetScript(AnswerAll);
        ui.SetHandheld(true);
        InstallTouchStyle();
        QTemporaryDir files;

        struct Receiver {
            const char* preset;
            const char* name;
        };
        for (const Screen& screen : {Screen{QSize(240, 320), "240x320"}, Screen{QSize(480, 640), "480x640"}}) {
            // Windows are laid out as on a screen of this size.
            SetScreenArea(QRect(QPoint(0, 0), screen.size));
            InstallTouchStyle();
            bool first = true;
            for (const Receiver& r : {Receiver{"none", "max"}, Receiver{"uhf", "uhf"}, Receiver{"gsm", "gsm"},
                                      Receiver{"ma", "ma"}, Receiver{"lbx", "lbx"}}) {
                ShootReceiver(p, shots, screen, r.preset, r.name, first);
                first = false;
            }
            ShootGsmPages(p, shots, screen);
            ShootDebugFile(p, shots, screen);
            ShootWindows(p, shots, screen, files);
        }
        SetScreenArea(QRect());

        worker.WaitIdle();
    });
}
