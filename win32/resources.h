// What the program carries in its own resources: the pictures and the Song-style font.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pelmora::win32 {

// The face behind the form's "宋体": the system's own where it has one, else the bundled
// subset, registered for this process from the resources. Call once, before any window.
const std::wstring& songFace();
// Whether songFace() is the system's "宋体" (then with its GB2312 character set).
bool systemHasSong();

// A picture of the form by its asset name ("banner.jpg"), decoded with WIC from the
// resource of that name; null when it is missing or cannot be decoded. COM must be initialised.
HBITMAP loadPicture(std::string_view asset);

// Draws a picture at its natural size (times scale) from the rectangle's top-left
// corner, clipped to the rectangle.
void drawPicture(HDC dc, const RECT& box, HBITMAP picture, double scale);

} // namespace pelmora::win32
