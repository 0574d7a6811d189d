#pragma once

#include "launcher.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <string_view>

class QAbstractButton;
class QWidget;

namespace pelmora {

class QrCodeWindow;

// The window's link controls, found by object name: 在线咨询 and 评分结果 (buttons),
// logo and Vastrel (anything with a clicked() signal) open the maker's pages through
// the launcher; Picture1 opens the one QR-code window of the run.
//
// It is a child of the main window and owns the QR-code window, which has no parent of
// its own: the QR-code window is deleted when the main window object is, once, and never
// with the main window merely closed.
class Links final : public QObject {
    Q_OBJECT
  public:
    Links(QWidget& window, std::unique_ptr<Launcher> launcher);
    ~Links() override;

    // Null until the first click on Picture1.
    QrCodeWindow* qrCodeWindow() const { return m_qrCodeWindow.get(); }

  private slots:
    void openConsultation();
    void openSite();
    void verdictClicked();
    void openQrCodeWindow();

  private:
    void follow(std::string_view control);

    std::unique_ptr<Launcher> m_launcher;
    QPointer<QAbstractButton> m_verdict;
    std::unique_ptr<QrCodeWindow> m_qrCodeWindow;
};

// Attaches the links to a window with the given launcher; the window owns the result.
Links* attachLinks(QWidget& window, std::unique_ptr<Launcher> launcher);
// The same with the desktop launcher, its failure message shown over the window.
Links* attachLinks(QWidget& window);

} // namespace pelmora
