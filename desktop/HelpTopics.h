#pragma once
#include "gui/Help.h"

// The desktop program's help: one topic per tab, 1 Connection ... 8 MRS.
HelpBook DesktopHelpBook();
