#pragma once
#include <QString>
#include <QWidget>

struct ProgramState;

// A page of the handheld sheet: a tab caption, the help anchor of its tab
// and the work done each time it becomes the active tab. Handheld pages
// have no Help button (help comes from the title bar) and fill their lists
// by code on every activation.
class CHandheldPage : public QWidget {
    Q_OBJECT
public:
    CHandheldPage(ProgramState& program, const QString& caption, const char* helpAnchor, QWidget* parent = nullptr);
    const QString& Caption() const { return m_caption; }
    const char* HelpAnchor() const { return m_helpAnchor; }
    virtual void OnSetActive() {}

protected:
    ProgramState& Program() const { return m_program; }

private:
    ProgramState& m_program;
    QString m_caption;
    const char* m_helpAnchor;
};
