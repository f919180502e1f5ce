#include "handheld/GsmBearerPage.h"

CGSMBearerSettingsPropertyPage::CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent) : CHandheldPage(program, "GSM Bearer", "#GSM_Bearer_tab", parent) {}
