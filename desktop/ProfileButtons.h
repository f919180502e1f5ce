#pragma once
#include <functional>

#include <QString>

class QLabel;
class QWidget;
struct ProgramState;

// The Connection page's "Save Settings..." and "Apply Settings...": the
// receiver's settings to a profile file, and a profile's differences
// applied after the operator has seen them and agreed.
namespace profile_buttons {

// Picks the file (save: where to write it); empty: cancelled. The file
// dialog unless a test replaced it.
using FileChooser = std::function<QString(QWidget* parent, bool save)>;
void SetFileChooser(FileChooser chooser);

void SaveSettings(ProgramState& program, QWidget* page);
// status: the page's status line, which shows the phases.
void ApplySettings(ProgramState& program, QWidget* page, QLabel* status);

} // namespace profile_buttons
