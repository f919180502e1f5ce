#pragma once

class QWidget;
struct ProgramState;

// A scripted start for checking a build on a machine nobody sits at (CI
// starts the Windows programs under Wine this way). With
//
//   QVR_SCRIPTED_CONNECT=PORT;IMAGE.png
//
// in the environment, the program selects PORT on its Connection page,
// presses Connect, and once the connect has ended saves the sheet as
// IMAGE.png and the whole screen as IMAGE-screen.png, prints the outcome and
// the tabs on stdout ("connected: Connection, Receiver Settings, ...") and
// closes the sheet like the title bar's close button. A connect that has not
// ended within QVR_SCRIPTED_TIMEOUT seconds (default 180) saves the images
// too and ends the program with exit status 3; so does one that failed.
// Without the variable nothing happens.
void StartScriptedRun(QWidget* sheet, ProgramState& program);
