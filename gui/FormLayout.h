#pragma once
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
