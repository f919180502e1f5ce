#pragma once
#include <QString>
#include <QWidget>

struct ProgramState;
class QPushButton;

// A page of the property sheet: a tab caption, a help topic and the work
// done each time the page becomes the active tab. Pages work on the
// program state they are given.
class CQVRPage : public QWidget {
    Q_OBJECT
public:
    CQVRPage(ProgramState& program, const QString& caption, int helpTopic, QWidget* parent = nullptr);
    const QString& Caption() const { return m_caption; }
    int HelpTopic() const { return m_helpTopic; }
    // Called each time the page becomes the active tab.
    virtual void OnSetActive() {}

protected:
    ProgramState& Program() const { return m_program; }
    // The page's "Help" button, opening its own topic.
    QPushButton* MakeHelpButton();

private:
    ProgramState& m_program;
    QString m_caption;
    int m_helpTopic;
};

// The desktop pages' size: 294 x 178 dialog units at the usual font.
inline constexpr int kPageMinWidth = 441;
inline constexpr int kPageMinHeight = 290;
