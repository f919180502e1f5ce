#include "handheld/RadioPage.h"

CRadioSettingsPropertyPage::CRadioSettingsPropertyPage(ProgramState& program, QWidget* parent) : CHandheldPage(program, "Radio", "#Radio_tab", parent) {}
