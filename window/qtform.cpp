#include "qtform.h"

namespace pelmora::qtform {

QFont font(form::Font letter) {
    QFont font(qt(form::kFontFamily));
    font.setPointSizeF(form::pointSize(letter));
    font.setUnderline(form::isUnderlined(letter));
    return font;
}

QPixmap picture(std::string_view asset) {
    return QPixmap(QStringLiteral(":/assets/") + qt(asset));
}

QIcon programIcon() {
    QIcon icon(QStringLiteral(":/assets/") + qt(form::kIconFile));
    for (int size : form::kIconSizes)
        icon.addFile(QStringLiteral(":/assets/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace pelmora::qtform
