// The form layer's facts in Qt's types: texts, rectangles, fonts, pictures and the icon.
// Every Qt window of the program (the main window, the QR-code window, the launcher's
// message) takes them from here.
#pragma once

#include "form/form.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <string_view>

namespace pelmora::qtform {

inline QString qt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline QRect qrect(const form::Rect& r) {
    return {r.left, r.top, r.width, r.height};
}
inline form::Rect formRect(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

// A rectangle of the form in twips as pixels at 96 dpi (Qt scales for the screen itself).
inline QRect pixels(int left, int top, int width, int height) {
    return {form::pixels(left), form::pixels(top), form::pixels(width), form::pixels(height)};
}

// The form's face, "宋体", at the size of one of its font letters.
QFont font(form::Font letter);

// A picture of the form from the program's resources; null when it is missing.
QPixmap picture(std::string_view asset);

// The program's icon, every size of it.
QIcon programIcon();

} // namespace pelmora::qtform
