#include "desktop/Pages.h"

#include <QPushButton>

#include "gui/Help.h"

CQVRPage::CQVRPage(ProgramState& program, const QString& caption, int helpTopic, QWidget* parent)
    : QWidget(parent), m_program(program), m_caption(caption), m_helpTopic(helpTopic) {
    setObjectName(caption);
}

QPushButton* CQVRPage::MakeHelpButton() {
    auto* help = new QPushButton("&Help", this);
    help->setObjectName("Help");
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(m_helpTopic, this); });
    return help;
}
