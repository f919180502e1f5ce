#pragma once
#include <atomic>
#include <cstddef>

namespace qvr {

// Where the connect keeps, per port name, the rate at which it last found a
// receiver, so that the next connect on that port tries that rate first.
class IRateMemory {
public:
    virtual ~IRateMemory() = default;
    // The rate remembered for the port; 0 when there is none.
    virtual int Recall(const char* portName) = 0;
    virtual void Remember(const char* portName, int rate) = 0;
};

// The rates kept in a small text file, one "RATE NAME" line per port, the
// port used last first. A damaged or unreadable file counts as empty; the
// file is replaced whole (written beside it, then renamed over it), so a
// reader never sees half of it. Switched off, it recalls nothing and writes
// nothing. Fixed storage: it allocates nothing.
class RateFile final : public IRateMemory {
public:
    static constexpr size_t kMaxPorts = 32;
    static constexpr size_t kNameSize = 128;
    static constexpr size_t kPathSize = 1024;

    // An empty or too long path keeps nothing.
    explicit RateFile(const char* path);
    // The user's file: <configuration folder>/qvr-config-tool/rates.
    static RateFile ForUser();

    // Safe to call while another thread connects.
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool Enabled() const { return m_enabled; }
    const char* Path() const { return m_path; }

    int Recall(const char* portName) override;
    void Remember(const char* portName, int rate) override;

private:
    struct Entry {
        int rate;
        char name[kNameSize];
    };
    size_t Load(Entry (&entries)[kMaxPorts]) const;

    char m_path[kPathSize] = {};
    std::atomic<bool> m_enabled{true};  // switched from the window while a connect runs
    Entry m_entries[kMaxPorts] = {};
};

} // namespace qvr
