#include "gui/QtOperator.h"

#include <memory>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QThread>

#include "gui/Dialogs.h"
#include "gui/MessageBox.h"
#include "gui/Touch.h"
#include "Text.h"

using qvr::MessageAnswer;
using qvr::MessageButtons;
using qvr::MessageIcon;

QString ScreenText(const char* text) {
    QString s = QString::fromLatin1(text);
    s.replace("\r\n", "\n");
    return s;
}

namespace {

// Runs f on the user-interface thread and waits for it.
template <typename F>
void OnUiThread(QObject* context, F f) {
    if (QThread::currentThread() == context->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(context, f, Qt::BlockingQueuedConnection);
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QtOperator::Prompt MakePrompt(QtOperator::Prompt::Kind kind, const QString& caption, const QString& text,
                              const QString& checkBoxText, MessageIcon icon, MessageButtons buttons) {
    QtOperator::Prompt prompt;
    prompt.kind = kind;
    prompt.caption = caption;
    prompt.text = text;
    prompt.checkBoxText = checkBoxText;
    prompt.icon = icon;
    prompt.buttons = buttons;
    return prompt;
}

} // namespace

QtOperator::QtOperator(QObject* parent) : QObject(parent) {}

void QtOperator::SetStatusLabel(QLabel* label) { m_status = label; }

void QtOperator::SetProgressBar(QProgressBar* bar) { m_progress = bar; }

void QtOperator::Ask(Prompt& prompt) {
    OnUiThread(this, [&] { AskHere(prompt); });
}

void QtOperator::AskHere(Prompt& prompt) {
    if (m_silent) {
        prompt.answer = prompt.buttons == MessageButtons::YesNo      ? MessageAnswer::No
                        : prompt.buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                                     : MessageAnswer::Ok;
        return;
    }
    emit prompted(prompt.caption, prompt.text);
    if (m_script) {
        m_script(prompt);
        m_prompts.push_back(prompt);
        return;
    }
    // The handheld's boxes have no owner: they stay on top of the
    // full-screen sheet by themselves.
    QWidget* owner = m_handheld ? nullptr : QApplication::activeWindow();
    std::unique_ptr<QDialog> dialog(CreateDialog(prompt, owner));
    const int result = dialog->exec();
    ReadAnswer(dialog.get(), result, prompt);
    m_prompts.push_back(prompt);
}

QDialog* QtOperator::CreateDialog(const Prompt& prompt, QWidget* owner) const {
    switch (prompt.kind) {
    case Prompt::Kind::Message: {
        if (m_handheld) return new CompactMessageBox(prompt.caption, prompt.text, prompt.icon, prompt.buttons, owner);
        auto* box = new QMessageBox(BoxIcon(prompt.icon), prompt.caption, prompt.text, QMessageBox::NoButton, owner);
        if (prompt.buttons == MessageButtons::Ok) box->setStandardButtons(QMessageBox::Ok);
        if (prompt.buttons == MessageButtons::OkCancel) box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        if (prompt.buttons == MessageButtons::YesNo) box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box;
    }
    case Prompt::Kind::EnclosureSerial: {
        auto* dialog = new CEnclosureNumberDialog(owner);
        if (m_handheld) FitToScreen(dialog);
        return dialog;
    }
    case Prompt::Kind::RadioNotFound: {
        auto* dialog = new CRadioNotFoundDialog(owner);
        dialog->SetTexts(prompt.text, prompt.checkBoxText);
        if (m_handheld) FitToScreen(dialog);
        return dialog;
    }
    }
    return nullptr;
}

void QtOperator::ReadAnswer(QDialog* dialog, int result, Prompt& prompt) {
    if (auto* compact = qobject_cast<CompactMessageBox*>(dialog)) {
        prompt.answer = compact->Answer();
        return;
    }
    if (auto* enclosure = qobject_cast<CEnclosureNumberDialog*>(dialog)) {
        prompt.entered = result == QDialog::Accepted ? enclosure->EnteredText() : QString();
        return;
    }
    if (auto* radio = qobject_cast<CRadioNotFoundDialog*>(dialog)) {
        prompt.checked = radio->Checked();
        return;
    }
    prompt.answer = result == QMessageBox::Cancel ? MessageAnswer::Cancel
                    : result == QMessageBox::Yes  ? MessageAnswer::Yes
                    : result == QMessageBox::No   ? MessageAnswer::No
                                                  : MessageAnswer::Ok;
    if (prompt.buttons == MessageButtons::YesNo && result != QMessageBox::Yes) prompt.answer = MessageAnswer::No;
}

MessageAnswer QtOperator::ShowMessage(const char* text, const char* caption, MessageIcon icon,
                                      MessageButtons buttons) {
    Prompt prompt = MakePrompt(Prompt::Kind::Message, QString::fromLatin1(caption), ScreenText(text), {}, icon, buttons);
    Ask(prompt);
    return prompt.answer;
}

bool QtOperator::AskEnclosureSerial(char* serial, size_t size) {
    Prompt prompt = MakePrompt(Prompt::Kind::EnclosureSerial, "QVR Family Config Tool.", {}, {}, MessageIcon::None,
                               MessageButtons::OkCancel);
    Ask(prompt);
    if (prompt.entered.isEmpty()) return false;
    qvr::CopyCut(serial, size, prompt.entered.toLatin1().constData());
    return true;
}

bool QtOperator::ConfirmRadioNotFound(const char* message, const char* checkBoxText, bool* radioRemoved) {
    Prompt prompt = MakePrompt(Prompt::Kind::RadioNotFound, "QVR Family Config Tool", ScreenText(message),
                               ScreenText(checkBoxText), MessageIcon::None, MessageButtons::Ok);
    Ask(prompt);
    *radioRemoved = prompt.checked;
    return true;
}

void QtOperator::SetStatusText(const char* text) {
    const QString t = QString::fromLatin1(text);
    QMetaObject::invokeMethod(this, [this, t] {
        if (m_status) {
            m_status->setText(t);
            m_status->repaint();
        }
    });
}

void QtOperator::SetRange(int lower, int upper) {
    QMetaObject::invokeMethod(this, [this, lower, upper] {
        if (m_progress) m_progress->setRange(lower, upper);
    });
}

void QtOperator::SetPosition(int position) {
    // The download waits until the bar has taken the position, as the
    // original's window messages did.
    OnUiThread(this, [this, position] {
        if (m_progress) {
            m_progress->setValue(position);
            m_progress->repaint();
        }
    });
}
