#include "fonts.h"

#include "qtform.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace pelmora {

void installFonts() {
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/PelmoraSong.otf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        // Without the font the window still works, in whatever face the system offers.
        qWarning("pelmora: the bundled font could not be registered");
        return;
    }
    QFont::insertSubstitution(qtform::qt(form::kFontFamily), families.first());
    // The form's default face is the program's too: Qt's own menus and dialogs then match
    // the form, and Qt lays out no text in a second face it would load for that alone
    // (each text box does, before it takes its font), a tenth of the work before the
    // window is first shown.
    QApplication::setFont(qtform::font(form::Font::D));
}

} // namespace pelmora
