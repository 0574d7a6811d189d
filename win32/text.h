// UTF-8 (the score sheet's texts) to and from UTF-16 (Windows' wide strings).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pelmora::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
std::wstring windowText(HWND window);

} // namespace pelmora::win32
