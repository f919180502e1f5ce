#pragma once
#include <QList>
#include <QWidget>

class QTabBar;
class QTabWidget;
class QToolButton;

// The sheet's tabs for a touch screen: one touch-sized button per tab,
// in as many rows as the width needs (all five tabs of a GSM receiver
// stay readable on a 240-pixel screen, with no scroll arrows), and a "?"
// button at the end of the last row that opens the help of the tab in
// front. It follows the tab widget: its pages, the tab in front, and the
// tab bar's being enabled (the tab widget's own bar stays hidden).
class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QTabWidget* tabs, QWidget* parent = nullptr);

    // Rebuilds the buttons from the tab widget's pages.
    void Rebuild();
    QList<QToolButton*> TabButtons() const { return m_buttons; }
    QToolButton* HelpButton() const { return m_help; }
    // The number of rows at the present width.
    int Rows() const { return m_rows; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void helpRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Places the buttons for a width; returns the height they take.
    int Arrange(int width, bool place) const;
    void CurrentChanged(int index);

    QTabWidget* m_tabs;
    QTabBar* m_bar;
    QList<QToolButton*> m_buttons;
    QToolButton* m_help;
    mutable int m_rows = 1;
};
