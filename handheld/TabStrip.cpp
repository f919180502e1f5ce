#include "handheld/TabStrip.h"

#include <algorithm>

#include <QEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "gui/Touch.h"

namespace {
constexpr int kSpacing = 2;
}

TabStrip::TabStrip(QTabWidget* tabs, QWidget* parent) : QWidget(parent), m_tabs(tabs), m_bar(tabs->tabBar()) {
    setObjectName("TabStrip");
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    m_help = new QToolButton(this);
    m_help->setObjectName("HelpButton");
    m_help->setText("?");
    m_help->setToolTip("Help");
    m_help->setFocusPolicy(Qt::NoFocus);
    QFont bold = m_help->font();
    bold.setBold(true);
    m_help->setFont(bold);
    connect(m_help, &QToolButton::clicked, this, &TabStrip::helpRequested);
    connect(m_tabs, &QTabWidget::currentChanged, this, &TabStrip::CurrentChanged);
    m_bar->installEventFilter(this);
    Rebuild();
}

void TabStrip::Rebuild() {
    qDeleteAll(m_buttons);
    m_buttons.clear();
    for (int i = 0; i < m_tabs->count(); ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(m_tabs->tabText(i));
        button->setText(m_tabs->tabText(i));
        button->setCheckable(true);
        button->setChecked(i == m_tabs->currentIndex());
        button->setEnabled(m_tabs->tabBar()->isEnabled());
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        QWidget* page = m_tabs->widget(i);
        connect(button, &QToolButton::clicked, this, [this, page] {
            m_tabs->setCurrentWidget(page);
            CurrentChanged(m_tabs->currentIndex());
        });
        button->show();
        m_buttons << button;
    }
    updateGeometry();
    Arrange(width(), true);
}

void TabStrip::CurrentChanged(int index) {
    for (int i = 0; i < m_buttons.size(); ++i) m_buttons[i]->setChecked(i == index);
}

bool TabStrip::eventFilter(QObject* watched, QEvent* event) {
    // The bar's own state, not the tab widget's: the bar also sees events
    // while the tab widget is being taken down.
    if (watched == m_bar && event->type() == QEvent::EnabledChange)
        for (QToolButton* button : m_buttons) button->setEnabled(m_bar->isEnabled());
    return QWidget::eventFilter(watched, event);
}

int TabStrip::Arrange(int width, bool place) const {
    const int touch = TouchSize(this);
    const int helpWidth = touch;
    width = std::max(width, helpWidth);
    // Rows filled in order; the help button closes the last row.
    QList<QList<int>> rows{{}};
    int used = 0;
    for (int i = 0; i < m_buttons.size(); ++i) {
        const int w = std::max(m_buttons[i]->sizeHint().width(), touch);
        const bool last = i == m_buttons.size() - 1;
        const int needed = w + (last ? kSpacing + helpWidth : 0);
        if (!rows.last().isEmpty() && used + kSpacing + needed > width) {
            rows.append(QList<int>());
            used = 0;
        }
        used += (rows.last().isEmpty() ? 0 : kSpacing) + w;
        rows.last().append(i);
    }
    if (!m_buttons.isEmpty() && used + kSpacing + helpWidth > width) rows.append(QList<int>());
    m_rows = int(rows.size());
    if (place) {
        int y = 0;
        for (int r = 0; r < rows.size(); ++r) {
            const QList<int>& row = rows[r];
            const bool lastRow = r == rows.size() - 1;
            const int room = width - (lastRow ? helpWidth + (row.isEmpty() ? 0 : kSpacing) : 0) -
                             kSpacing * std::max(0, int(row.size()) - 1);
            int natural = 0;
            for (int i : row) natural += std::max(m_buttons[i]->sizeHint().width(), touch);
            int x = 0;
            int given = 0;
            for (int k = 0; k < row.size(); ++k) {
                const int i = row[k];
                const int w0 = std::max(m_buttons[i]->sizeHint().width(), touch);
                // The room left over is shared out in proportion.
                int w = natural > 0 ? w0 * room / natural : w0;
                if (k == row.size() - 1) w = room - given;
                given += w;
                m_buttons[i]->setGeometry(x, y, w, touch);
                x += w + kSpacing;
            }
            if (lastRow) m_help->setGeometry(width - helpWidth, y, helpWidth, touch);
            y += touch + kSpacing;
        }
    }
    return int(rows.size()) * touch + (int(rows.size()) - 1) * kSpacing;
}

int TabStrip::heightForWidth(int width) const { return Arrange(width, false); }

QSize TabStrip::sizeHint() const {
    const int touch = TouchSize(this);
    int width = touch;
    for (QToolButton* b : m_buttons) width += std::max(b->sizeHint().width(), touch) + kSpacing;
    return {width, heightForWidth(width)};
}

QSize TabStrip::minimumSizeHint() const {
    const int touch = TouchSize(this);
    return {touch * 2, heightForWidth(width() > 0 ? width() : touch * 2)};
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int before = m_rows;
    Arrange(width(), true);
    if (m_rows != before) updateGeometry();
}
