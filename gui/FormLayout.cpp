#include "gui/FormLayout.h"

#include <algorithm>

#include <QLabel>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QScrollArea>
#include <QVBoxLayout>
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

CompactForm::CompactForm() {
    setRowWrapPolicy(QFormLayout::DontWrapRows);
    setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    setHorizontalSpacing(6);
    setVerticalSpacing(4);
}

void CompactForm::setGeometry(const QRect& rect) {
    // The width comes from the window (the page's scroll area), so the
    // choice made here does not change the width it was made for.
    int labels = 0;
    for (int row = 0; row < rowCount(); ++row)
        if (QLayoutItem* label = itemAt(row, QFormLayout::LabelRole); label && !label->isEmpty())
            labels = std::max(labels, label->sizeHint().width());
    const QWidget* parent = parentWidget();
    const int field = 24 * (parent ? parent->fontMetrics().averageCharWidth() : 7);
    const RowWrapPolicy wanted = rect.width() < labels + horizontalSpacing() + field ? WrapAllRows : DontWrapRows;
    if (wanted != rowWrapPolicy()) setRowWrapPolicy(wanted);
    QFormLayout::setGeometry(rect);
}

QSize CompactForm::minimumSize() const {
    int width = 0;
    for (int i = 0; i < count(); ++i)
        if (QLayoutItem* item = itemAt(i); item && !item->isEmpty()) width = std::max(width, item->minimumSize().width());
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), QFormLayout::minimumSize().height()};
}

WrappingComboBox::WrappingComboBox(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QRect WrappingComboBox::TextRect(const QRect& rect) const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.rect = rect;
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).adjusted(2, 0, -1, 0);
}

int WrappingComboBox::heightForWidth(int width) const {
    // As tall as the longest entry needs, so the box keeps its height
    // whichever entry is chosen.
    const int oneLine = QComboBox::sizeHint().height();
    const QRect text = TextRect(QRect(0, 0, width, oneLine));
    int lines = 1;
    const QFontMetrics metrics = fontMetrics();
    for (int i = 0; i < count(); ++i) {
        const QRect bounds = metrics.boundingRect(QRect(0, 0, std::max(1, text.width()), 10000),
                                                  Qt::TextWordWrap, itemText(i));
        lines = std::max(lines, (bounds.height() + metrics.lineSpacing() - 1) / metrics.lineSpacing());
    }
    return oneLine + (lines - 1) * metrics.lineSpacing();
}

QSize WrappingComboBox::minimumSizeHint() const {
    QSize size = QComboBox::minimumSizeHint();
    size.setHeight(heightForWidth(size.width()));
    return size;
}

void WrappingComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QString text = option.currentText;
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    style()->drawItemText(&painter, TextRect(rect()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                          palette(), isEnabled(), text, QPalette::ButtonText);
}

QWidget* ScrollingContent(QWidget* page) {
    auto* scroll = new QScrollArea(page);
    scroll->setObjectName("PageScrollArea");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    content->setObjectName("PageContent");
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    return content;
}
