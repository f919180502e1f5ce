#include "SimDebugFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "LogFrame.h"

namespace qvr::sim {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

constexpr uint8_t kFiller = 0xEE;  // data of blocks that are not part of the file

std::vector<uint8_t> BlockBody(uint32_t number, uint32_t lengthField, const uint8_t* data, size_t length) {
    std::vector<uint8_t> body(8 + length);
    WriteLe32(body.data(), number);
    WriteLe32(body.data() + 4, lengthField);
    std::copy(data, data + length, body.begin() + 8);
    return body;
}

} // namespace

SimDebugFile::SimDebugFile(SimReceiver& receiver) : m_receiver(receiver) { Install(); }

void SimDebugFile::SetContent(std::vector<uint8_t> content) {
    m_content = std::move(content);
    m_present = true;
}

std::vector<uint8_t> SimDebugFile::Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed ? seed : 0x9E3779B9u;
    for (uint8_t& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x >> 11);
    }
    return bytes;
}

std::vector<uint8_t> SimDebugFile::LogText(size_t size) {
    std::vector<uint8_t> bytes;
    bytes.reserve(size);
    char line[80];
    for (unsigned long n = 1; bytes.size() < size; ++n) {
        const int length = std::snprintf(line, sizeof line,
                                         "QVR debug log line %06lu  hw+tracking  epoch %010lu  ch %02lu\n",
                                         n % 1000000, n * 200, n % 12 + 1);
        const size_t take = std::min(static_cast<size_t>(length), size - bytes.size());
        bytes.insert(bytes.end(), line, line + take);
    }
    return bytes;
}

void SimDebugFile::InjectFault(DebugStreamFault fault, uint32_t block, uint32_t pauseMs) {
    m_faults.push_back({fault, block, pauseMs});
}

void SimDebugFile::Record(const SimReceiver::Tokens& tokens) {
    std::string line;
    for (const std::string& word : tokens) line += (line.empty() ? "" : " ") + word;
    m_commands.push_back(line);
}

void SimDebugFile::Install() {
    using Tokens = SimReceiver::Tokens;
    m_receiver.OnSubCommand("dbglogfile", "open", [this](const Tokens& t, Reply&) {
        // "open" alone resumes whatever was recorded; "open hw|tracking" adds a source.
        if (t.size() > 3) return false;
        if (t.size() == 3 && Lower(t[2]) != "hw" && Lower(t[2]) != "tracking") return false;
        m_recording = true;
        m_present = true;
        return true;
    });
    m_receiver.OnSubCommand("dbglogfile", "close", [this](const Tokens& t, Reply&) {
        if (t.size() != 2) return false;
        m_recording = false;
        return true;
    });
    m_receiver.OnSubCommand("dbglogfile", "disable", [this](const Tokens& t, Reply&) {
        if (t.size() != 2) return false;
        m_onStartHw = m_onStartTracking = false;
        return true;
    });
    m_receiver.OnSubCommand("dbglogfile", "delete", [this](const Tokens& t, Reply&) {
        if (t.size() != 2) return false;
        m_content.clear();
        m_present = false;
        return true;
    });
    m_receiver.OnSubCommand("dbglogfile", "onstart", [this](const Tokens& t, Reply&) {
        if (t.size() != 3) return false;
        const std::string source = Lower(t[2]);
        if (source == "hw") m_onStartHw = true;
        else if (source == "tracking") m_onStartTracking = true;
        else return false;
        return true;
    });
    m_receiver.OnCommand("currentfile", [this](const Tokens& t, Reply&) {
        // "currentfile" keeps the selection; "currentfile NAME [all]" selects.
        if (t.size() == 1) return true;
        if (t.size() > 3 || Lower(t[1]) != "debuglog.bin") return false;
        if (t.size() == 3 && Lower(t[2]) != "all") return false;
        m_selected = t[1];
        return true;
    });
    m_receiver.OnAnyCommand([this](const Tokens& t) {
        const std::string keyword = Lower(t[0]);
        if (keyword == "dbglogfile" || keyword == "currentfile") Record(t);
    });
    m_receiver.OnLog("filehdrb", [this](const std::string&, Reply& reply) {
        std::vector<uint8_t> body(kFileHeaderBodySize, 0);
        WriteLe32(body.data() + 12, m_present ? static_cast<uint32_t>(m_content.size()) : 0);
        reply.Frame(kFileHeaderId, body);
        return true;
    });
    m_receiver.OnLog("filetransferb", [this](const std::string&, Reply& reply) {
        // The stream follows the acknowledgement, at the rate then in force.
        reply.Then([this] { StartStream(); });
        return true;
    });
    m_receiver.OnUnlogAll([this] {
        m_streaming = false;
        ++m_generation;
    });
}

std::vector<SimDebugFile::Step> SimDebugFile::PlanStream() const {
    std::vector<Step> plan;
    if (!m_present || m_content.empty()) return plan;
    const size_t size = m_content.size();
    const uint32_t blocks = static_cast<uint32_t>((size + kBlockSize - 1) / kBlockSize);
    for (uint32_t b = 0; b < blocks; ++b) {
        const size_t offset = size_t{b} * kBlockSize;
        const size_t length = std::min<size_t>(kBlockSize, size - offset);
        plan.push_back({b, BlockBody(b, static_cast<uint32_t>(length), m_content.data() + offset, length), 0});
    }
    const auto find = [&plan](uint32_t number) {
        return std::find_if(plan.begin(), plan.end(), [number](const Step& s) { return s.number == number; });
    };
    for (const Fault& f : m_faults) {
        switch (f.kind) {
        case DebugStreamFault::LostBlock:
            if (auto it = find(f.block); it != plan.end()) plan.erase(it);
            break;
        case DebugStreamFault::LastBlockLost:
            if (auto it = find(blocks - 1); it != plan.end()) plan.erase(it);
            break;
        case DebugStreamFault::Stall:
            if (auto it = find(f.block); it != plan.end()) it->pause = Ms(f.pauseMs);
            break;
        case DebugStreamFault::RepeatedBlock:
            if (auto it = find(f.block); it != plan.end()) {
                Step copy = *it;
                copy.pause = 0;
                plan.insert(it + 1, copy);
            }
            break;
        case DebugStreamFault::EarlyBlock:
            if (auto it = find(f.block); it != plan.end() && it != plan.begin()) std::iter_swap(it, it - 1);
            break;
        case DebugStreamFault::ExtraBlock: {
            const std::vector<uint8_t> filler(kBlockSize, kFiller);
            plan.push_back({blocks, BlockBody(blocks, kBlockSize, filler.data(), filler.size()), 0});
            break;
        }
        case DebugStreamFault::OverlongLastBlock:
            if (auto it = find(blocks - 1); it != plan.end()) {
                std::vector<uint8_t> data(it->body.begin() + 8, it->body.end());
                data.resize(kBlockSize, kFiller);
                it->body = BlockBody(it->number, kBlockSize, data.data(), data.size());
            }
            break;
        case DebugStreamFault::ShortLastBlock:
            if (auto it = find(blocks - 1); it != plan.end()) {
                const size_t length = it->body.size() - 8;
                const size_t keep = f.block < length ? length - f.block : 1;
                std::vector<uint8_t> data(it->body.begin() + 8, it->body.begin() + 8 + static_cast<long>(keep));
                it->body = BlockBody(it->number, static_cast<uint32_t>(keep), data.data(), data.size());
            }
            break;
        case DebugStreamFault::LengthBeyondBody:
            if (auto it = find(f.block); it != plan.end()) WriteLe32(it->body.data() + 4, 4000);
            break;
        }
    }
    return plan;
}

void SimDebugFile::StartStream() {
    ++m_generation;
    ++m_streamsStarted;
    m_plan = PlanStream();
    m_nextStep = 0;
    m_pauseTaken = false;
    m_streaming = !m_plan.empty();
    if (m_streaming) SendSteps(m_generation, m_receiver.Now());
}

void SimDebugFile::SendSteps(uint64_t generation, SimTime now) {
    if (generation != m_generation || !m_streaming) return;
    if (m_nextStep >= m_plan.size()) {
        m_streaming = false;
        m_plan.clear();
        return;
    }
    const Step& step = m_plan[m_nextStep];
    const SimTime free = std::max(now, m_receiver.TransmitterFree());
    if (step.pause > 0 && !m_pauseTaken) {
        // A stall: nothing is queued meanwhile, so the receiver still
        // answers commands during it.
        m_pauseTaken = true;
        m_receiver.ScheduleAt(free + step.pause, [this, generation](SimTime at) { SendSteps(generation, at); });
        return;
    }
    m_pauseTaken = false;
    ++m_nextStep;
    // One frame per action, queued behind the one on the wire: the line
    // never idles, and "unlogall" stops the stream within two frames.
    const SimTime start = free;
    m_blocksSent.push_back(step.number);
    m_blockRates.push_back(m_receiver.Baud());
    m_receiver.SendLogToHost(kFileTransferId, step.body, start);
    m_lastBlockEnd = m_receiver.TransmitterFree();
    m_receiver.ScheduleAt(start, [this, generation](SimTime at) { SendSteps(generation, at); });
}

} // namespace qvr::sim
