#include "gui/SheetDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWhatsThis>

#include "gui/ProgramState.h"

SheetDialog::SheetDialog(ProgramState& program, QWidget* parent) : QDialog(parent), m_program(program) {
    qApp->installEventFilter(this);
}

SheetDialog::~SheetDialog() { qApp->removeEventFilter(this); }

bool SheetDialog::event(QEvent* event) {
    if (event->type() == QEvent::EnterWhatsThisMode) {
        // The title bar's help button: help for the tab in front.
        QWhatsThis::leaveWhatsThisMode();
        OpenContextHelp();
        return true;
    }
    return QDialog::event(event);
}

bool SheetDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this || widget == this) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
        OpenContextHelp();
        return true;
    }
    // Shift doesn't matter.
    if (!(key->modifiers() & Qt::ControlModifier) || !IsHotKey(key->key()) || !m_program.connected) return false;
    const int code = key->key();
    QMetaObject::invokeMethod(this, [this, code] { HotKey(code); }, Qt::QueuedConnection);
    return true;
}

void SheetDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        OpenContextHelp();
        return;
    }
    if (event->key() == Qt::Key_Escape) return;  // the sheet has no Cancel button
    if (event->modifiers() & Qt::ControlModifier) HotKey(event->key());
    QDialog::keyPressEvent(event);
}

void SheetDialog::reject() {
    // Escape does not close the sheet; the title bar does (closeEvent).
}
