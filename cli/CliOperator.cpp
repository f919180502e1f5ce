#include "CliOperator.h"

#include "Cli.h"

#include <cstdio>
#include <cstring>

namespace qvr::cli {

namespace {

// Message texts use "\r\n" line ends; a terminal wants "\n". Texts may
// carry a path or a value from the command line: shown escaped.
std::string Lines(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p)
        if (!(p[0] == '\r' && p[1] == '\n')) out += *p;
    return Printable(out, true);
}

} // namespace

const char* IconName(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None: return "none";
    case MessageIcon::Information: return "information";
    case MessageIcon::Warning: return "warning";
    case MessageIcon::Exclamation: return "exclamation";
    case MessageIcon::Error: return "error";
    case MessageIcon::Question: return "question";
    }
    return "none";
}

const char* ButtonsName(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok: return "ok";
    case MessageButtons::OkCancel: return "ok-cancel";
    case MessageButtons::YesNo: return "yes-no";
    }
    return "ok";
}

const char* AnswerName(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok: return "ok";
    case MessageAnswer::Cancel: return "cancel";
    case MessageAnswer::Yes: return "yes";
    case MessageAnswer::No: return "no";
    }
    return "ok";
}

MessageAnswer CliOperator::ShowMessage(const char* text, const char* caption, MessageIcon icon,
                                       MessageButtons buttons) {
    MessageAnswer answer = MessageAnswer::Ok;
    if (buttons == MessageButtons::OkCancel) answer = yes ? MessageAnswer::Ok : MessageAnswer::Cancel;
    if (buttons == MessageButtons::YesNo) answer = yes ? MessageAnswer::Yes : MessageAnswer::No;
    EndProgress();
    // A message without a caption shows as its text alone.
    const char* separator = caption && *caption ? ": " : "";
    if (!caption) caption = "";
    if (buttons == MessageButtons::Ok)
        std::fprintf(stderr, "%s%s%s\n", Lines(caption).c_str(), separator, Lines(text).c_str());
    else
        std::fprintf(stderr, "%s%s%s [%s]\n", Lines(caption).c_str(), separator, Lines(text).c_str(),
                     AnswerName(answer));
    m_messages.push_back({caption, text, IconName(icon), ButtonsName(buttons), AnswerName(answer)});
    return answer;
}

bool CliOperator::AskEnclosureSerial(char* serial, size_t size) {
    const bool ok = !enclosureSerial.empty();
    std::fprintf(stderr, "QVR Family Config Tool.: The serial number for this receiver is missing or invalid. [%s]\n",
                 ok ? Printable(enclosureSerial).c_str() : "cancel");
    m_messages.push_back({"QVR Family Config Tool.",
                          "The serial number for this receiver is missing or invalid.  Please enter the serial number "
                          "seen on the QVR4100 MA enclosure:",
                          "none", "ok-cancel", ok ? enclosureSerial : "cancel"});
    if (!ok) return false;
    std::snprintf(serial, size, "%s", enclosureSerial.c_str());
    return true;
}

bool CliOperator::ConfirmRadioNotFound(const char* message, const char* checkBoxText, bool* removed) {
    *removed = radioRemoved;
    std::fprintf(stderr, "QVR Family Config Tool: %s\n  [%c] %s\n", Lines(message).c_str(), radioRemoved ? 'x' : ' ',
                 checkBoxText);
    m_messages.push_back({"QVR Family Config Tool", message, "none", "ok", radioRemoved ? "ok, checked" : "ok"});
    return true;
}

void CliOperator::SetStatusText(const char* text) {
    if (showStatus) std::fprintf(stderr, "%s\n", Lines(text).c_str());
}

void CliOperator::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
}

void CliOperator::SetPosition(int position) {
    if (!showProgress || m_upper <= m_lower) return;
    const int width = 40;
    int done = static_cast<int>(static_cast<long long>(position - m_lower) * width / (m_upper - m_lower));
    if (done < 0) done = 0;
    if (done > width) done = width;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", done, "########################################", width - done, "",
                 done * 100 / width);
    std::fflush(stderr);
    m_barShown = true;
}

void CliOperator::EndProgress() {
    if (m_barShown) std::fprintf(stderr, "\n");
    m_barShown = false;
}

} // namespace qvr::cli
