#include "handheld/Pages.h"

CHandheldPage::CHandheldPage(ProgramState& program, const QString& caption, const char* helpAnchor, QWidget* parent)
    : QWidget(parent), m_program(program), m_caption(caption), m_helpAnchor(helpAnchor) {
    setObjectName(caption);
}
