// Network port names, the Telnet coding of the COM-PORT-OPTION, and the
// device that picks the local or the network device by the port name.
#include "platform/NetworkPort.h"

#include <cstdlib>
#include <cstring>

namespace qvr {

namespace {

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

} // namespace

NetworkPortKind NetworkPortKindOf(const char* name)
{
    if (name == nullptr)
        return NetworkPortKind::None;
    if (StartsWith(name, "tcp://"))
        return NetworkPortKind::RawTcp;
    if (StartsWith(name, "rfc2217://"))
        return NetworkPortKind::Rfc2217;
    return NetworkPortKind::None;
}

bool ParseNetworkPortName(const char* name, NetworkPortAddress* out)
{
    const NetworkPortKind kind = NetworkPortKindOf(name);
    if (kind == NetworkPortKind::None || out == nullptr)
        return false;
    const char* rest = std::strchr(name, '/') + 2;
    const char* hostBegin = rest;
    const char* hostEnd;
    const char* colon;
    if (*rest == '[') {  // [IPv6]:port
        hostBegin = rest + 1;
        hostEnd = std::strchr(hostBegin, ']');
        if (hostEnd == nullptr || hostEnd[1] != ':')
            return false;
        colon = hostEnd + 1;
    } else {
        colon = std::strrchr(rest, ':');
        if (colon == nullptr)
            return false;
        hostEnd = colon;
    }
    const size_t hostLength = static_cast<size_t>(hostEnd - hostBegin);
    if (hostLength == 0 || hostLength >= sizeof out->host || std::memchr(hostBegin, '/', hostLength) != nullptr)
        return false;
    const char* service = colon + 1;
    const size_t serviceLength = std::strlen(service);
    if (serviceLength == 0 || serviceLength > 5 || std::strspn(service, "0123456789") != serviceLength)
        return false;
    const long number = std::strtol(service, nullptr, 10);
    if (number < 1 || number > 65535)
        return false;
    out->kind = kind;
    std::memcpy(out->host, hostBegin, hostLength);
    out->host[hostLength] = '\0';
    std::memcpy(out->service, service, serviceLength + 1);
    return true;
}

namespace telnet {

size_t EscapeData(const uint8_t* data, size_t count, uint8_t* out)
{
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        out[n++] = data[i];
        if (data[i] == kIac)
            out[n++] = kIac;
    }
    return n;
}

size_t ComPortCommand(uint8_t command, const uint8_t* value, size_t count, uint8_t* out)
{
    size_t n = 0;
    out[n++] = kIac;
    out[n++] = kSb;
    out[n++] = kComPortOption;
    n += EscapeData(&command, 1, out + n);
    n += EscapeData(value, count, out + n);
    out[n++] = kIac;
    out[n++] = kSe;
    return n;
}

size_t Decoder::Feed(const uint8_t* in, size_t count, uint8_t* data, IEvents& events)
{
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = in[i];
        switch (m_state) {
        case State::Data:
            if (b == kIac)
                m_state = State::Iac;
            else
                data[n++] = b;
            break;
        case State::Iac:
            if (b == kIac) {
                data[n++] = kIac;
                m_state = State::Data;
            } else if (b >= kWill) {  // WILL, WONT, DO, DONT
                m_verb = b;
                m_state = State::Verb;
            } else if (b == kSb) {
                m_sbCount = 0;
                m_state = State::Sb;
            } else {
                m_state = State::Data;  // NOP, GA and the like: nothing to do
            }
            break;
        case State::Verb:
            events.OnNegotiation(m_verb, b);
            m_state = State::Data;
            break;
        case State::Sb:
            if (b == kIac)
                m_state = State::SbIac;
            else if (m_sbCount < kMaxSubnegotiation)
                m_sb[m_sbCount++] = b;
            break;
        case State::SbIac:
            if (b == kIac) {
                if (m_sbCount < kMaxSubnegotiation)
                    m_sb[m_sbCount++] = kIac;
                m_state = State::Sb;
            } else {
                // IAC SE ends it; any other command ends it too.
                if (m_sbCount > 0)
                    events.OnSubnegotiation(m_sb[0], m_sb + 1, m_sbCount - 1);
                m_state = State::Data;
                if (b != kSe) {
                    // The command that cut it short is taken as it is.
                    const uint8_t again[2] = {kIac, b};
                    m_state = State::Data;
                    n += Feed(again, 2, data + n, events);
                }
            }
            break;
        }
    }
    return n;
}

} // namespace telnet

namespace {

// The system's device: the local one for local names, the network one for
// tcp:// and rfc2217://, chosen at each Open.
class PortNameDispatcher final : public ISerialDevice {
public:
    bool Open(const char* name) override
    {
        Close();
        if (IsNetworkPortName(name)) {
            if (!m_network)
                m_network = CreateNetworkSerialDevice();
            m_current = m_network.get();
        } else {
            m_current = m_local.get();
        }
        return m_current->Open(name);
    }
    bool IsOpen() const override { return m_current->IsOpen(); }
    void Close() override { m_current->Close(); }
    bool FetchLineSettings() override { return m_current->FetchLineSettings(); }
    bool ApplyLineSettings(int baudRate) override { return m_current->ApplyLineSettings(baudRate); }
    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override
    {
        return m_current->Read(dest, count, timeoutMs, received);
    }
    bool Write(const uint8_t* src, size_t count, size_t* written) override
    {
        return m_current->Write(src, count, written);
    }
    bool HasGone() override { return m_current->HasGone(); }
    bool CanChangeRate() const override { return m_current->CanChangeRate(); }
    int LastError() const override { return m_current->LastError(); }

private:
    std::unique_ptr<ISerialDevice> m_local = CreateLocalSerialDevice();
    std::unique_ptr<ISerialDevice> m_network;
    ISerialDevice* m_current = m_local.get();
};

} // namespace

std::unique_ptr<ISerialDevice> CreateSystemSerialDevice()
{
    return std::make_unique<PortNameDispatcher>();
}

} // namespace qvr
