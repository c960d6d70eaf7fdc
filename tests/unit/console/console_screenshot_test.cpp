// The console on screen, one line of each colour class, captured from the window
// into a PNG (CONSOLE_SCREENSHOT_PATH, under the build folder) for people to look
// at; the test checks that each class's colour really reached the screen.
#include "ConsoleTestSupport.h"
#include "PngFile.h"
#include "WindowCapture.h"

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

// Pixels of the screenshot in (or very near) a colour.
std::size_t CountPixelsNear(const Imaging::RgbImage& capture, COLORREF crColour)
{
    return Imaging::CountPixelsNear(capture, GetRValue(crColour), GetGValue(crColour), GetBValue(crColour),
                                    24);
}

} // namespace

TEST(ConsoleScreenshot, EachClassShowsInItsColourOnScreen)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    // Counted before the lines: other colours of the window (frame, bars) stay out.
    window.Show();
    ::SetWindowPos(window.Hwnd(), nullptr, 0, 0, 720, 420, SWP_NOZORDER);
    // A repaint the banner left waiting comes with the console's own timer.
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window.ViewHwnd()) != FALSE; }, 1000));
    PumpFor(300);
    Imaging::RgbImage empty;
    ASSERT_TRUE(Imaging::CaptureWindow(window.Hwnd(), empty));

    window.Send(0, "INFO   class 0  black       client INFO, the monitor's own log lines");
    window.Send(1, "NOTE   class 1  dark red    the monitor's notes on clients");
    window.Send(2, "ERROR  class 2  red         client ERROR lines");
    window.Send(3, "SINFO  class 3  teal        client SINFO lines");
    window.Send(4, "SERROR class 4  orange-red  client SERROR lines");
    // Painted by the console's own timer.
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window.ViewHwnd()) != FALSE; }, 1000));
    PumpFor(200);
    Imaging::RgbImage shot;
    ASSERT_TRUE(Imaging::CaptureWindow(window.Hwnd(), shot));

    const std::string path = CONSOLE_SCREENSHOT_PATH;
    ::CreateDirectoryA(path.substr(0, path.find_last_of("\\/")).c_str(), nullptr);
    EXPECT_TRUE(Imaging::WritePng(path, shot)) << path;
    std::printf("console screenshot: %s\n", path.c_str());

    const COLORREF colours[] = {RGB(136, 0, 0), RGB(255, 0, 0), RGB(0, 128, 128), RGB(255, 64, 0)};
    for (COLORREF crColour : colours)
    {
        EXPECT_GT(CountPixelsNear(shot, crColour), CountPixelsNear(empty, crColour) + 40)
            << "colour " << std::hex << crColour;
    }
    EXPECT_GT(CountPixelsNear(shot, RGB(0, 0, 0)), CountPixelsNear(empty, RGB(0, 0, 0)) + 40);
}
