#pragma once
// Pieces the programs that drive the core against the simulator in virtual
// time share (qvr-bench, qvr-faults): the receiver object's services on a
// virtual link, and scratch files.
#include <cstdint>
#include <string>
#include <vector>

#include "MAReceiver.h"
#include "VirtualLink.h"

namespace qvr::bench {

// The services of a receiver object on the virtual link; the operator and
// status sink may be null (the silent ones), the trace is the null trace.
PlatformServices Services(sim::VirtualLink& link, IOperator* op = nullptr, IStatusSink* status = nullptr);

// A path in the temporary folder no other run uses: "qvr_<tag>_<n><suffix>".
std::string ScratchPath(const std::string& tag, const std::string& suffix);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// The file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes);
void RemoveFile(const std::string& path);

} // namespace qvr::bench
