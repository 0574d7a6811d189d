// Outbound links and the QR-code window: the subsystem that leads the user to the
// maker's pages. The main window knows nothing of it; it is attached to the window's
// controls by their object names.
//
//   addresses.h        the two web addresses
//   launcher.h         the Launcher interface, the outbound link and the verdict test
//   desktoplauncher.h  the real launcher: the desktop's browser, or a message to copy from
//   qrcodewindow.h     the second window with the large QR code
//   links.h            attaches the four links and the QR-code window to a main window
#pragma once

#include <QString>
#include <QStringView>

namespace pelmora {

// Window styles handed to a launcher with the command line.
inline constexpr int kWindowHidden = 0;
inline constexpr int kWindowNormal = 1; // shown and given the focus

// Starts a program from a command line. The caller relies only on the launch being
// started: nothing comes back, and a launcher deals with its own failures.
class Launcher {
  public:
    virtual ~Launcher() = default;
    virtual void launch(const QString& commandLine, int windowStyle) = 0;
};

inline constexpr QStringView kLinkCommandPrefix = u"explorer ";

// "explorer " followed directly by the address: no quotes, nothing after it.
QString linkCommandLine(QStringView address);

// An outbound link: hands the command line and the style to the launcher and forgets it.
void openLink(Launcher& launcher, QStringView address, int windowStyle);

// Whether a click on the verdict button opens the consultation page: only while its
// caption is one of the two result verdicts, compared character for character.
bool verdictOpensConsultation(QStringView caption);

} // namespace pelmora
