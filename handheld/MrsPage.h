#pragma once
#include "handheld/Pages.h"

// The handheld program's MRS page: the module's NTRIP source settings.
class CNtripSourcePropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CNtripSourcePropertyPage(ProgramState& program, QWidget* parent = nullptr);
};
