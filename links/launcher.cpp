#include "launcher.h"

namespace pelmora {

QString linkCommandLine(QStringView address) {
    QString commandLine;
    commandLine.reserve(kLinkCommandPrefix.size() + address.size());
    return commandLine.append(kLinkCommandPrefix).append(address);
}

void openLink(Launcher& launcher, QStringView address, int windowStyle) {
    launcher.launch(linkCommandLine(address), windowStyle);
}

bool verdictOpensConsultation(QStringView caption) {
    // A whitelist rather than "anything but the two waiting captions": a caption the sheet
    // never writes (empty, or changed by hand) opens nothing.
    return caption == u"积分通过，马上入户" || caption == u"差一点，考证入户";
}

} // namespace pelmora
