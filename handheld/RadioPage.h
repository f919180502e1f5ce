#pragma once
#include "handheld/Pages.h"

// The handheld program's Radio page: the UHF radio's settings or the GSM module's status.
class CRadioSettingsPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CRadioSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
};
