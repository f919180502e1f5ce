#pragma once
#include <cstddef>

namespace qvr {

// What the core shows the operator goes through these interfaces; each front
// end (desktop, handheld, command line) implements them, tests record them.

enum class MessageIcon { None, Information, Warning, Exclamation, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// The captions of the core's messages are in Variant.h with the rest of
// what differs between the two programs.

class IOperator {
public:
    virtual ~IOperator() = default;
    // A modal message box; returns the button the operator chose.
    virtual MessageAnswer ShowMessage(const char* text, const char* caption, MessageIcon icon,
                                      MessageButtons buttons) = 0;
    // The prompt for a receiver without a serial number: true and the text
    // entered (NUL-terminated, at most size - 1 characters) on OK.
    virtual bool AskEnclosureSerial(char* serial, size_t size) = 0;
    // The prompt for a configured radio that was not found, with its message
    // and check-box texts: true on OK, with the state of the check box.
    virtual bool ConfirmRadioNotFound(const char* message, const char* checkBoxText, bool* radioRemoved) = 0;
};

// A line of status text shown while a long operation runs.
class IStatusSink {
public:
    virtual ~IStatusSink() = default;
    virtual void SetStatusText(const char* text) = 0;
};

// A progress bar: a range and a position within it.
class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetPosition(int position) = 0;
};

// Used when no front end is attached: shows nothing, answers OK to a plain
// message and Cancel or No to every question, and cancels both prompts.
IOperator& SilentOperator();
IStatusSink& NullStatus();

} // namespace qvr
