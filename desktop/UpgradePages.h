#pragma once
#include "desktop/Pages.h"

// "UHF Upgrade": reprograms the UHF radio's firmware from an ".sfo" file.
class CUHFUpgradePropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CUHFUpgradePropertyPage(ProgramState& program, QWidget* parent = nullptr);
};

// "GSM Upgrade": replaces the GSM module's applet with a ".jar" file.
class CGSMUpgradePage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMUpgradePage(ProgramState& program, QWidget* parent = nullptr);
};
