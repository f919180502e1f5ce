#pragma once
#include <cstddef>
#include <cstdint>

#include "ComPort.h"
#include "Languages.h"
#include "LogFrame.h"
#include "Operator.h"
#include "RateMemory.h"
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
    // A port name of kPortNameSize characters or more is refused (false,
    // nothing opened).
    bool Connect(const char* pcPortName);
    static bool PortNameFits(const char* name);
    bool GetCurrentBaudRateAndPort(const char* pcPortName);
    void Disconnect();
    void GetPortName(char* destination, size_t destinationSize) const;
    template <size_t N>
    void GetPortName(char (&destination)[N]) const { GetPortName(destination, N); }
    bool SendCommand(const char* text);
    bool ChangeBaudRate(int rate);
    // The receiver stopped answering: the port failed since the last
    // connect (unplugged, powered off, the other end hung up). Operations
    // then end at once and report failure; see CComPort::LinkLost.
    bool LinkLost() const { return m_port.LinkLost(); }
    // A protocol pause; none once the link is lost.
    void Pause(uint32_t ms);

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
    // The seven texts of a version log entry, each NUL-terminated (widths
    // 16, 16, 16, 16, 16, 12 and 12).
    struct VersionEntryTexts {
        char text[7][17];
    };
    // The texts of the first entry of that type; false when there is none.
    static bool ReadVersionEntry(const uint8_t (&versionLog)[kVersionLogSize], uint32_t type,
                                 VersionEntryTexts* texts);
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
    // Removes double quotes and control characters from a text the radio
    // or the receiver's record supplied (never from one the operator
    // typed), tracing what was removed; true when it removed any.
    bool MakeQuotable(char* text, const char* what);

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
    // Reads the extended levels again, for the timer mode the receiver now
    // holds; on failure the one known before stays.
    bool RereadTimerMode();
    bool GetLanguageList(Language (&ids)[kMaxLanguages], int* count) const;
    float GetUserAppVersionNumber() const;
    bool WritePowerupConfig(int powerupIndex, int timerMode);

    // --- debug log file (MAReceiverDebugFile.cpp)
    void SetDebugFileEnabled(bool enable);
    bool DeleteDebugFile();
    // The blocks are written to a new file PATH.XXXXXX + kDownloadTempSuffix
    // (beside the file a symbolic link PATH points to), which replaces that
    // file only when the whole file is there, keeping its permissions; a
    // failed download removes it and leaves PATH as it was.
    bool DownloadDebugFile(const char* path, IProgressSink* progress);
    static constexpr const char* kDownloadTempSuffix = ".part";
    static constexpr size_t kMaxPathSize = 4096;
    // The temporary file of the download under way ("" when none), for a
    // front end that must remove it when the program is stopped midway.
    const char* DownloadTempPath() const { return m_downloadTempPath; }

    // --- data refresh (MAReceiverRefresh.cpp)
    // Reads everything the pages show, finds the radio and fills the record.
    // A null status sink means the one the object was given. On the handheld
    // infoRead tells whether the identity was read.
    bool UpdateAllData(ReceiverData& record, IStatusSink* status, bool* infoRead = nullptr);
    bool UpdateDeviceInfo(IStatusSink* status);
    bool WriteUserInfoPeripheral();
    bool WritePeripheralPlaceholder(bool placeholder);
    void SetRadioRemovalConfirmed(bool flag);
    bool RadioRemovalConfirmed() const { return m_radioRemovalConfirmed != 0; }

    // --- UHF radio (MAReceiverUhf*.cpp)
    // The radio's "SL" commands travel in "sendhex" lines; its answer is the
    // first pass-through log that follows. Queries purge first and leave
    // their output zero or empty when they fail. Frequencies in MHz.
    static constexpr size_t kUhfMenuTextSize = 2048;
    static constexpr size_t kCenterMessageSize = 256;
    // Connect-time retrieval into the UHF block (the caller has switched the
    // AUX supply on and started the pass-through log). Sets the peripheral
    // kind to 1 when a radio answered. A null status goes to the receiver
    // object's status sink.
    bool DetectUhfRadio(IStatusSink* status = nullptr);
    // Band limits of range 1 or 2, snapped to a whole kHz; other ranges fail
    // at once.
    bool QueryLowerLimit(int range, double* mhz);
    bool QueryUpperLimit(int range, double* mhz);
    bool QueryCenterFrequency(double* mhz);
    bool QueryCurrentFrequency(double* mhz);
    bool QueryFirmwareVersion(char* text, size_t size);
    bool QueryTxPower(char* text, size_t size);
    bool QueryModuleName(char* text, size_t size);
    // Handheld radio page: "SL%D?", "SL@S?" (3 for "ERROR"), "SL@S=n".
    bool QueryDeviceText(char* text, size_t size);
    bool QueryProtocolMode(int* mode);
    bool SetProtocolMode(int mode);
    // Channel spacing in hertz from the radio menu, -1 when not found.
    int ReadChannelSpacing();
    // True when the radio menu shows error correction on.
    bool ReadFecSetting();
    // Flips error correction through the menu and power-cycles the radio.
    bool ToggleFec();
    bool SetCurrentFrequency(double mhz);
    // Milliwatts as decimal digits. False (nothing sent) only for a text too
    // long for one "sendhex" line.
    bool SetTxPower(const char* milliwatts);
    bool StoreRadioSettings();
    // Reads back what the UHF pages set (TX power, current frequency, error
    // correction; the protocol mode where the variant reads it) as the
    // connect does. False, the block as it was, when the radio did not answer.
    bool ReadBackUhfSettings(UhfBlock* uhf);
    // Validates the text (first failed rule in the message, at most
    // messageSize - 1 characters; a text that is not a plain number is
    // refused first) and types it into the radio's service menu over the AUX
    // bridge at 9600 baud. The receiver stays bridged.
    bool SetCenterFrequency(const char* text, char* message, size_t messageSize);
    template <size_t N>
    bool SetCenterFrequency(const char* text, char (&message)[N]) { return SetCenterFrequency(text, message, N); }
    // Starts the radio's flash loader and bridges the PC port to it at 38400.
    bool EnterFlashLoader();
    // A band limit moved to a whole kHz where at most three 6.25 kHz steps
    // get there (raised first, then lowered); otherwise the value as read.
    static double SnapBandLimit(double mhz);
    // A frequency in MHz as whole hertz (the nearest: a typed 512.1125 is
    // 512112500 Hz, though 512.1125 x 1000000 is a little below that in
    // binary floating point).
    static int64_t FrequencyHz(double mhz);
    // A centre frequency the radio's menu takes: whole multiples of 6250 Hz.
    static bool OnCenterFrequencyRaster(double mhz);
    // True when the text is a decimal number and nothing else (blanks
    // around it allowed, no sign), within maxChars characters: what may be
    // typed into the radio's menu.
    static bool IsPlainDecimal(const char* text, size_t maxChars = SIZE_MAX);
    // The radio's number format: leading blanks, an optional sign, digits,
    // a decimal point and digits (no exponent); reads at most maxChars
    // characters and stops at the first other one. No number reads as 0.
    static double ReadDecimal(const char* text, size_t maxChars = SIZE_MAX);
    static long ReadInteger(const char* text, size_t maxChars = SIZE_MAX);

    // --- GSM module (MAReceiverGsm*.cpp)
    // Applet requests travel in "sendhex" lines of at most 246 data bytes;
    // replies are collected from the pass-through log into 1024 bytes.
    static constexpr size_t kAppletReplyCapacity = 1024;
    static constexpr size_t kMaxSendHexData = 246;
    // The longest AT command: with its "\r\n" it fills one "sendhex" line.
    static constexpr size_t kMaxAtCommandLength = kMaxSendHexData - 2;
    // Sends the header in one "sendhex" line and the payload, if any, in a
    // second. A payload that does not fit one line is refused: false and
    // nothing sent.
    bool SendAppletMessage(const AppletMessage& message);
    // Collects one applet reply from the pass-through log: true when a reply
    // header arrived, even if its payload stayed incomplete; false for no
    // reply, a reply without the magic or shorter than a header, or one
    // announcing more payload than the capacity.
    bool ReadAppletReply(uint8_t* buffer, size_t capacity, uint32_t* replyType, size_t* received, uint32_t limitMs,
                         bool noLimit = false);
    // Looks a key up in a reply of items "KEY:VALUE" ended by a terminator
    // ('+' or '\n'). The key matches only where an item begins (at the start
    // or right after a terminator). True when the value is not empty; the
    // value is cut to its buffer.
    static bool LookupValue(const char* reply, size_t count, const char* key, char terminator, char* value,
                            size_t valueSize);
    // Module information (request 16) into the block's six identity texts.
    bool QueryModuleInfo(GsmBlock* block);
    // Signal level (request 21) as text; "0" when it could not be read.
    bool QuerySignalLevel(char* output, size_t outputSize);
    // "AT+CREG?": the registration state, kRegistrationNotRead when there is
    // no GSM module or no usable answer.
    int QueryRegistration();
    // Connect-time identification and retrieval (the pass-through log must
    // be running). Sets the peripheral kind to 2 when a module answered.
    // A null status goes to the receiver object's status sink.
    bool DetectGsmModule(IStatusSink* status = nullptr);
    // Request 39 with "socket://SITE:80": the module's answer or an error
    // text in the output; true when the module answered.
    // TcpTestSiteProblem gives the error text for a site that is refused
    // before anything is sent (empty, too long for one request, or holding
    // a line end, quote or control character), else nullptr.
    static const char* TcpTestSiteProblem(const char* site);
    bool TestTcpConnection(const char* site, char* output, size_t outputSize);
    // One AT command through AuxExchange. A command longer than
    // kMaxAtCommandLength is refused (false, nothing sent, empty reply,
    // *tooLong = GsmField::AtCommand).
    bool ExchangeAtCommand(char* command, size_t commandSize, char* reply, size_t replySize,
                           GsmField* tooLong = nullptr);

    // --- GSM settings records (MAReceiverGsmRecords.cpp)
    // Replies of requests 25 and 30 into a record (cleared first).
    static void ParseBearerSettings(const char* reply, size_t count, BearerRecord* record);
    static void ParseNtripSettings(const char* reply, size_t count, NtripSourceRecord* record);
    bool ReadBearerSettings(BearerRecord* record);
    bool ReadNtripSettings(NtripSourceRecord* record);
    // The same after the connect, with the pass-through log run for the
    // time of the reads; a null record is not read. False when a read
    // failed (its record then cleared).
    bool ReadBackGsmSettings(BearerRecord* bearer, NtripSourceRecord* ntrip);
    // The writes are true when the applet accepted them (reply type 2). A
    // payload too long for one "sendhex" line is refused before anything is
    // sent: false, with the longest text of the request in *tooLong.
    bool WriteGprsSettings(const BearerRecord* record, GsmField* tooLong = nullptr);
    bool WriteCsdSettings(const BearerRecord* record, GsmField* tooLong = nullptr);
    bool WriteAuthenticationSettings(const BearerRecord* record, GsmField* tooLong = nullptr);
    // 0 (GPRS) or 1 (CSD); other values are refused and nothing is sent.
    bool SetDefaultConnection(int value);
    bool ClearBearer();
    bool WriteNtripSettings(const NtripSourceRecord* record, GsmField* tooLong = nullptr);
    // The payloads of the GPRS and NTRIP writes, as they would be sent:
    // false when they do not fit one "sendhex" line (the longest text in
    // *tooLong). The writes also refuse, sending nothing, a payload whose
    // values hold a line end, a quote or another control character.
    static bool FormatGprsPayload(const BearerRecord& record, char* payload, size_t size, GsmField* tooLong);
    static bool FormatNtripPayload(const NtripSourceRecord& record, char* payload, size_t size, GsmField* tooLong);

    // --- state
    Variant GetVariant() const { return m_variant; }
    // What this program's copy of the core does differently (Variant.h).
    const VariantProfile& GetProfile() const { return m_profile; }
    int ReceiverPortNumber() const { return m_receiverPort; }
    CComPort& Port() { return m_port; }
    const ReceiverInfo& Info() const { return m_receiverInfo; }
    ReceiverInfo& Info() { return m_receiverInfo; }
    const AudioSettings& Audio() const { return m_audio; }
    PeripheralBlock& Peripheral() { return m_peripheral; }
    const uint8_t* ExtLevels() const { return m_extLevels; }
    const char* Caption() const { return m_profile.caption; }
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
    const VariantProfile& m_profile;
    IOperator* m_ui;
    IStatusSink* m_status;
    IRateMemory* m_rates;
    CComPort m_port;
    int32_t m_receiverPort = 0;
    char m_pcPortName[kPortNameSize] = {};
    uint8_t m_logBuffer[kMaxLogFrame] = {};
    PeripheralBlock m_peripheral = {};
    AudioSettings m_audio = {};
    ReceiverInfo m_receiverInfo = {};
    uint8_t m_radioRemovalConfirmed = 0;
    uint8_t m_extLevels[kExtLevelsSize] = {};
    char m_downloadTempPath[kMaxPathSize] = {};

    // --- GSM module helpers (MAReceiverGsm*.cpp)
    // Purges nothing: sends the request and collects its reply (NUL added
    // after the received bytes). False when the request was refused or no
    // reply header came.
    bool AppletRequest(const AppletMessage& request, uint32_t limitMs, uint8_t (&reply)[kAppletReplyCapacity + 1],
                       uint32_t* replyType, size_t* received);
    // A text request that must be answered with reply type 2, with the
    // pass-through log running for its reply.
    bool AppletWrite(uint32_t type, const char* payload, uint32_t limitMs);

    // --- UHF radio helpers (MAReceiverUhf*.cpp)
    // Sends the bytes to the radio in one "sendhex" line (SendCommand);
    // false when they do not fit one line (nothing sent).
    bool SendToRadio(const uint8_t* bytes, int count);
    bool SendToRadio(const char* text);
    // The radio exchange: the text to the radio, then one ReadLog within
    // waitMs. True when that log is a pass-through log; its bytes are then
    // *reply (inside the log buffer, valid until the next read) and *count.
    bool RadioExchange(const char* text, uint32_t waitMs, const uint8_t** reply, size_t* count);
    // Purge, exchange (500 ms) and the reply as text (cut to size).
    bool QueryText(const char* command, char* text, size_t size);
    // Purge, exchange (500 ms) and the first 10 characters as a number.
    bool QueryNumber(const char* command, double* mhz);
    // Appends the bytes of pass-through logs to the menu text until no log
    // arrives within limitMs; returns the length (at most the buffer size).
    size_t CollectMenuText(char (&text)[kUhfMenuTextSize + 1], uint32_t limitMs);
};

} // namespace qvr
