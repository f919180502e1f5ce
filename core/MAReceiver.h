#pragma once
#include <cstddef>
#include <cstdint>

#include "ComPort.h"
#include "Languages.h"
#include "LogFrame.h"
#include "Operator.h"
#include "Records.h"
#include "Variant.h"

namespace qvr {

// The connected receiver: one per program, owning the one serial port and
// everything the program knows about the receiver. Operations are
// synchronous, return their outcome and never throw; they allocate nothing.
class MAReceiver {
public:
    static constexpr int kBaudRateCount = 7;
    // Rates tried in turn when looking for the receiver (9600 first and last).
    static constexpr int kBaudRates[kBaudRateCount] = {9600, 115200, 38400, 4800, 19200, 57600, 9600};
    static constexpr uint32_t kCommandPauseMs = 200;
    static constexpr size_t kPortNameSize = 128;
    static constexpr size_t kExtLevelsSize = 64;
    static constexpr size_t kVersionLogSize = 652;  // the count and the first 6 entries
    static constexpr size_t kCommandSize = 512;     // command lines
    static constexpr int kMaxLanguages = 10;

    explicit MAReceiver(Variant variant = Variant::Desktop, const PlatformServices& services = {});
    ~MAReceiver();
    MAReceiver(const MAReceiver&) = delete;
    MAReceiver& operator=(const MAReceiver&) = delete;

    // --- connection and command channel
    bool Connect(const char* pcPortName);
    bool GetCurrentBaudRateAndPort(const char* pcPortName);
    void Disconnect();
    void GetPortName(char* destination, size_t destinationSize) const;
    template <size_t N>
    void GetPortName(char (&destination)[N]) const { GetPortName(destination, N); }
    bool SendCommand(const char* text);
    bool ChangeBaudRate(int rate);

    // --- binary log reader
    bool ReadLog(uint32_t timeoutMs);
    uint16_t GetLogMessageId() const;
    static uint32_t LogCrc32(const uint8_t* bytes, size_t count) { return qvr::LogCrc32(bytes, count); }
    // The body of the frame in the log buffer (after a successful ReadLog).
    const uint8_t* LogBody() const { return m_logBuffer + m_logBuffer[3]; }
    size_t LogBodyLength() const { return ReadLe16(m_logBuffer + 8); }
    const uint8_t* LogBuffer() const { return m_logBuffer; }

    // --- version log, identity and user-info record (MAReceiverVersionLog.cpp)
    bool GetVersionLog(uint8_t (&destination)[kVersionLogSize]);
    static bool FindVersionComponent(const uint8_t (&versionLog)[kVersionLogSize], uint32_t type, int* index);
    bool UpdateReceiverInfo();
    bool ReadPowerupConfig(int* powerupIndex);
    void IdentifyModel(const char* modelName);
    bool ReadExtLevels(uint8_t (&destination)[kExtLevelsSize]);
    bool SetSerialNumber(const char* text);
    bool WriteEnclosureSerial();
    bool WriteEnclosureModel(const char* modelName);
    // Sends "setversioninfo ENTRY" with seven quoted texts. Refuses (false,
    // nothing sent) a text holding a double quote or a control character,
    // which would corrupt the receiver's record.
    bool SendVersionInfo(const char* entry, const char* const (&texts)[7]);
    static bool IsQuotable(const char* text);

    // --- AUX pass-through (MAReceiverAux.cpp)
    // Builds "sendhex PORT COUNT HEX\r\n". False (and an empty destination)
    // when the line would not fit the 512-character command buffer.
    static bool FormatSendHex(char (&destination)[kCommandSize], const char* port, const uint8_t* data, int count);
    // Sends one line to the device on the AUX port at 9600 baud and collects
    // its answer. The request buffer (requestSize bytes) gets "\r\n" added.
    void AuxExchange(char* request, size_t requestSize, char* reply, size_t replySize);
    bool InterruptUhfRadio();
    bool OpenAuxBridge(int rate);

    // --- audio and receiver preferences (MAReceiverAudio.cpp)
    bool UpdateAudioInfo();
    bool SetAudioLanguage(int index);
    bool SetAudioVolume(unsigned int level);
    bool PlayAudioPrompt(int eventIndex, int level);
    void SetTimerMode(int mode);
    int GetTimerMode() const;
    bool GetLanguageList(Language (&ids)[kMaxLanguages], int* count) const;
    float GetUserAppVersionNumber() const;
    bool WritePowerupConfig(int powerupIndex, int timerMode);

    // --- debug log file (MAReceiverDebugFile.cpp)
    void SetDebugFileEnabled(bool enable);
    bool DeleteDebugFile();
    bool DownloadDebugFile(const char* path, IProgressSink* progress);

    // --- UHF radio (MAReceiverUhf*.cpp)

    // --- GSM module (MAReceiverGsm*.cpp)

    // --- state
    Variant GetVariant() const { return m_variant; }
    int ReceiverPortNumber() const { return m_receiverPort; }
    CComPort& Port() { return m_port; }
    const ReceiverInfo& Info() const { return m_receiverInfo; }
    ReceiverInfo& Info() { return m_receiverInfo; }
    const AudioSettings& Audio() const { return m_audio; }
    PeripheralBlock& Peripheral() { return m_peripheral; }
    const uint8_t* ExtLevels() const { return m_extLevels; }
    const char* Caption() const { return m_variant == Variant::Handheld ? kHandheldCaption : kDesktopCaption; }
    IOperator& Ui() { return *m_ui; }

private:
    // Waits up to timeoutMs for any valid binary log, completing a frame
    // that is still arriving when a single ReadLog gives up on it.
    bool WaitForAnyLog(uint32_t timeoutMs);
    bool LearnReceiverPort();

    // Message box with the program's caption.
    MessageAnswer Tell(const char* text, MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);

    IClock& Clock() { return m_port.Clock(); }
    ITrace* Trace() { return m_port.Trace(); }

    Variant m_variant;
    IOperator* m_ui;
    IStatusSink* m_status;
    CComPort m_port;
    int32_t m_receiverPort = 0;
    char m_pcPortName[kPortNameSize] = {};
    uint8_t m_logBuffer[kMaxLogFrame] = {};
    PeripheralBlock m_peripheral = {};
    AudioSettings m_audio = {};
    ReceiverInfo m_receiverInfo = {};
    uint8_t m_radioRemovalConfirmed = 0;
    uint8_t m_extLevels[kExtLevelsSize] = {};
};

} // namespace qvr
