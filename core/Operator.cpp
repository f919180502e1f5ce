#include "Operator.h"

namespace qvr {

namespace {

class Silent final : public IOperator {
public:
    MessageAnswer ShowMessage(const char*, const char*, MessageIcon, MessageButtons buttons) override {
        switch (buttons) {
        case MessageButtons::Ok: return MessageAnswer::Ok;
        case MessageButtons::OkCancel: return MessageAnswer::Cancel;
        case MessageButtons::YesNo: return MessageAnswer::No;
        }
        return MessageAnswer::Cancel;
    }
    bool AskEnclosureSerial(char* serial, size_t size) override {
        if (size) serial[0] = '\0';
        return false;
    }
    bool ConfirmRadioNotFound(const char*, const char*, bool* radioRemoved) override {
        if (radioRemoved) *radioRemoved = false;
        return false;
    }
};

class NoStatus final : public IStatusSink {
public:
    void SetStatusText(const char*) override {}
};

} // namespace

IOperator& SilentOperator() {
    static Silent instance;
    return instance;
}

IStatusSink& NullStatus() {
    static NoStatus instance;
    return instance;
}

} // namespace qvr
