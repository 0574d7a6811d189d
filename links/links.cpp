#include "links.h"

#include "desktoplauncher.h"
#include "qrcodewindow.h"

#include <QAbstractButton>
#include <QMetaMethod>
#include <QWidget>

namespace pelmora {

namespace {

// Connects the clicked() signal of a control, whatever its class, to a slot of ours.
// By meta-object rather than by type, so that any widget with a clicked() signal will do
// and this library need not know the window's label class.
void connectClicked(QWidget& window, const char* name, Links* receiver, const char* slot) {
    QWidget* control = window.findChild<QWidget*>(QString::fromUtf8(name));
    const int signal = control ? control->metaObject()->indexOfSignal("clicked()") : -1;
    if (signal < 0) {
        qWarning("links: no clickable control %s", name);
        return;
    }
    const QMetaObject* ours = receiver->metaObject();
    QObject::connect(control, control->metaObject()->method(signal), receiver,
                     ours->method(ours->indexOfSlot(slot)));
}

} // namespace

Links::Links(QWidget& window, std::unique_ptr<Launcher> launcher)
    : QObject(&window), m_launcher(std::move(launcher)) {
    if (auto* consult = window.findChild<QAbstractButton*>(QStringLiteral("在线咨询")))
        connect(consult, &QAbstractButton::clicked, this, &Links::openConsultation);
    else
        qWarning("links: no button 在线咨询");

    m_verdict = window.findChild<QAbstractButton*>(QStringLiteral("评分结果"));
    if (m_verdict)
        connect(m_verdict, &QAbstractButton::clicked, this, &Links::verdictClicked);
    else
        qWarning("links: no button 评分结果");

    connectClicked(window, "logo", this, "openSite()");
    connectClicked(window, "Vastrel", this, "openSite()");
    connectClicked(window, "Picture1", this, "openQrCodeWindow()");
}

Links::~Links() = default;

void Links::openConsultation() {
    follow("在线咨询");
}

void Links::openSite() {
    follow("Vastrel"); // the banner leads where the site label does
}

void Links::verdictClicked() {
    follow("评分结果");
}

void Links::follow(std::string_view control) {
    // The caption is read at the click: the sheet keeps it in step with the verdict.
    const QByteArray verdict = m_verdict ? m_verdict->text().toUtf8() : QByteArray();
    const std::optional<outbound::Link> link =
        outbound::linkOf(control, std::string_view(verdict.constData(), verdict.size()));
    if (link)
        openLink(*m_launcher, QStringView(link->address.data(), qsizetype(link->address.size())),
                 link->windowStyle);
}

void Links::openQrCodeWindow() {
    if (!m_qrCodeWindow)
        m_qrCodeWindow = std::make_unique<QrCodeWindow>();
    m_qrCodeWindow->open();
}

Links* attachLinks(QWidget& window, std::unique_ptr<Launcher> launcher) {
    return new Links(window, std::move(launcher));
}

Links* attachLinks(QWidget& window) {
    return attachLinks(window, std::make_unique<DesktopLauncher>(&window));
}

} // namespace pelmora
