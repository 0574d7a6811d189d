#include "accessible.h"

#include "frame.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QWidget>

namespace pelmora {

namespace {

// A frame is a grouping named by its own title: empty for a frame without one.
class FrameAccessible final : public QAccessibleWidget {
  public:
    explicit FrameAccessible(Frame* frame) : QAccessibleWidget(frame, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<const Frame*>(object())->title();
        return QAccessibleWidget::text(t);
    }
};

// The announcer's message as the name of a notification, with the window as its parent.
// It has no place among the window's children: a screen reader meets it only through its
// events.
class AnnouncerAccessible final : public QAccessibleObject {
  public:
    explicit AnnouncerAccessible(Announcer* announcer) : QAccessibleObject(announcer) {}

    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? static_cast<const Announcer*>(object())->message()
                                      : QString();
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(object()->parent());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String(Frame::staticMetaObject.className()))
        return new FrameAccessible(static_cast<Frame*>(object));
    if (className == QLatin1String(Announcer::staticMetaObject.className()))
        return new AnnouncerAccessible(static_cast<Announcer*>(object));
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget* window) : QObject(window) {
    setObjectName(QStringLiteral("announcer"));
}

void Announcer::say(const QString& message) {
    if (message.isEmpty())
        return;
    m_message = message;
    emit said(message);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void installAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace pelmora
