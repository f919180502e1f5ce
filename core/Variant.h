#pragma once

namespace qvr {

// The two programs share one core; where the handheld program's behaviour
// differs, the receiver object and the serial port take this at run time.
enum class Variant { Desktop, Handheld };

} // namespace qvr
