#pragma once
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>

class QLabel;
class QWidget;

// The pages' label-and-value rows. Values stay next to their labels however
// wide the window grows: the value column has a sensible maximum width and
// the space beyond it stays empty.
class FormGrid : public QGridLayout {
public:
    static constexpr int kFieldMinWidth = 170;
    static constexpr int kFieldMaxWidth = 340;

    FormGrid();
    // A row: the label (its buddy becomes the field, for a mnemonic in the
    // label's text) and the field.
    void AddRow(QLabel* label, QWidget* field);
    void AddRow(QLabel* label, QLayout* field);
    // A widget across both columns.
    void AddWide(QWidget* widget);

private:
    int m_row = 0;
};

// A right-aligned display field whose text can be selected and copied.
QLabel* DisplayField(const QString& text, QWidget* parent);

// The handheld pages' rows, for screens from 240 pixels wide on: each
// label beside its field while the widest label and a field of about 24
// characters fit the width, every field under its label when they do not.
class CompactForm : public QFormLayout {
public:
    CompactForm();
    void setGeometry(const QRect& rect) override;
    // Never wider than the rows under their labels need: the width decides
    // the layout, not the layout the width.
    QSize minimumSize() const override;
};

// A drop-down list for narrow screens: it can be narrower than its longest
// entry, and then shows the chosen entry on as many lines as it needs
// instead of cutting it (the open list shows every entry whole).
class WrappingComboBox : public QComboBox {
public:
    explicit WrappingComboBox(QWidget* parent = nullptr);
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TextRect(const QRect& rect) const;
};

// Lays a page out as one content widget in a frameless scroll area that
// fills the page: on a screen too small for the content the page scrolls
// vertically instead of clipping it, and the content always takes the
// page's width. The page's controls go into the returned widget's layout.
QWidget* ScrollingContent(QWidget* page);
