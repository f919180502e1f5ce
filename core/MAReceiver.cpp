#include "MAReceiver.h"

namespace qvr {

MAReceiver::MAReceiver(Variant variant, const PlatformServices& services)
    : m_variant(variant),
      m_profile(Profile(variant)),
      m_ui(services.ui ? services.ui : &SilentOperator()),
      m_status(services.status ? services.status : &NullStatus()),
      m_rates(services.rates),
      m_port(services, variant) {}

MAReceiver::~MAReceiver() { m_port.Close(); }

MessageAnswer MAReceiver::Tell(const char* text, MessageIcon icon, MessageButtons buttons) {
    return m_ui->ShowMessage(text, Caption(), icon, buttons);
}

} // namespace qvr
