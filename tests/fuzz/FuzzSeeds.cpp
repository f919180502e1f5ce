#include "FuzzSeeds.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "FuzzBench.h"
#include "LogFrame.h"
#include "SimUnit.h"
#include "VirtualLink.h"

namespace qvr::fuzz {

namespace {

using Entry = sim::Transcript::Entry;
using Kind = sim::Transcript::Kind;

FuzzDevice::Kind FrameKind(uint16_t id) {
    switch (id) {
    case logid::Version: return FuzzDevice::Version;
    case logid::AudioConfigDefaults: return FuzzDevice::Audio;
    case logid::ExtLevels: return FuzzDevice::ExtLevels;
    case logid::FileHeader: return FuzzDevice::FileHeader;
    case logid::FileTransfer: return FuzzDevice::FileTransfer;
    case logid::PassAux: return FuzzDevice::PassAuxBody;
    default: return FuzzDevice::Raw;
    }
}

// The bytes as segments: text between frames raw, each whole frame of a
// known log as its kind.
void AppendSegments(std::string& out, const std::vector<uint8_t>& bytes, bool answersWrite, int step) {
    size_t at = 0;
    auto emit = [&](FuzzDevice::Kind kind, const std::string& data) {
        out += FuzzDevice::Segment(kind, answersWrite, step, data);
        answersWrite = false;
        step = 0;
    };
    std::string text;
    while (at < bytes.size()) {
        const bool sync =
            at + 10 <= bytes.size() && std::equal(kLogSync, kLogSync + 3, bytes.begin() + static_cast<long>(at));
        if (sync) {
            const size_t header = bytes[at + 3];
            const size_t body = ReadLe16(&bytes[at + 8]);
            const size_t length = header + body + 4;
            const FuzzDevice::Kind kind = FrameKind(ReadLe16(&bytes[at + 4]));
            if (kind != FuzzDevice::Raw && header == kLogHeaderLength && at + length <= bytes.size()) {
                if (!text.empty()) emit(FuzzDevice::Raw, text);
                text.clear();
                std::string data(bytes.begin() + static_cast<long>(at + header),
                                 bytes.begin() + static_cast<long>(at + header + body));
                if (kind == FuzzDevice::PassAuxBody && body >= 4 && ReadLe32(&bytes[at + header]) == body - 4)
                    emit(FuzzDevice::PassAux, data.substr(4));
                else
                    emit(kind, data);
                at += length;
                continue;
            }
        }
        text += static_cast<char>(bytes[at++]);
    }
    if (!text.empty() || answersWrite) emit(FuzzDevice::Raw, text);
}

int DelayStep(sim::SimTime from, sim::SimTime to) {
    const double ms = to > from ? static_cast<double>(to - from) / 1e6 : 0.0;
    return std::min(15, static_cast<int>(std::lround(std::sqrt(ms / 20.0))));
}

std::string Unescape(const std::string& quoted) {
    std::string out;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        char c = quoted[i];
        if (c == '\\' && i + 2 < quoted.size()) {
            const char e = quoted[++i];
            if (e == 'r') c = '\r';
            else if (e == 'n') c = '\n';
            else if (e == 't') c = '\t';
            else if (e == 'x' && i + 2 < quoted.size()) {
                c = static_cast<char>(std::stoi(quoted.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else c = e;
        }
        out += c;
    }
    return out;
}

std::string Lead(int operation, uint8_t flags) {
    return std::string{static_cast<char>(operation), static_cast<char>(flags)};
}

} // namespace

std::string SegmentsFrom(const std::vector<Entry>& entries) {
    std::string out;
    bool writePending = false;
    sim::SimTime since = entries.empty() ? 0 : entries.front().at;
    for (const Entry& e : entries) {
        if (e.kind == Kind::HostSent) {
            // A write the receiver did not answer gets an empty answer, so
            // that the next answer goes with the write it belongs to.
            if (writePending) out += FuzzDevice::Segment(FuzzDevice::Raw, true, 0, {});
            writePending = true;
            since = e.at;
        } else if (e.kind == Kind::ReceiverSent) {
            AppendSegments(out, e.bytes, writePending, DelayStep(since, e.at));
            writePending = false;
            since = e.at;
        }
    }
    return out;
}

std::vector<Entry> ParseTranscript(const std::string& text) {
    std::vector<Entry> entries;
    std::istringstream lines(text);
    std::string line;
    Entry* open = nullptr;  // an entry whose bytes follow as hex lines
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, side;
        words >> first;
        if (first.empty()) continue;
        if (first.find('.') != std::string::npos) {
            words >> side;
            open = nullptr;
            const bool host = side == "host>";
            if (!host && side != "rcvr>") continue;
            Entry e{static_cast<sim::SimTime>(std::stod(first) * 1e9), host ? Kind::HostSent : Kind::ReceiverSent, 0,
                    {}, {}};
            std::string baud, rest;
            words >> baud;
            std::getline(words, rest);
            rest.erase(0, rest.find_first_not_of(' '));
            if (!rest.empty() && rest[0] == '"') {
                const std::string bytes = Unescape(rest);
                e.bytes.assign(bytes.begin(), bytes.end());
                entries.push_back(e);
            } else {
                entries.push_back(e);
                open = &entries.back();
            }
        } else if (open) {
            // "0010  00 00 ...  |....|"
            std::string word;
            while (words >> word && word[0] != '|')
                if (word.size() == 2) open->bytes.push_back(static_cast<uint8_t>(std::stoi(word, nullptr, 16)));
        }
    }
    return entries;
}

std::vector<Seed> GoldenSeeds(const std::string& folder) {
    // Which operations each exchange belongs to: target, operation.
    static const struct {
        const char* file;
        const char* target;
        int operations[2];
    } kUses[] = {
        {"connect_4800.txt", "fuzz_receiver", {0, 7}},
        {"connect_9600_com2.txt", "fuzz_receiver", {0, 7}},
        {"gsm_detect.txt", "fuzz_gsm", {0, 7}},
        {"aux_exchange_at.txt", "fuzz_gsm", {5, 6}},
        {"uhf_detect.txt", "fuzz_uhf", {0, 4}},
        {"uhf_center_frequency.txt", "fuzz_uhf", {6, 3}},
    };
    std::vector<Seed> seeds;
    for (const auto& use : kUses) {
        std::ifstream in(folder + "/" + use.file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const std::vector<Entry> entries = ParseTranscript(text.str());
        const std::string segments = SegmentsFrom(entries);
        for (int operation : use.operations)
            seeds.push_back({use.target, std::string("golden-") + use.file + "-" + std::to_string(operation),
                             Lead(operation, 0) + segments});
        // The log reader takes the receiver's bytes in pieces of 96.
        std::string stream;
        for (const Entry& e : entries)
            if (e.kind == Kind::ReceiverSent) stream.append(e.bytes.begin(), e.bytes.end());
        std::string split(1, '\0');
        for (size_t at = 0; at < stream.size(); at += 96) {
            split += static_cast<char>(96);
            split += stream.substr(at, 96);
        }
        seeds.push_back({"fuzz_readlog", std::string("golden-") + use.file, split});
    }
    return seeds;
}

namespace {

using Run = void (*)(MAReceiver&, uint8_t, uint8_t, const uint8_t*, size_t);
const struct {
    const char* target;
    Run run;
    int operations;
    const char* presets[3];
} kTargets[] = {
    {"fuzz_gsm", RunGsm, kGsmOperations, {"gsm", "gsm-nokia", nullptr}},
    {"fuzz_uhf", RunUhf, kUhfOperations, {"uhf", nullptr, nullptr}},
    {"fuzz_receiver", RunReceiver, kReceiverOperations, {"uhf", "gsm", "ma"}},
    {"fuzz_upgrade", RunUpgrade, kUpgradeOperations, {"gsm", "uhf", nullptr}},
};

} // namespace

bool RecordSeed(const std::string& target, int operation, const std::string& preset, uint8_t flags, Seed* seed,
                ReceiverData* result) {
    Run run = nullptr;
    for (const auto& t : kTargets)
        if (target == t.target) run = t.run;
    std::unique_ptr<sim::SimUnit> unit = sim::MakePreset(preset, 9600, "COM1", 3 * 1024 + 100);
    if (!run || !unit) return false;
    sim::VirtualLink link(unit->receiver);
    MAReceiver receiver((flags & kHandheld) ? Variant::Handheld : Variant::Desktop,
                        PlatformServices{&link.Clock(), &link.Device(), &NullTrace(), nullptr});
    ReceiverData record{};
    if (!receiver.Connect("COM1")) return false;
    receiver.UpdateAllData(record, nullptr);
    // The refresh stops the pass-through log at its end; the radio
    // operations run with it on, as the pages run them.
    receiver.SendCommand("comvout aux on\r\n");
    receiver.SendCommand("log passauxb onnew\r\n");
    receiver.Pause(1000);
    receiver.Port().Purge();
    link.AdvanceTo(link.Virtual().Now());
    link.Record().Clear();
    run(receiver, static_cast<uint8_t>(operation), flags, nullptr, 0);
    *seed = {target, "sim-" + std::to_string(operation) + "-" + preset + (flags ? "-handheld" : ""),
             Lead(operation, flags) + SegmentsFrom(link.Record().Entries())};
    if (result) *result = {receiver.Info(), receiver.Peripheral(), receiver.Audio()};
    return true;
}

std::vector<Seed> RecordedSeeds() {
    std::vector<Seed> seeds;
    for (const auto& target : kTargets) {
        for (int operation = 0; operation < target.operations; ++operation) {
            for (const char* preset : target.presets) {
                if (!preset) continue;
                // The upgrades: the GSM ones with a module, the UHF ones with a radio.
                if (target.run == RunUpgrade && (operation < 2) != (std::string(preset) != "uhf")) continue;
                for (uint8_t flags : {uint8_t{0}, uint8_t{kHandheld}}) {
                    if (flags && target.run != RunUhf && target.run != RunReceiver) continue;
                    Seed seed;
                    if (RecordSeed(target.target, operation, preset, flags, &seed, nullptr))
                        seeds.push_back(std::move(seed));
                }
            }
        }
    }
    return seeds;
}

} // namespace qvr::fuzz
