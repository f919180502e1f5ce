#pragma once
#include "handheld/Pages.h"

// The handheld program's Receiver page: prompt volume, language, POWERUP choice and timer LED.
class CRecieverPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CRecieverPropertyPage(ProgramState& program, QWidget* parent = nullptr);
};
