// What the window adds to Qt's accessibility for a screen reader (AT-SPI on Linux).
//
// Qt 6.4 has no announcement event, so a result is spoken through an object of role
// notification that "becomes showing": Qt's AT-SPI bridge sends an ObjectShow as
// state-changed:showing, and Orca speaks a notification that becomes showing whatever
// has the focus. The object is not a widget: nothing on the form changes.
#pragma once

#include <QObject>
#include <QString>

namespace pelmora {

class Announcer final : public QObject {
    Q_OBJECT
  public:
    explicit Announcer(QWidget* window);

    // Says the message once; an empty message says nothing.
    void say(const QString& message);
    QString message() const { return m_message; }

  signals:
    void said(const QString& message); // each message, as it goes out

  private:
    QString m_message;
};

// Teaches Qt the accessible interfaces of Frame and Announcer. Safe to call more than once.
void installAccessibleFactory();

} // namespace pelmora
