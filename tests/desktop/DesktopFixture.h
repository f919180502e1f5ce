#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QPushButton>

#include "ProgramBench.h"
#include "desktop/App.h"
#include "desktop/ConnectionPage.h"
#include "desktop/PropertySheet.h"

// The desktop program on the simulated receiver (ProgramBench), its sheet shown.
struct DesktopFixture : ProgramBench {
    explicit DesktopFixture(const std::string& preset = "none", int baud = 9600)
        : ProgramBench(preset, baud, qvr::Variant::Desktop) {
        app = std::make_unique<CQVR4100MAQuickToolApp>(program);
        app->Sheet()->show();
    }
    ~DesktopFixture() {
        worker.WaitIdle();
        app.reset();
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

    std::unique_ptr<CQVR4100MAQuickToolApp> app;
};
