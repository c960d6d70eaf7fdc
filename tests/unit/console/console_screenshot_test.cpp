// The console on screen, one line of each colour class, captured from the window
// into a PNG (CONSOLE_SCREENSHOT_PATH, under the build folder) for people to look
// at; the test checks that each class's colour really reached the screen.
#include "ConsoleTestSupport.h"
#include "PngWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef CONSOLE_SCREENSHOT_PATH
#error "CONSOLE_SCREENSHOT_PATH must name the picture file"
#endif

namespace
{

struct Capture
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<std::uint8_t> rgb; // top row first
};

// The window as it is on screen, frame and children included.
Capture CaptureWindow(HWND hWnd)
{
    Capture capture;
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    capture.nWidth = rc.right - rc.left;
    capture.nHeight = rc.bottom - rc.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.nWidth;
    info.bmiHeader.biHeight = -capture.nHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HDC hWindowDC = ::GetWindowDC(hWnd);
    HDC hMemDC = ::CreateCompatibleDC(hWindowDC);
    HBITMAP hBitmap = ::CreateDIBSection(hWindowDC, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (hBitmap && pBits)
    {
        HGDIOBJ hOld = ::SelectObject(hMemDC, hBitmap);
        ::BitBlt(hMemDC, 0, 0, capture.nWidth, capture.nHeight, hWindowDC, 0, 0, SRCCOPY);
        ::SelectObject(hMemDC, hOld);
        const auto* pPixels = static_cast<const std::uint8_t*>(pBits);
        capture.rgb.reserve(static_cast<std::size_t>(capture.nWidth) * capture.nHeight * 3);
        for (int i = 0; i < capture.nWidth * capture.nHeight; ++i)
        {
            capture.rgb.push_back(pPixels[i * 4 + 2]);
            capture.rgb.push_back(pPixels[i * 4 + 1]);
            capture.rgb.push_back(pPixels[i * 4 + 0]);
        }
    }
    if (hBitmap)
        ::DeleteObject(hBitmap);
    ::DeleteDC(hMemDC);
    ::ReleaseDC(hWnd, hWindowDC);
    return capture;
}

int CountPixelsNear(const Capture& capture, COLORREF crColour)
{
    const int r = GetRValue(crColour);
    const int g = GetGValue(crColour);
    const int b = GetBValue(crColour);
    int nCount = 0;
    for (std::size_t i = 0; i + 2 < capture.rgb.size(); i += 3)
    {
        if (std::abs(capture.rgb[i] - r) <= 24 && std::abs(capture.rgb[i + 1] - g) <= 24 &&
            std::abs(capture.rgb[i + 2] - b) <= 24)
            ++nCount;
    }
    return nCount;
}

} // namespace

TEST(ConsoleScreenshot, EachClassShowsInItsColourOnScreen)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    // Counted before the lines: other colours of the window (frame, bars) stay out.
    window.Show();
    ::SetWindowPos(window.Hwnd(), nullptr, 0, 0, 720, 420, SWP_NOZORDER);
    window.View().FlushRepaint();
    PumpFor(300);
    const Capture empty = CaptureWindow(window.Hwnd());

    window.Send(0, "INFO   class 0  black       client INFO, the monitor's own log lines");
    window.Send(1, "NOTE   class 1  dark red    the monitor's notes on clients");
    window.Send(2, "ERROR  class 2  red         client ERROR lines");
    window.Send(3, "SINFO  class 3  teal        client SINFO lines");
    window.Send(4, "SERROR class 4  orange-red  client SERROR lines");
    // Painted by the console's own timer.
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window.ViewHwnd()) != FALSE; }, 1000));
    PumpFor(200);
    const Capture shot = CaptureWindow(window.Hwnd());
    ASSERT_FALSE(shot.rgb.empty());

    const std::string path = CONSOLE_SCREENSHOT_PATH;
    ::CreateDirectoryA(path.substr(0, path.find_last_of("\\/")).c_str(), nullptr);
    EXPECT_TRUE(WritePng(path, shot.nWidth, shot.nHeight, shot.rgb)) << path;
    std::printf("console screenshot: %s\n", path.c_str());

    const COLORREF colours[] = {RGB(136, 0, 0), RGB(255, 0, 0), RGB(0, 128, 128), RGB(255, 64, 0)};
    for (COLORREF crColour : colours)
    {
        EXPECT_GT(CountPixelsNear(shot, crColour), CountPixelsNear(empty, crColour) + 40)
            << "colour " << std::hex << crColour;
    }
    EXPECT_GT(CountPixelsNear(shot, RGB(0, 0, 0)), CountPixelsNear(empty, RGB(0, 0, 0)) + 40);
}
