#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QRegularExpression>
#include <QString>

#include "MAReceiver.h"
#include "RecordingTrace.h"
#include "SimUnit.h"
#include "VirtualLink.h"
#include "gui/Abort.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

// What a program's main() builds around its user interface, but with the
// receiver object on the in-process simulated receiver in virtual time (a
// connect with its refresh finishes at once) and every prompt answered by a
// script that records it. The fixtures of the two programs add their
// application object.
struct ProgramBench {
    ProgramBench(const std::string& preset, int baud, qvr::Variant variant) {
        unit = qvr::sim::MakePreset(preset, baud);
        link = std::make_unique<qvr::sim::VirtualLink>(unit->receiver);
        // Wired as main() wires the receiver object: its clock and port stop
        // when the window closes during an operation.
        clock = std::make_unique<AbortableClock>(link->Clock(), abort);
        device = std::make_unique<AbortableDevice>(link->Device(), *clock, abort);
        qvr::PlatformServices services{clock.get(), device.get(), &trace, nullptr, &ui, &ui};
        receiver = std::make_unique<qvr::MAReceiver>(variant, services);
        ProgramState& p = program;
        p.receiver = receiver.get();
        p.ui = &ui;
        p.worker = &worker;
        p.abort = &abort;
        p.simulatedPort = "SIM1";
        // The upgrade engines take the same link; the end of the program is noted.
        p.upgradeDevice = &link->Device();
        p.clock = &link->Clock();
        p.trace = &trace;
        p.endProgram = [this](int code) { exitCodes.push_back(code); };
        ui.SetScript([this](QtOperator::Prompt& prompt) {
            if (!answers.empty()) {
                prompt.answer = answers.front();
                answers.erase(answers.begin());
            }
            if (prompt.kind == QtOperator::Prompt::Kind::EnclosureSerial) prompt.entered = enclosureSerial;
            if (prompt.kind == QtOperator::Prompt::Kind::RadioNotFound) prompt.checked = radioRemoved;
        });
    }

    // A button's or label's text as shown, without its mnemonic marker.
    static QString Shown(const QString& text) {
        QString shown = text;
        return shown.remove(QRegularExpression("&(?=[^&])"));
    }
    // Texts of the prompts shown so far.
    std::vector<QString> PromptTexts() const {
        std::vector<QString> texts;
        for (const auto& p : ui.Prompts()) texts.push_back(p.text);
        return texts;
    }

    std::unique_ptr<qvr::sim::SimUnit> unit;
    std::unique_ptr<qvr::sim::VirtualLink> link;
    AbortSwitch abort;
    std::unique_ptr<AbortableClock> clock;
    std::unique_ptr<AbortableDevice> device;
    qvr::test::RecordingTrace trace;
    QtOperator ui;
    ReceiverWorker worker;
    ProgramState program;
    std::unique_ptr<qvr::MAReceiver> receiver;
    std::vector<qvr::MessageAnswer> answers;  // next answers to questions
    QString enclosureSerial;
    std::vector<int> exitCodes;  // each time the program would have ended
    bool radioRemoved = false;
};
