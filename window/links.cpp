#include "links.h"

#include "clickablelabel.h"
#include "desktoplauncher.h"
#include "qrcodewindow.h"

#include <QAbstractButton>
#include <QWidget>

namespace pelmora {

Links::Links(QWidget& window, std::unique_ptr<outbound::Launcher> launcher)
    : QObject(&window), m_launcher(std::move(launcher)) {
    for (const form::Control& c : form::controls()) {
        const form::Action action = form::actionOf(c.name);
        if (action == form::Action::None || form::changesSheet(action))
            continue;
        QWidget* control =
            window.findChild<QWidget*>(QString::fromUtf8(c.name.data(), qsizetype(c.name.size())));
        auto follows = [this, action] { follow(action); };
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::clicked, this, follows);
            if (action == form::Action::Verdict)
                m_verdict = button;
        } else if (auto* label = qobject_cast<ClickableLabel*>(control)) {
            connect(label, &ClickableLabel::clicked, this, follows);
        } else {
            qWarning("links: no clickable control %.*s", int(c.name.size()), c.name.data());
        }
    }
}

Links::~Links() = default;

void Links::follow(form::Action action) {
    // The caption is read at the click: the sheet keeps it in step with the verdict.
    const QByteArray verdict = m_verdict ? m_verdict->text().toUtf8() : QByteArray();
    const form::Effect effect =
        form::effectOf(action, std::string_view(verdict.constData(), verdict.size()));
    if (effect.link)
        outbound::launch(*m_launcher, *effect.link);
    if (effect.openQrCode) {
        if (!m_qrCodeWindow)
            m_qrCodeWindow = std::make_unique<QrCodeWindow>();
        m_qrCodeWindow->open();
    }
}

Links* attachLinks(QWidget& window, std::unique_ptr<outbound::Launcher> launcher) {
    return new Links(window, std::move(launcher));
}

Links* attachLinks(QWidget& window) {
    return attachLinks(window, std::make_unique<DesktopLauncher>(&window));
}

} // namespace pelmora
