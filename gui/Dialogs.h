#pragma once
#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The serial-number service dialog behind Ctrl+N: Submit is enabled only for
// three letters A to Z and eight digits (a to z count as A to Z).
class CChangeSerialDialog : public QDialog {
    Q_OBJECT
public:
    explicit CChangeSerialDialog(const QString& oldSerial, QWidget* parent = nullptr);
    // The new number, upper case, after Submit.
    QString NewSerial() const { return m_buffer; }
    QLineEdit* Edit() const { return m_edit; }
    QPushButton* SubmitButton() const { return m_submit; }

private:
    void TextChanged(const QString& text);
    QLineEdit* m_edit;
    QPushButton* m_submit;
    QString m_buffer;
};

// Asks for the serial number on the enclosure when the receiver has none:
// OK is enabled for exactly 11 characters, whatever they are.
class CEnclosureNumberDialog : public QDialog {
    Q_OBJECT
public:
    explicit CEnclosureNumberDialog(QWidget* parent = nullptr);
    QString EnteredText() const { return m_buffer; }
    QLineEdit* Edit() const { return m_edit; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QLineEdit* m_edit;
    QPushButton* m_ok;
    QString m_buffer;
};

// Tells the operator that the configured radio was not found and offers,
// with a check box, to update the configuration.
class CRadioNotFoundDialog : public QDialog {
    Q_OBJECT
public:
    explicit CRadioNotFoundDialog(QWidget* parent = nullptr);
    void SetTexts(const QString& message, const QString& checkBoxText);
    bool Checked() const { return m_checked; }
    QCheckBox* CheckBox() const { return m_box; }

private:
    QLabel* m_message;
    QCheckBox* m_box;
    bool m_checked = false;
};
