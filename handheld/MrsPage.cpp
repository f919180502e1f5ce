#include "handheld/MrsPage.h"

CNtripSourcePropertyPage::CNtripSourcePropertyPage(ProgramState& program, QWidget* parent) : CHandheldPage(program, "MRS", "#MRS_tab", parent) {}
