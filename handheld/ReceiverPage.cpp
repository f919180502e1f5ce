#include "handheld/ReceiverPage.h"

CRecieverPropertyPage::CRecieverPropertyPage(ProgramState& program, QWidget* parent) : CHandheldPage(program, "Receiver", "#Receiver_Settings_tab", parent) {}
