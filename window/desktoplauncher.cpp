#include "desktoplauncher.h"

#include "qtform.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelmora {

namespace {

bool isPrintableAsciiWithoutSpace(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}

QString qt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

const QString kCommandPrefix = qt(outbound::kCommandPrefix);

} // namespace

std::optional<QUrl> browserAddress(const QString& commandLine) {
    if (!commandLine.startsWith(kCommandPrefix))
        return std::nullopt;
    const QStringView address = QStringView(commandLine).mid(kCommandPrefix.size());
    // Only ASCII without blanks: one argument, nothing a shell or an opener could split,
    // no invisible or look-alike characters. Other addresses must come percent-encoded.
    if (address.isEmpty() || !isPrintableAsciiWithoutSpace(address))
        return std::nullopt;
    QUrl url(address.toString(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return std::nullopt;
    if (url.scheme() != u"http" && url.scheme() != u"https")
        return std::nullopt;
    return url;
}

DesktopLauncher::DesktopLauncher(QWidget* messageParent, Opener opener)
    : m_messageParent(messageParent), m_opener(std::move(opener)) {
    if (!m_opener)
        m_opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

DesktopLauncher::~DesktopLauncher() {
    // A dialog with a parent goes with it; one without would outlive us unowned.
    if (m_dialog && !m_dialog->parent())
        delete m_dialog.data();
}

void DesktopLauncher::launch(std::u16string_view commandLine, int /*windowStyle*/) {
    const std::optional<QUrl> url = browserAddress(qt(commandLine));
    if (url && m_opener(*url))
        return;
    showFailure(qt(outbound::addressOf(commandLine)));
}

void DesktopLauncher::showFailure(const QString& address) {
    if (!m_dialog) {
        auto* dialog = new QDialog(m_messageParent);
        dialog->setObjectName(QStringLiteral("launchFailure"));
        dialog->setWindowTitle(qtform::qt(form::kWindowTitle));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setModal(false);
        dialog->setFont(qtform::font(form::Font::D)); // the bundled Song face, as elsewhere
        auto* text = new QLabel(qt(outbound::kLaunchFailureText));
        text->setTextFormat(Qt::PlainText);
        auto* box = new QLineEdit;
        box->setObjectName(QStringLiteral("address"));
        box->setReadOnly(true);
        box->setMinimumWidth(320);
        text->setBuddy(box);
        auto* close = new QPushButton(qt(outbound::kLaunchFailureClose));
        QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);

        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(close);
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(text);
        layout->addWidget(box);
        layout->addLayout(buttons);
        m_dialog = dialog;
    }
    auto* box = m_dialog->findChild<QLineEdit*>(QStringLiteral("address"));
    box->setText(address);
    box->setCursorPosition(0);
    box->selectAll();
    box->setFocus();
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

} // namespace pelmora
