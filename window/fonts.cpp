#include "fonts.h"

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
    QFont::insertSubstitution(QStringLiteral("宋体"), families.first());
}

} // namespace pelmora
