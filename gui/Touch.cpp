#include "gui/Touch.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>

namespace {

QRect g_area;

constexpr double kTouchMillimetres = 7.0;
constexpr double kHandheldInches = 3.5;

const QScreen* ScreenOf(const QWidget* near) {
    if (near && near->screen()) return near->screen();
    return QGuiApplication::primaryScreen();
}

// Every control at least a touch target high; check boxes, radio buttons,
// slider handles and scroll bars enlarged to match.
class TouchStyle : public QProxyStyle {
public:
    explicit TouchStyle(QStyle* base) : QProxyStyle(base) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        const int touch = TouchSize(widget);
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight: return std::max(base, touch * 3 / 5);
        case PM_ScrollBarExtent: return std::max(base, touch / 2);
        case PM_SliderThickness:
        case PM_SliderControlThickness: return std::max(base, touch * 3 / 4);
        case PM_SliderLength: return std::max(base, touch / 2);
        default: return base;
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override {
        QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        const int touch = TouchSize(widget);
        switch (type) {
        case CT_PushButton: size = size.expandedTo(QSize(touch * 2, touch)); break;
        case CT_ToolButton: size = size.expandedTo(QSize(touch, touch)); break;
        case CT_ComboBox:
        case CT_LineEdit:
        case CT_SpinBox:
        case CT_CheckBox:
        case CT_RadioButton:
        case CT_ItemViewItem:
        case CT_MenuItem:
        case CT_Slider: size.setHeight(std::max(size.height(), touch)); break;
        default: break;
        }
        return size;
    }
};

} // namespace

QRect ScreenArea(const QWidget* near) {
    if (!g_area.isEmpty()) return g_area;
    const QScreen* screen = ScreenOf(near);
    return screen ? screen->availableGeometry() : QRect(0, 0, 240, 320);
}

void SetScreenArea(const QRect& area) { g_area = area; }

int TouchSize(const QWidget* near) {
    const QScreen* screen = ScreenOf(near);
    double dpi = screen ? std::max(screen->logicalDotsPerInchY(), screen->physicalDotsPerInchY()) : 96.0;
    const QSize size = g_area.isEmpty() && screen ? screen->geometry().size() : g_area.size();
    const int shorter = std::min(size.width(), size.height());
    const int longer = std::max(size.width(), size.height());
    if (shorter > 0 && shorter <= 480 && longer <= 640)
        dpi = std::max(dpi, std::hypot(double(size.width()), double(size.height())) / kHandheldInches);
    return std::max(16, int(std::lround(kTouchMillimetres / 25.4 * dpi)));
}

void InstallTouchStyle() {
    if (!dynamic_cast<TouchStyle*>(QApplication::style()))
        QApplication::setStyle(new TouchStyle(QStyleFactory::create(QApplication::style()->name())));
    // A screen at least half again as dense as the platform's fonts assume
    // (a 480 x 640 controller's) gets its text scaled in whole and half
    // steps (down), so that it reads as on a 240 x 320 one.
    static const QFont base = QApplication::font();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double assumed = screen ? std::max(96.0, screen->logicalDotsPerInchY()) : 96.0;
    const double density = TouchSize() * 25.4 / kTouchMillimetres;
    const double steps = std::floor(density / assumed * 2.0) / 2.0;
    QFont font = base;
    if (steps >= 1.5) {
        if (base.pointSizeF() > 0) font.setPointSizeF(base.pointSizeF() * steps);
        else font.setPixelSize(int(base.pixelSize() * steps));
    }
    QApplication::setFont(font);
}

namespace {

// Fits its window again once the window manager has framed it.
class RefitWhenShown : public QObject {
public:
    explicit RefitWhenShown(QWidget* window) : QObject(window) {
        setObjectName("RefitWhenShown");
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            QTimer::singleShot(0, this, [window] {
                if (!ScreenArea(window).contains(window->frameGeometry())) FitToScreen(window, window->size());
            });
        }
        return false;
    }
};

} // namespace

void FitToScreen(QWidget* window, QSize wanted) {
    if (!window->findChild<RefitWhenShown*>("RefitWhenShown", Qt::FindDirectChildrenOnly)) new RefitWhenShown(window);
    const QRect area = ScreenArea(window);
    // Once shown, the window manager's frame counts too.
    QMargins frame;
    if (window->isVisible()) {
        const QRect outer = window->frameGeometry(), inner = window->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    const QSize room = area.size().shrunkBy(frame);
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->pixmap().isNull() && !label->text().isEmpty()) label->setWordWrap(true);
        label->setMinimumWidth(0);
    }
    window->setMinimumSize(0, 0);
    window->setMaximumSize(room);
    if (wanted.isEmpty()) {
        wanted = window->sizeHint().expandedTo(window->minimumSizeHint());
        wanted.setWidth(std::min(wanted.width(), room.width()));
        if (window->layout() && window->layout()->hasHeightForWidth())
            wanted.setHeight(window->layout()->totalHeightForWidth(wanted.width()));
    }
    const QSize size = wanted.boundedTo(room);
    window->resize(size);
    // move() places the frame.
    window->move(area.x() + (area.width() - size.width() - frame.left() - frame.right()) / 2,
                 area.y() + (area.height() - size.height() - frame.top() - frame.bottom()) / 2);
}
