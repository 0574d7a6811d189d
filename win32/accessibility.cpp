#include "accessibility.h"

#include "scoring/fields.h"
#include "text.h"

#include <objbase.h>
#include <oleacc.h>

namespace pelmora::win32 {

namespace {

// UI Automation's LiveSetting property, which MinGW's headers lack.
constexpr GUID kLiveSettingProperty{
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;

} // namespace

Annotations::Annotations() {
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &services)))
        m_services = static_cast<IAccPropServices*>(services);
}

Annotations::~Annotations() {
    if (m_services)
        m_services->Release();
}

void Annotations::annotate(const form::Control& row, HWND control) {
    auto set = [&](const MSAAPROPID& property, std::string_view text) {
        if (!m_services || text.empty())
            return;
        if (m_services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, property,
                                       widen(text).c_str()) == E_NOTIMPL) {
            m_services->Release(); // none of the rest would be taken either
            m_services = nullptr;
        }
    };
    using form::Kind;
    switch (row.kind) {
    case Kind::TextBox:
    case Kind::List:
        set(PROPID_ACC_NAME, row.name);
        break;
    case Kind::Picture: // no words of its own to be named by
        set(PROPID_ACC_NAME, row.says);
        break;
    default:
        set(PROPID_ACC_DESCRIPTION, row.says);
        break;
    }
    // A shown value (a score, the verdict) is described by what it is.
    if (fieldByName(row.name) && (row.kind == Kind::Label || row.kind == Kind::Button))
        set(PROPID_ACC_DESCRIPTION, row.name);
    for (const form::Control& label : form::controls()) {
        if (label.describes == row.name)
            set(PROPID_ACC_DESCRIPTION, label.text);
    }
}

void Annotations::markPolite(HWND window) {
    if (!m_services)
        return;
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    m_services->SetHwndProp(window, DWORD(OBJID_CLIENT), CHILDID_SELF, kLiveSettingProperty,
                            polite);
}

void Annotations::clear(HWND window) {
    if (!m_services)
        return;
    const MSAAPROPID set[]{PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION, kLiveSettingProperty};
    m_services->ClearHwndProps(window, DWORD(OBJID_CLIENT), CHILDID_SELF, set, int(std::size(set)));
}

LiveRegion::LiveRegion(HWND parent, int id, Annotations& annotations) {
    // Visible (an invisible window is exposed as such and may be skipped), one pixel in the
    // client area's empty corner, owner-drawn and drawing nothing; without SS_NOTIFY it lets
    // the mouse through.
    m_window =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 1, 1, parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    annotations.markPolite(m_window);
}

void LiveRegion::say(std::string_view message) {
    if (message.empty())
        return;
    SetWindowTextW(m_window, widen(message).c_str());
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, m_window, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace pelmora::win32
