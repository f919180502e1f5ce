#pragma once
#include <QString>

// --simulate[=PRESET]: a simulated receiver served on a pseudo-terminal in
// the background for training and demos. Returns the port to connect to, or
// an empty text (with the reason in *error) when it cannot be started.
QString StartSimulation(const QString& preset, QString* error);
void StopSimulation();
