#include "handheld/ConnectionPage.h"

CConnectionsPropertyPage::CConnectionsPropertyPage(ProgramState& program, QWidget* parent) : CHandheldPage(program, "Connection", "#Connection_tab", parent) {}
