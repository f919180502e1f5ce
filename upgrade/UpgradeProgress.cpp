#include "UpgradeProgress.h"

#include "Text.h"

namespace qvr {

void UpgradeProgress::Clear() {
    SetProgramming(false);
    std::lock_guard<std::mutex> hold(m_lock);
    m_record = UpgradeProgressRecord{};
}

UpgradeProgressRecord UpgradeProgress::Snapshot() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_record;
}

void UpgradeProgress::SetState(int32_t state) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_record.state = state;
}

void UpgradeProgress::SetPercent(int32_t percent) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_record.percent = percent;
}

void UpgradeProgress::SetDone(bool failed) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_record.state = kUpgradeDone;
    m_record.failed = failed ? 1 : 0;
}

void UpgradeProgress::SetStatusText(const char* text) {
    std::lock_guard<std::mutex> hold(m_lock);
    CopyCut(m_record.statusText, text);
}

void UpgradeProgress::SetEnded(bool result) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_record.engineEnded = 1;
        m_record.engineResult = result ? 1 : 0;
    }
    SetProgramming(false);
}

void UpgradeProgress::SetProgramming(bool programming) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if ((m_record.programming != 0) == programming) return;
        m_record.programming = programming ? 1 : 0;
    }
    // Outside the lock: the observer may take its time.
    if (m_observer) m_observer(programming);
}

} // namespace qvr
