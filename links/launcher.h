// Outbound links and the QR-code window: the subsystem that leads the user to the
// maker's pages. The main window knows nothing of it; it is attached to the window's
// controls by their object names.
//
//   addresses.h        the two web addresses
//   outbound.h         the rules of the links, shared with every view: which control
//                      opens what, the command line, the verdict test
//   launcher.h         the Launcher interface of this view, over those rules
//   desktoplauncher.h  the real launcher: the desktop's browser, or a message to copy from
//   qrcodewindow.h     the second window with the large QR code
//   links.h            attaches the four links and the QR-code window to a main window
#pragma once

#include "outbound.h"

#include <QString>
#include <QStringView>

namespace pelmora {

using outbound::kWindowHidden;
using outbound::kWindowNormal;

// Starts a program from a command line. The caller relies only on the launch being
// started: nothing comes back, and a launcher deals with its own failures.
class Launcher {
  public:
    virtual ~Launcher() = default;
    virtual void launch(const QString& commandLine, int windowStyle) = 0;
};

inline constexpr QStringView kLinkCommandPrefix(outbound::kCommandPrefix.data(),
                                                qsizetype(outbound::kCommandPrefix.size()));

// outbound::commandLine() as a QString.
QString linkCommandLine(QStringView address);

// An outbound link: hands the command line and the style to the launcher and forgets it.
void openLink(Launcher& launcher, QStringView address, int windowStyle);

// outbound::verdictOpensConsultation() of a caption as the button shows it.
bool verdictOpensConsultation(QStringView caption);

} // namespace pelmora
