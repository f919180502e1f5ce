#pragma once
#include "gui/Help.h"

// The handheld program's help: one document, "Config_Tool_Help.htm", with
// an anchor per tab ("#Connection_tab", "#Receiver_Settings_tab",
// "#Radio_tab", "#GSM_Bearer_tab", "#MRS_tab").
HelpDocument HandheldHelpDocument();
