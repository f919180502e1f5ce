#pragma once
#include <string>
#include <vector>

#include "Operator.h"

namespace qvr::cli {

// The command-line tool's operator: every message box is printed to stderr
// as "CAPTION: TEXT" when it is shown; questions get the answer the options
// chose (--yes: OK/Yes, otherwise Cancel/No), which is printed too. The two
// connect-time prompts answer from --enclosure-serial and --radio-removed.
class CliOperator : public IOperator, public IStatusSink, public IProgressSink {
public:
    struct Message {
        std::string caption, text, icon, buttons, answer;
    };

    bool yes = false;
    std::string enclosureSerial;  // empty: Cancel
    bool radioRemoved = false;
    bool showStatus = false;  // status texts on stderr
    bool showProgress = false;  // a progress bar on stderr

    MessageAnswer ShowMessage(const char* text, const char* caption, MessageIcon icon,
                              MessageButtons buttons) override;
    bool AskEnclosureSerial(char* serial, size_t size) override;
    bool ConfirmRadioNotFound(const char* message, const char* checkBoxText, bool* removed) override;
    void SetStatusText(const char* text) override;
    void SetRange(int lower, int upper) override;
    void SetPosition(int position) override;
    void EndProgress();

    const std::vector<Message>& Messages() const { return m_messages; }

private:
    std::vector<Message> m_messages;
    int m_lower = 0, m_upper = 0;
    bool m_barShown = false;
};

const char* IconName(MessageIcon icon);
const char* ButtonsName(MessageButtons buttons);
const char* AnswerName(MessageAnswer answer);

} // namespace qvr::cli
