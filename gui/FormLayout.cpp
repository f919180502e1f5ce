#include "gui/FormLayout.h"

#include <QLabel>
#include <QWidget>

FormGrid::FormGrid() {
    setVerticalSpacing(8);
    setHorizontalSpacing(12);
    setColumnStretch(0, 0);
    setColumnStretch(1, 0);
    setColumnStretch(2, 1);
    setColumnMinimumWidth(1, kFieldMinWidth);
}

void FormGrid::AddRow(QLabel* label, QWidget* field) {
    if (label->buddy() == nullptr && field->focusPolicy() != Qt::NoFocus) label->setBuddy(field);
    field->setMaximumWidth(kFieldMaxWidth);
    addWidget(label, m_row, 0);
    addWidget(field, m_row, 1);
    ++m_row;
}

void FormGrid::AddRow(QLabel* label, QLayout* field) {
    addWidget(label, m_row, 0);
    addLayout(field, m_row, 1);
    ++m_row;
}

void FormGrid::AddWide(QWidget* widget) {
    addWidget(widget, m_row, 0, 1, 2);
    ++m_row;
}

QLabel* DisplayField(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMaximumWidth(FormGrid::kFieldMaxWidth);
    return label;
}
