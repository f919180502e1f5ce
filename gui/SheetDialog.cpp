#include "gui/SheetDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPointer>
#include <QTabWidget>
#include <QWhatsThis>

#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

SheetDialog::SheetDialog(ProgramState& program, QWidget* parent) : QDialog(parent), m_program(program) {
    qApp->installEventFilter(this);
}

SheetDialog::~SheetDialog() { qApp->removeEventFilter(this); }

void SheetDialog::HoldPagesWhileWorkerRuns(QTabWidget* tabs) {
    ReceiverWorker* worker = m_program.worker;
    if (m_held || !worker) return;
    QPointer<QTabWidget> held(tabs);
    const bool running = worker->DeferWhileBusy(this, &m_releasePending, [this, held] {
        m_held = false;
        if (held)
            for (int i = 0; i < held->count(); ++i) held->widget(i)->setEnabled(true);
    });
    if (!running) return;
    m_held = true;
    // The controls a page disabled itself stay so when the page is enabled again.
    for (int i = 0; i < tabs->count(); ++i) tabs->widget(i)->setEnabled(false);
}

void SheetDialog::SayBackgroundRunning(const char* caption) {
    m_program.ui->ShowMessage("A download is still running; this will be possible when it has ended.", caption,
                              qvr::MessageIcon::Information, qvr::MessageButtons::Ok);
}

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
    if (m_forwarding || !(key->modifiers() & Qt::ControlModifier) || !IsHotKey(key->key()) || !m_program.connected)
        return false;
    const int code = key->key();
    QMetaObject::invokeMethod(this, [this, code] { HotKey(code); }, Qt::QueuedConnection);
    // A drop-down list would take the key as type-ahead and jump to another
    // entry: the key is the sheet's alone.
    if (InDropDownList(widget)) return true;
    // Otherwise the key then takes its normal course (Ctrl+A selects the
    // text of an edit field). Delivered here as a copy, so that the parents
    // it travels up to when ignored don't take it for another hot key.
    m_forwarding = true;
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                   key->nativeModifiers(), key->text(), key->isAutoRepeat(), key->count(), key->device());
    QCoreApplication::sendEvent(widget, &copy);
    m_forwarding = false;
    return true;
}

bool SheetDialog::InDropDownList(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (const auto* list = qobject_cast<const QComboBox*>(w)) return !list->isEditable();
    return false;
}

void SheetDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        OpenContextHelp();
        return;
    }
    if (event->key() == Qt::Key_Escape) return;  // the sheet has no Cancel button
    // A hot key a control let pass was posted by the filter already.
    if ((event->modifiers() & Qt::ControlModifier) && !m_forwarding) HotKey(event->key());
    QDialog::keyPressEvent(event);
}

void SheetDialog::reject() {
    // Escape does not close the sheet; the title bar does (closeEvent).
}
