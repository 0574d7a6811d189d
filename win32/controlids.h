// The control identifiers of the main window, for GetDlgItem: a test, or an assistive tool,
// finds 年龄 or 合计得分 in the window titled "Pelmora" by these numbers. Each control's
// identifier is kFirstControlId plus its place in the tab order (the form's tab column),
// which is unique and fixed: 选择学历 1001, 年龄 1035, 合计得分 1048, 评分结果 1068 …
#pragma once

#include "form/form.h"

#include <string_view>

namespace pelmora::win32 {

inline constexpr int kFirstControlId = 1000;

inline constexpr int controlId(const form::Control& control) {
    return kFirstControlId + control.tab;
}

// The identifier of the named control, 0 for a name the form does not have.
int controlId(std::string_view name);

// The live region, the one control of the main window beyond the form's, after every tab
// place.
inline constexpr int kLiveRegionId = 1200;

// Image1, the one control of the QR-code window.
inline constexpr int kImage1Id = 1100;

// The window classes, for FindWindow.
inline constexpr wchar_t kMainWindowClass[] = L"Pelmora";
inline constexpr wchar_t kQrCodeWindowClass[] = L"PelmoraQrCode";

} // namespace pelmora::win32
