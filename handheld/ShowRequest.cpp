#include "handheld/ShowRequest.h"

#include <QApplication>
#include <QWidget>

void ShowRequestListener::Show() {
    if (!m_window) return;
    if (m_window->isMinimized() || !m_window->isVisible()) m_window->showMaximized();
    m_window->raise();
    m_window->activateWindow();
    // A box open over the window stays in front of it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != m_window) {
        modal->raise();
        modal->activateWindow();
    }
    emit shown();
}
