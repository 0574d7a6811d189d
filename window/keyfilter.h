#pragma once

#include <QObject>

#include <cstdint>

namespace pelmora {

enum class Field : std::uint8_t; // moc cannot read the Chinese names in scoring/fields.h

// Keeps what is typed into a filtered box to the characters acceptsTypedCharacter() lets
// through. Only key presses that type a character are judged: keys that type nothing
// (arrows, Delete, Home, End) and the standard editing shortcuts keep their effect, and
// pasted text is not typed. An input method's commit holding a refused character is
// dropped whole, as its characters would have been one by one.
class KeyFilter final : public QObject {
    Q_OBJECT
  public:
    KeyFilter(Field box, QObject* parent);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool accepts(const QString& typed) const;

    Field m_box;
};

} // namespace pelmora
