#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QPushButton>

#include "App.h"
#include "ConnectionPage.h"
#include "MAReceiver.h"
#include "ProgramState.h"
#include "PropertySheet.h"
#include "QtOperator.h"
#include "ReceiverWorker.h"
#include "RecordingTrace.h"
#include "SimUnit.h"
#include "VirtualLink.h"

// The desktop program as main() builds it, but with the receiver object on
// the in-process simulated receiver in virtual time (a connect with its
// refresh finishes at once) and every prompt answered by a script that
// records it.
struct DesktopFixture {
    explicit DesktopFixture(const std::string& preset = "none", int baud = 9600) {
        unit = qvr::sim::MakePreset(preset, baud);
        link = std::make_unique<qvr::sim::VirtualLink>(unit->receiver);
        qvr::PlatformServices services{&link->Clock(), &link->Device(), &trace, nullptr, &ui, &ui};
        receiver = std::make_unique<qvr::MAReceiver>(qvr::Variant::Desktop, services);
        ProgramState& p = Program();
        p = ProgramState{};
        p.receiver = receiver.get();
        p.ui = &ui;
        p.worker = &worker;
        p.simulatedPort = "SIM1";
        ui.SetScript([this](QtOperator::Prompt& prompt) {
            if (!answers.empty()) {
                prompt.answer = answers.front();
                answers.erase(answers.begin());
            }
            if (prompt.kind == QtOperator::Prompt::Kind::EnclosureSerial) prompt.entered = enclosureSerial;
            if (prompt.kind == QtOperator::Prompt::Kind::RadioNotFound) prompt.checked = radioRemoved;
        });
        app = std::make_unique<CQVR4100MAQuickToolApp>();
        app->Sheet()->show();
    }
    ~DesktopFixture() {
        worker.WaitIdle();
        app.reset();
        Program() = ProgramState{};
    }

    CCConnectionPropertyPage* Connection() const { return app->ConnectionPage(); }
    // Presses Connect (or Disconnect) and waits for the worker.
    void PressConnect() {
        Connection()->ConnectButton()->click();
        worker.WaitIdle();
        QApplication::processEvents();
    }
    std::vector<QString> Tabs() const {
        std::vector<QString> tabs;
        for (int i = 0; i < app->Sheet()->PageCount(); ++i) tabs.push_back(app->Sheet()->PageAt(i)->Caption());
        return tabs;
    }
    // Texts of the prompts shown so far.
    std::vector<QString> PromptTexts() const {
        std::vector<QString> texts;
        for (const auto& p : ui.Prompts()) texts.push_back(p.text);
        return texts;
    }

    std::unique_ptr<qvr::sim::SimUnit> unit;
    std::unique_ptr<qvr::sim::VirtualLink> link;
    qvr::test::RecordingTrace trace;
    QtOperator ui;
    ReceiverWorker worker;
    std::unique_ptr<qvr::MAReceiver> receiver;
    std::unique_ptr<CQVR4100MAQuickToolApp> app;
    std::vector<qvr::MessageAnswer> answers;  // next answers to questions
    QString enclosureSerial;
    bool radioRemoved = false;
};
