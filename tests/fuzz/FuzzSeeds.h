#pragma once
#include <string>
#include <vector>

#include "Records.h"
#include "Transcript.h"

namespace qvr::fuzz {

// A starting input of a fuzz target.
struct Seed {
    std::string target;  // "fuzz_gsm", ...
    std::string name;
    std::string bytes;
};

// What the receiver answered in a transcript, as FuzzDevice segments: each
// host write is answered by what the receiver sent after it (an empty
// segment when nothing), log frames as frame kinds so that their contents
// can change without breaking their CRC.
std::string SegmentsFrom(const std::vector<sim::Transcript::Entry>& entries);
// The entries of a rendered transcript (a golden file).
std::vector<sim::Transcript::Entry> ParseTranscript(const std::string& text);

// Seeds from the golden transcripts in the folder, each given to the
// operations that the transcript's exchange belongs to.
std::vector<Seed> GoldenSeeds(const std::string& goldenFolder);
// Seeds recorded from the simulated receiver: every operation of every
// target run against the presets it applies to, after a connect and a
// refresh, with what the receiver answered during the operation.
std::vector<Seed> RecordedSeeds();
// One of them: false for an unknown target or preset, or when the connect
// failed. result: what the receiver object knew after the operation.
bool RecordSeed(const std::string& target, int operation, const std::string& preset, uint8_t flags, Seed* seed,
                ReceiverData* result);

} // namespace qvr::fuzz
