#include "gui/Dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "PageActions.h"

namespace {

// A size given in dialog units (a quarter of the average character width,
// an eighth of the line height) in pixels of the widget's font.
QSize DialogUnits(const QWidget* widget, int width, int height) {
    const QFontMetrics fm = widget->fontMetrics();
    return {(width * fm.averageCharWidth() + 2) / 4, (height * fm.height() + 4) / 8};
}

// The receiver's letters: a to z become A to Z, nothing else changes (the
// serial number is plain ASCII; other letters are never valid in it).
QString UpperAsciiLetters(QString text) {
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return text;
}

// The dialogs' edits and buffers hold single-byte text: a character the
// receiver cannot store becomes '?', which no rule accepts.
QByteArray SingleByte(const QString& text, qsizetype maxChars) {
    return text.left(maxChars).toLatin1();
}

} // namespace

// ---------------------------------------------------------------- change serial number

CChangeSerialDialog::CChangeSerialDialog(const QString& oldSerial, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Change serial number.");
    setObjectName("ChangeSerialDialog");
    // The buffer holds 255 bytes: the old number as given, cut to fit.
    m_buffer = oldSerial.left(254);

    auto* oldValue = new QLabel(m_buffer, this);
    oldValue->setObjectName("OldSerial");
    oldValue->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("NewSerial");

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow("Old serial number:", oldValue);
    form->addRow("New serial number:", m_edit);

    auto* buttons = new QDialogButtonBox(this);
    m_submit = buttons->addButton("Submit", QDialogButtonBox::AcceptRole);
    m_submit->setObjectName("Submit");
    m_submit->setDefault(true);
    m_submit->setEnabled(false);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("Cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(m_edit, &QLineEdit::textChanged, this, &CChangeSerialDialog::TextChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // Submit is enabled only for an acceptable number; Enter in the edit
        // must not get past that rule.
        if (!m_submit->isEnabled()) return;
        m_buffer = UpperAsciiLetters(QString::fromLatin1(SingleByte(m_edit->text(), 254)));
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setMinimumSize(DialogUnits(this, 186, 90));
    m_edit->setFocus();
}

void CChangeSerialDialog::TextChanged(const QString& text) {
    // The buffer takes the text with a to z in upper case; the edit keeps
    // what was typed.
    const QByteArray typed = SingleByte(text, 254);
    m_buffer = UpperAsciiLetters(QString::fromLatin1(typed));
    char normalized[12];
    m_submit->setEnabled(qvr::NormalizeNewSerial(typed.constData(), normalized));
}

// ---------------------------------------------------------------- enclosure serial number

CEnclosureNumberDialog::CEnclosureNumberDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("QVR Family Config Tool.");
    setObjectName("EnclosureNumberDialog");

    auto* layout = new QVBoxLayout(this);
    int line = 0;
    for (const char* text : {"The serial number for this receiver is missing or invalid.  ",
                             "Please enter the serial number seen on the", "QVR4100 MA enclosure:"}) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setObjectName(QString("Line%1").arg(++line));
        layout->addWidget(label);
    }
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("EnclosureSerial");
    layout->addWidget(m_edit);
    layout->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("OK");
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("Cancel");
    layout->addWidget(buttons);

    // Exactly 11 characters, whatever they are; the case stays as typed.
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_ok->setEnabled(text.size() == 11); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!m_ok->isEnabled()) return;
        m_buffer = QString::fromLatin1(SingleByte(m_edit->text(), 127));
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setMinimumSize(DialogUnits(this, 186, 118));
    m_edit->setFocus();
}

// ---------------------------------------------------------------- radio not found

CRadioNotFoundDialog::CRadioNotFoundDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("QVR Family Config Tool");
    setObjectName("RadioNotFoundDialog");

    m_message = new QLabel(this);
    m_message->setObjectName("Message");
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_message->setMinimumSize(DialogUnits(this, 259, 86));
    m_box = new QCheckBox(this);
    m_box->setObjectName("UpdateConfiguration");

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("OK");
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message, 1);
    layout->addWidget(m_box);
    layout->addWidget(buttons);

    // Each click stores whether the box is now checked.
    connect(m_box, &QCheckBox::clicked, this, [this](bool checked) { m_checked = checked; });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    // Escape or the title bar close it too; the caller reads the flag as it is.
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setMinimumWidth(DialogUnits(this, 273, 145).width());
}

void CRadioNotFoundDialog::SetTexts(const QString& message, const QString& checkBoxText) {
    // The dialog keeps up to 2,047 characters of message and 511 of check
    // box text.
    m_message->setText(message.left(2047));
    m_box->setText(checkBoxText.left(511));
    adjustSize();
}
