#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QPushButton>

#include "ProgramBench.h"
#include "handheld/App.h"
#include "handheld/ConnectionPage.h"
#include "handheld/ProcessList.h"
#include "handheld/PropertySheet.h"

// The running processes as the test says (empty: TRV+ is not running).
struct FedProcessList : IProcessList {
    std::vector<std::string> names;
    bool snapshotFails = false;
    bool Snapshot(std::vector<std::string>* out) override {
        if (snapshotFails) return false;
        *out = names;
        return true;
    }
};

// The handheld program on the simulated receiver (ProgramBench), its sheet
// shown; the Connection page's timer polls every few milliseconds.
struct HandheldFixture : ProgramBench {
    explicit HandheldFixture(const std::string& preset = "none", int baud = 9600)
        : ProgramBench(preset, baud, qvr::Variant::Handheld) {
        CConnectionsPropertyPage::SetPollInterval(5);
        app = std::make_unique<CQVRConfigToolApp>(program, &processes);
        app->Sheet()->show();
    }
    ~HandheldFixture() {
        worker.WaitIdle();
        app.reset();
    }

    CConnectionsPropertyPage* Connection() const { return app->ConnectionPage(); }
    // Presses Connect (or Disconnect), waits for the worker and then for the
    // page's timer to have taken over the result.
    void PressConnect() {
        Connection()->ConnectButton()->click();
        worker.WaitIdle();
        while (Connection()->Polling())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
        QApplication::processEvents();
    }
    std::vector<QString> Tabs() const {
        std::vector<QString> tabs;
        for (int i = 0; i < app->Sheet()->PageCount(); ++i) tabs.push_back(app->Sheet()->PageAt(i)->Caption());
        return tabs;
    }

    FedProcessList processes;
    std::unique_ptr<CQVRConfigToolApp> app;
};
