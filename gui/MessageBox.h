#pragma once
#include <QDialog>
#include <QList>

#include "Operator.h"

class QPushButton;

// The handheld program's message box: as wide as the screen allows, the
// text wrapped and scrolled when it is longer than the screen, the buttons
// always at the bottom and touch-sized. Without an owner it is kept on top
// of every other window and brought to the front (the worker's messages:
// nothing may hide them behind the full-screen sheet).
class CompactMessageBox : public QDialog {
    Q_OBJECT
public:
    CompactMessageBox(const QString& caption, const QString& text, qvr::MessageIcon icon,
                      qvr::MessageButtons buttons, QWidget* owner = nullptr);

    // The button pressed (Cancel, or No, when closed otherwise).
    qvr::MessageAnswer Answer() const { return m_answer; }
    QList<QPushButton*> Buttons() const { return m_buttons; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QList<QPushButton*> m_buttons;
    qvr::MessageAnswer m_answer;
};
