#include "gui/Simulation.h"

// The simulated receiver is served on a pseudo-terminal, which this system
// does not have.
QString StartSimulation(const QString&, QString* error) {
    *error = "a simulated receiver needs a pseudo-terminal, which this system does not offer";
    return {};
}

void StopSimulation() {}
