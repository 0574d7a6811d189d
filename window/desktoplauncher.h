#pragma once

#include "links/outbound.h"

#include <QDialog>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

namespace pelmora {

// The address named by an outbound command line, if it is one the desktop launcher opens:
// exactly "explorer " followed by an absolute http or https URL with a host, and nothing
// else (no whitespace, no quotes, no second argument). Anything else gives nothing.
std::optional<QUrl> browserAddress(const QString& commandLine);

// Opens an outbound link in the user's default browser through the desktop's own opener
// (QDesktopServices::openUrl), never through a shell. The window style cannot be passed
// on: the browser decides how it shows the page.
//
// A command that is refused or cannot be started does not end the program: a small
// modeless dialog shows the address in a read-only box for the user to copy. There is at
// most one such dialog; a later failure reuses it.
class DesktopLauncher final : public outbound::Launcher {
  public:
    using Opener = std::function<bool(const QUrl&)>;

    // The dialog is a child of messageParent (so it closes with it and does not keep the
    // program running on its own). The opener is the desktop's unless one is given.
    explicit DesktopLauncher(QWidget* messageParent = nullptr, Opener opener = {});
    ~DesktopLauncher() override;
    DesktopLauncher(const DesktopLauncher&) = delete;
    DesktopLauncher& operator=(const DesktopLauncher&) = delete;

    void launch(std::u16string_view commandLine, int windowStyle) override;

    // The failure dialog while it exists, else null.
    QDialog* failureDialog() const { return m_dialog; }

  private:
    void showFailure(const QString& address);

    QPointer<QWidget> m_messageParent;
    Opener m_opener;
    QPointer<QDialog> m_dialog;
};

} // namespace pelmora
