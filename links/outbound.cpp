#include "outbound.h"

#include "addresses.h"

#include "scoring/scheme.h"

namespace pelmora::outbound {

std::u16string commandLine(std::u16string_view address) {
    std::u16string line;
    line.reserve(kCommandPrefix.size() + address.size());
    return line.append(kCommandPrefix).append(address);
}

std::u16string_view addressOf(std::u16string_view commandLine) {
    return commandLine.starts_with(kCommandPrefix) ? commandLine.substr(kCommandPrefix.size())
                                                   : commandLine;
}

bool verdictOpensConsultation(std::string_view caption) {
    // A whitelist rather than "anything but the two waiting captions": a caption the sheet
    // never writes (empty, or changed by hand) opens nothing.
    return caption == scheme::kVerdictPass || caption == scheme::kVerdictShort;
}

std::optional<Link> linkOf(std::string_view control, std::string_view verdictCaption) {
    if (control == "在线咨询")
        return Link{kConsultationAddress, kWindowNormal};
    if (control == "评分结果" && verdictOpensConsultation(verdictCaption))
        return Link{kConsultationAddress, kWindowNormal};
    if (control == "logo" || control == "Vastrel")
        return Link{kSiteAddress, kWindowHidden};
    return std::nullopt;
}

void launch(Launcher& launcher, const Link& link) {
    launcher.launch(commandLine(link.address), link.windowStyle);
}

} // namespace pelmora::outbound
