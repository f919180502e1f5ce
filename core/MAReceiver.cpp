#include "MAReceiver.h"

namespace qvr {

MAReceiver::MAReceiver(Variant variant, const PlatformServices& services)
    : m_variant(variant), m_port(services, variant) {}

MAReceiver::~MAReceiver() { m_port.Close(); }

} // namespace qvr
