#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "SimReceiver.h"

namespace qvr::sim {

// The receiver's voice prompts and timer LED: the audio defaults log
// ("log audiocfgdefb", 797), the extended levels ("log extlevelsb", 798,
// timer mode float at byte 52), "audiocfgindex N", "audiocfg set N",
// "audiocfg set EVENT N", "audiocfg send EVENT LEVEL" and
// "appcontrol timermode N". Later logs report what was set.
class SimAudio {
public:
    static constexpr uint16_t kAudioDefaultsId = 797;
    static constexpr uint16_t kExtLevelsId = 798;
    static constexpr size_t kExtLevelsTimerOffset = 52;
    static constexpr int kMaxVolume = 7;

    struct Prompt {
        std::string event;
        int level;
        SimTime at;
    };

    struct State {
        std::string languageFile = "default";  // up to 8 characters in the log
        uint16_t languageIndex = 0;
        int32_t volume = 4;
        float timerMode = 0.0f;
        // Levels set for single events ("audiocfg set logepoch 0").
        std::map<std::string, int> eventLevels;
        // Every prompt played with "audiocfg send", in order.
        std::vector<Prompt> played;

        // How the logs go out: a receiver with other firmware answers the
        // audio defaults request with another log or a shorter body.
        uint16_t audioDefaultsId = kAudioDefaultsId;
        size_t audioDefaultsLength = 24;
        // From the acknowledgement to the audio defaults log.
        SimTime audioDefaultsDelay = 0;
        size_t extLevelsLength = 64;
    };

    explicit SimAudio(SimReceiver& receiver);
    SimAudio(const SimAudio&) = delete;
    SimAudio& operator=(const SimAudio&) = delete;

    State& Audio() { return m_state; }
    const State& Audio() const { return m_state; }

    // The log bodies as they would go out now.
    std::vector<uint8_t> AudioDefaultsBody() const;
    std::vector<uint8_t> ExtLevelsBody() const;

    // The events the receiver has prompts for.
    static bool IsPromptEvent(const std::string& keyword);

private:
    bool Set(const SimReceiver::Tokens& t);
    bool Send(const SimReceiver::Tokens& t);

    SimReceiver& m_receiver;
    State m_state;
};

} // namespace qvr::sim
