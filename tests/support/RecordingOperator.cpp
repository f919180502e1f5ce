#include "RecordingOperator.h"

#include <cstdio>

namespace qvr::test {

MessageAnswer RecordingOperator::ShowMessage(const char* text, const char* caption, MessageIcon icon,
                                             MessageButtons buttons) {
    MessageAnswer answer = MessageAnswer::Ok;
    if (buttons != MessageButtons::Ok) {
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        } else {
            answer = buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
        }
    }
    messages.push_back({text, caption, icon, buttons, answer});
    return answer;
}

bool RecordingOperator::AskEnclosureSerial(char* serial, size_t size) {
    prompts.emplace_back("enclosure");
    if (enclosureSerials.empty()) return false;
    std::snprintf(serial, size, "%s", enclosureSerials.front().c_str());
    enclosureSerials.pop_front();
    return true;
}

bool RecordingOperator::ConfirmRadioNotFound(const char*, const char* checkBoxText, bool* radioRemoved) {
    prompts.emplace_back(checkBoxText);
    if (radioRemovedAnswers.empty()) return false;
    *radioRemoved = radioRemovedAnswers.front();
    radioRemovedAnswers.pop_front();
    return true;
}

std::vector<std::string> RecordingOperator::Texts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages) texts.push_back(m.text);
    return texts;
}

std::vector<ShownMessage> RecordingOperator::Shown() const {
    std::vector<ShownMessage> shown;
    for (const Message& m : messages) shown.push_back({m.text, m.caption, m.icon});
    return shown;
}

std::ostream& operator<<(std::ostream& os, const ShownMessage& m) {
    return os << "[" << m.caption << "/" << static_cast<int>(m.icon) << "] " << m.text;
}

} // namespace qvr::test
