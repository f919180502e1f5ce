#pragma once
#include <atomic>
#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

#include "Operator.h"

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

// The core's operator interface in the desktop program. The core calls it
// from the worker thread; every message box and dialog is shown modally on
// the user-interface thread while the worker waits for the answer. Status
// texts and progress go to the controls the running page named.
class QtOperator : public QObject, public qvr::IOperator, public qvr::IStatusSink, public qvr::IProgressSink {
    Q_OBJECT
public:
    struct Prompt {
        enum class Kind { Message, EnclosureSerial, RadioNotFound } kind = Kind::Message;
        QString caption, text, checkBoxText;
        qvr::MessageIcon icon = qvr::MessageIcon::None;
        qvr::MessageButtons buttons = qvr::MessageButtons::Ok;
        // The answer: for messages the button, for the enclosure prompt the
        // text entered (empty = Cancel), for the radio prompt the check box.
        qvr::MessageAnswer answer = qvr::MessageAnswer::Ok;
        QString entered;
        bool checked = false;
    };
    // Answers prompts instead of showing them (tests, demos); it gets the
    // prompt and fills in the answer.
    using Script = std::function<void(Prompt&)>;

    explicit QtOperator(QObject* parent = nullptr);

    qvr::MessageAnswer ShowMessage(const char* text, const char* caption, qvr::MessageIcon icon,
                                   qvr::MessageButtons buttons) override;
    bool AskEnclosureSerial(char* serial, size_t size) override;
    bool ConfirmRadioNotFound(const char* message, const char* checkBoxText, bool* radioRemoved) override;
    void SetStatusText(const char* text) override;
    void SetRange(int lower, int upper) override;
    void SetPosition(int position) override;

    // Where status texts and progress go (null: nowhere).
    void SetStatusLabel(QLabel* label);
    void SetProgressBar(QProgressBar* bar);
    void SetScript(Script script) { m_script = std::move(script); }
    const Script& GetScript() const { return m_script; }
    // Once the program is closing nothing more is shown: messages are
    // answered OK, questions Cancel or No, both prompts cancelled.
    void SetSilent(bool silent) { m_silent = silent; }
    const std::vector<Prompt>& Prompts() const { return m_prompts; }
    void ClearPrompts() { m_prompts.clear(); }

    // Shows one prompt on the user-interface thread (from any thread).
    void Ask(Prompt& prompt);

    // The handheld program's prompts: its own message box that fits a small
    // screen, without owner and kept on top, and the connect-time dialogs
    // fitted to the screen. The desktop keeps Qt's message box.
    void SetHandheld(bool handheld) { m_handheld = handheld; }
    bool Handheld() const { return m_handheld; }
    // The window a prompt is shown in (not yet shown; the caller owns it)
    // and the answer read from it after exec() returned result. Every
    // prompt goes through these two.
    QDialog* CreateDialog(const Prompt& prompt, QWidget* owner) const;
    static void ReadAnswer(QDialog* dialog, int result, Prompt& prompt);

signals:
    void prompted(const QString& caption, const QString& text);

private:
    void AskHere(Prompt& prompt);

    Script m_script;
    std::atomic<bool> m_silent{false};
    bool m_handheld = false;
    std::vector<Prompt> m_prompts;
    QPointer<QLabel> m_status;
    QPointer<QProgressBar> m_progress;
};

// A message text for the screen: the receiver's "\r\n" line ends as "\n".
QString ScreenText(const char* text);
