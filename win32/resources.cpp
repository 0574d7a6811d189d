#include "resources.h"

#include "form/form.h"
#include "text.h"

#include <wincodec.h>

#include <cwchar>
#include <span>

namespace pelmora::win32 {

namespace {

// The family name inside assets/fonts/PelmoraSong.otf.
constexpr wchar_t kBundledFace[] = L"Pelmora Song";

// Releases a COM interface when it goes out of scope.
template <class T> class Com {
  public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (m_p)
            m_p->Release();
    }
    T** out() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }

  private:
    T* m_p = nullptr;
};

std::span<const BYTE> resourceData(const wchar_t* name) {
    HRSRC found = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    if (!loaded)
        return {};
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(nullptr, found)};
}

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

struct Song {
    std::wstring face;
    bool system;
};

const Song& song() {
    static const Song found = [] {
        LOGFONTW wanted{};
        wanted.lfCharSet = GB2312_CHARSET;
        const std::wstring family = widen(form::kFontFamily);
        std::wcsncpy(wanted.lfFaceName, family.c_str(), LF_FACESIZE - 1);
        bool exists = false;
        HDC screen = GetDC(nullptr);
        EnumFontFamiliesExW(screen, &wanted, noteFound, reinterpret_cast<LPARAM>(&exists), 0);
        ReleaseDC(nullptr, screen);
        if (exists)
            return Song{family, true};
        // Private to this process and gone with it: nothing is installed on the system.
        const std::span<const BYTE> font = resourceData(L"PelmoraSong.otf");
        DWORD installed = 0;
        if (!font.empty())
            AddFontMemResourceEx(const_cast<BYTE*>(font.data()), DWORD(font.size()), nullptr,
                                 &installed);
        return Song{installed ? kBundledFace : family, false};
    }();
    return found;
}

} // namespace

const std::wstring& songFace() {
    return song().face;
}

bool systemHasSong() {
    return song().system;
}

HBITMAP loadPicture(std::string_view asset) {
    const std::wstring name = widen(asset);
    const std::span<const BYTE> data = resourceData(name.c_str());
    if (data.empty())
        return nullptr;

    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()))) ||
        FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data.data()), DWORD(data.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.out())) ||
        FAILED(decoder->GetFrame(0, frame.out())) ||
        FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)))
        return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = LONG(width);
    info.bmiHeader.biHeight = -LONG(height); // top-down, as WIC delivers the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

void drawPicture(HDC dc, const RECT& box, HBITMAP picture, double scale) {
    if (!picture)
        return;
    BITMAP size{};
    GetObjectW(picture, sizeof size, &size);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    if (scale == 1.0) {
        BitBlt(dc, box.left, box.top, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, box.left, box.top, int(size.bmWidth * scale + 0.5),
                   int(size.bmHeight * scale + 0.5), source, 0, 0, size.bmWidth, size.bmHeight,
                   SRCCOPY);
    }
    RestoreDC(dc, saved);
    SelectObject(source, old);
    DeleteDC(source);
}

} // namespace pelmora::win32
