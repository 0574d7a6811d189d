#include "launcher.h"

namespace pelmora {

QString linkCommandLine(QStringView address) {
    const std::u16string line =
        outbound::commandLine(std::u16string_view(address.utf16(), std::size_t(address.size())));
    return QString::fromStdU16String(line);
}

void openLink(Launcher& launcher, QStringView address, int windowStyle) {
    launcher.launch(linkCommandLine(address), windowStyle);
}

bool verdictOpensConsultation(QStringView caption) {
    const QByteArray utf8 = caption.toUtf8();
    return outbound::verdictOpensConsultation(std::string_view(utf8.constData(), utf8.size()));
}

} // namespace pelmora
