// The Qt view's outbound links and its QR-code window, which lead the user to the maker's
// pages. The main window knows nothing of them: they are attached to its controls by object
// name, as the form's actions say, and follow the rules every view shares
// (links/outbound.h: which control opens what, the command line, the verdict test, the
// Launcher); the launcher is desktoplauncher.h's, the second window qrcodewindow.h's.
#pragma once

#ifndef Q_MOC_RUN // moc cannot parse the Chinese enumerators of the score sheet's fields
#include "form/actions.h"
#endif
#include "links/outbound.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAbstractButton;
class QWidget;

namespace pelmora {

class QrCodeWindow;

// The window's controls that lead somewhere (form::actionOf: 在线咨询 and 评分结果, logo
// and Vastrel, Picture1), found by object name: the links open the maker's pages through
// the launcher; Picture1 opens the one QR-code window of the run.
//
// It is a child of the main window and owns the QR-code window, which has no parent of
// its own: the QR-code window is deleted when the main window object is, once, and never
// with the main window merely closed.
class Links final : public QObject {
    Q_OBJECT
  public:
    Links(QWidget& window, std::unique_ptr<outbound::Launcher> launcher);
    ~Links() override;

    // Null until the first click on Picture1.
    QrCodeWindow* qrCodeWindow() const { return m_qrCodeWindow.get(); }

  private:
    void follow(form::Action action);

    std::unique_ptr<outbound::Launcher> m_launcher;
    QPointer<QAbstractButton> m_verdict;
    std::unique_ptr<QrCodeWindow> m_qrCodeWindow;
};

// Attaches the links to a window with the given launcher; the window owns the result.
Links* attachLinks(QWidget& window, std::unique_ptr<outbound::Launcher> launcher);
// The same with the desktop launcher, its failure message shown over the window.
Links* attachLinks(QWidget& window);

} // namespace pelmora
