#pragma once
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

// Sizes for a screen worked with a finger or a stylus, and the screen a
// window has to fit.

// The area windows may use on the screen near a widget (null: the primary
// screen): the screen's available geometry, or the area set below.
QRect ScreenArea(const QWidget* near = nullptr);
// The review tool lays windows out as on a screen of this size (an empty
// rectangle: the real screen again).
void SetScreenArea(const QRect& area);

// The height of a touch target, about 7 mm at the screen's density, in
// device-independent pixels. The density is the larger of the screen's
// logical and physical density; a screen no larger than 480 x 640 is a
// field controller's, about 3.5 inches across, unless it says it is denser
// (240 x 320: 32 pixels, 480 x 640: 63 pixels).
int TouchSize(const QWidget* near = nullptr);

// Makes every control of the application touch-sized: buttons, drop-down
// lists and their rows, edit fields, check boxes, list rows, slider handles
// and scroll bars. For the handheld program; call after the application
// object exists. On a screen much denser than the platform's fonts assume
// the application's font grows with it. Called again after the screen
// area changed (the review tool), it sizes the font for the new area.
void InstallTouchStyle();

// Sizes a top-level window to its contents (or to wanted), no larger than
// the screen area (less the window manager's frame once it is shown), and
// centres it there. Labels wrap instead of widening the window.
void FitToScreen(QWidget* window, QSize wanted = QSize());
