#pragma once
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "Operator.h"

namespace qvr::test {

// A message as tests compare it: text, caption and icon.
struct ShownMessage {
    std::string text, caption;
    MessageIcon icon;
    bool operator==(const ShownMessage&) const = default;
};
std::ostream& operator<<(std::ostream& os, const ShownMessage& m);

// Records every message and prompt and answers from a script; with the
// script empty it answers OK/Yes to questions and cancels the prompts.
class RecordingOperator : public IOperator, public IStatusSink, public IProgressSink {
public:
    struct Message {
        std::string text, caption;
        MessageIcon icon;
        MessageButtons buttons;
        MessageAnswer answer;
    };
    MessageAnswer ShowMessage(const char* text, const char* caption, MessageIcon icon,
                              MessageButtons buttons) override;
    bool AskEnclosureSerial(char* serial, size_t size) override;
    bool ConfirmRadioNotFound(const char* message, const char* checkBoxText, bool* radioRemoved) override;
    void SetStatusText(const char* text) override { statusTexts.emplace_back(text); }
    void SetRange(int lower, int upper) override { ranges.push_back({lower, upper}); }
    void SetPosition(int position) override { positions.push_back(position); }

    // Texts of the messages shown, in order.
    std::vector<std::string> Texts() const;
    // The messages shown, in order, for comparison.
    std::vector<ShownMessage> Shown() const;

    std::deque<MessageAnswer> answers;        // next answers to questions
    std::deque<std::string> enclosureSerials;  // entered serials; none = Cancel
    std::deque<bool> radioRemovedAnswers;      // check box states; none = Cancel
    std::vector<Message> messages;
    std::vector<std::string> prompts;          // "enclosure", or the radio-not-found check-box text
    std::vector<std::string> statusTexts;
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> positions;
};

} // namespace qvr::test
