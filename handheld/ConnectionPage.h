#pragma once
#include "handheld/Pages.h"

// The handheld program's Connection page: port, connect on a worker polled by a one-second timer, identity.
class CConnectionsPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CConnectionsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
};
