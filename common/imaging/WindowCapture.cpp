#include "WindowCapture.h"

#include <memory>
#include <type_traits>

namespace Imaging
{

namespace
{

// Owns a window DC (released to its window) and the objects made from it.
class CWindowDC
{
public:
    explicit CWindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetWindowDC(hWnd)) {}
    ~CWindowDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

struct MemoryDCDeleter
{
    void operator()(HDC hDC) const { ::DeleteDC(hDC); }
};
struct GdiObjectDeleter
{
    void operator()(HGDIOBJ hObject) const { ::DeleteObject(hObject); }
};
using MemoryDC = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDCDeleter>;
using GdiBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

} // namespace

bool CaptureWindow(HWND hWnd, RgbImage& image)
{
    image = RgbImage();
    RECT rc;
    if (!::GetWindowRect(hWnd, &rc) || rc.right <= rc.left || rc.bottom <= rc.top)
        return false;
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;

    CWindowDC windowDC(hWnd);
    if (!windowDC.Get())
        return false;
    MemoryDC memoryDC(::CreateCompatibleDC(windowDC.Get()));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    GdiBitmap bitmap(::CreateDIBSection(windowDC.Get(), &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!memoryDC || !bitmap || !pBits)
        return false;

    const HGDIOBJ hOld = ::SelectObject(memoryDC.get(), bitmap.get());
    const BOOL bCopied = ::BitBlt(memoryDC.get(), 0, 0, nWidth, nHeight, windowDC.Get(), 0, 0, SRCCOPY);
    ::SelectObject(memoryDC.get(), hOld);
    if (!bCopied)
        return false;

    // The DIB holds blue, green, red, unused per pixel.
    const auto* pPixels = static_cast<const std::uint8_t*>(pBits);
    const std::size_t nPixels = static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nHeight);
    image.rgb.resize(nPixels * 3);
    for (std::size_t i = 0; i < nPixels; ++i)
    {
        image.rgb[i * 3 + 0] = pPixels[i * 4 + 2];
        image.rgb[i * 3 + 1] = pPixels[i * 4 + 1];
        image.rgb[i * 3 + 2] = pPixels[i * 4 + 0];
    }
    image.nWidth = nWidth;
    image.nHeight = nHeight;
    return true;
}

} // namespace Imaging
