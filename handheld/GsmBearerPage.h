#pragma once
#include "handheld/Pages.h"

// The handheld program's GSM Bearer page: the module's data bearer.
class CGSMBearerSettingsPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
};
