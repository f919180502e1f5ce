#include "gui/MessageBox.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/Touch.h"

using qvr::MessageAnswer;
using qvr::MessageButtons;
using qvr::MessageIcon;

namespace {

QStyle::StandardPixmap IconPixmap(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QStyle::SP_MessageBoxInformation;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return QStyle::SP_MessageBoxWarning;
    case MessageIcon::Error: return QStyle::SP_MessageBoxCritical;
    case MessageIcon::Question: return QStyle::SP_MessageBoxQuestion;
    case MessageIcon::None: break;
    }
    return QStyle::SP_CustomBase;
}

} // namespace

CompactMessageBox::CompactMessageBox(const QString& caption, const QString& text, MessageIcon icon,
                                     MessageButtons buttons, QWidget* owner)
    : QDialog(owner), m_answer(buttons == MessageButtons::Ok       ? MessageAnswer::Ok
                               : buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                                  : MessageAnswer::Cancel) {
    setObjectName("MessageBox");
    setWindowTitle(caption);
    if (!owner) setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* message = new QLabel(text);
    message->setObjectName("Text");
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setTextInteractionFlags(Qt::NoTextInteraction);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("TextScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(message);
    scroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto* top = new QHBoxLayout;
    if (const QStyle::StandardPixmap pixmap = IconPixmap(icon); pixmap != QStyle::SP_CustomBase) {
        const int side = TouchSize(owner);
        auto* picture = new QLabel(this);
        picture->setObjectName("Icon");
        picture->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(side, side));
        picture->setAlignment(Qt::AlignTop);
        top->addWidget(picture, 0, Qt::AlignTop);
    }
    top->addWidget(scroll, 1);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto add = [&](const QString& label, MessageAnswer answer) {
        auto* button = new QPushButton(label, this);
        button->setObjectName(label);
        connect(button, &QPushButton::clicked, this, [this, answer] {
            m_answer = answer;
            accept();
        });
        row->addWidget(button);
        m_buttons << button;
    };
    if (buttons == MessageButtons::YesNo) {
        add("Yes", MessageAnswer::Yes);
        add("No", MessageAnswer::No);
    } else {
        add("OK", MessageAnswer::Ok);
        if (buttons == MessageButtons::OkCancel) add("Cancel", MessageAnswer::Cancel);
    }
    m_buttons.first()->setDefault(true);
    m_buttons.first()->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top, 1);
    layout->addLayout(row);

    // As wide as the screen allows (a desktop-sized screen: about 60
    // characters), as high as the text needs, at most the screen's height.
    const QRect area = ScreenArea(owner);
    const int width = std::min(area.width(), fontMetrics().averageCharWidth() * 60);
    const int textWidth = width - layout->contentsMargins().left() - layout->contentsMargins().right() -
                          (top->count() > 1 ? top->itemAt(0)->sizeHint().width() + top->spacing() : 0) -
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int textHeight = message->heightForWidth(std::max(1, textWidth));
    const int height = layout->contentsMargins().top() + layout->contentsMargins().bottom() + layout->spacing() +
                       std::max(textHeight, top->count() > 1 ? top->itemAt(0)->sizeHint().height() : 0) +
                       row->sizeHint().height() + 2;
    FitToScreen(this, QSize(width, std::min(height, area.height())));
}

void CompactMessageBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
}
