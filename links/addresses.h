// The maker's two web addresses, the one place to change them. The real ones are not
// known here, so both sit under the reserved .example domain.
#pragma once

namespace pelmora {

inline constexpr char16_t kSiteAddress[] = u"https://www.vastrel.example/";
inline constexpr char16_t kConsultationAddress[] = u"https://www.vastrel.example/consult/";

} // namespace pelmora
