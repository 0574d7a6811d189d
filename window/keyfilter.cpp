#include "keyfilter.h"

#include "form/inputrules.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>

namespace pelmora {

namespace {

bool isEditingShortcut(const QKeyEvent& key) {
    for (QKeySequence::StandardKey shortcut :
         {QKeySequence::Paste, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::SelectAll,
          QKeySequence::Undo, QKeySequence::Redo}) {
        if (key.matches(shortcut))
            return true;
    }
    return false;
}

// Whether a key press types a character. Backspace counts (the filters let it through);
// other control characters (Delete, Return, Ctrl+letter) type nothing in a line edit.
bool typesCharacter(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace)
        return true;
    const QString text = key.text();
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c.category() != QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

KeyFilter::KeyFilter(Field box, QObject* parent) : QObject(parent), m_box(box) {}

bool KeyFilter::accepts(const QString& typed) const {
    for (QChar c : typed) {
        if (!acceptsTypedCharacter(m_box, c.unicode()))
            return false;
    }
    return true;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isEditingShortcut(*key) || !typesCharacter(*key))
            break;
        // Backspace may carry no text, or DEL, depending on the platform: it is code 8.
        const QString typed = key->key() == Qt::Key_Backspace ? QString(QChar(8)) : key->text();
        if (!accepts(typed))
            return true; // swallowed: the box never sees it
        break;
    }
    case QEvent::InputMethod: {
        auto* input = static_cast<QInputMethodEvent*>(event);
        // Only the commit is discarded; the rest of the event still ends any composition.
        if (!input->commitString().isEmpty() && !accepts(input->commitString()))
            input->setCommitString(QString());
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pelmora
