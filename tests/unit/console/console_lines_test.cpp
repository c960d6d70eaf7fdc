// Lines in the console: each colour class on exactly its own characters (also far
// down the text), line ends inside a text, empty lines, the banner with and
// without a catalogue, the size cap on both sides of 800,000 characters, and the
// console's own count of its length against the control's; the same for lines
// that go in together as one group, and lines whose messages arrive while an
// insertion lets sent messages in.
#include "ConsoleColours.h"
#include "ConsoleTestSupport.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "TestCatalogue.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDarkRed = RGB(136, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kOrangeRed = RGB(255, 64, 0);

// Every position in [nStart, nEnd) has the colour, plain (not bold, not underlined).
::testing::AssertionResult RangeHasColour(HWND hView, long nStart, long nEnd, COLORREF crColour)
{
    for (long nPos = nStart; nPos < nEnd; ++nPos)
    {
        const CHARFORMATA cf = FormatAt(hView, nPos);
        if ((cf.dwEffects & CFE_AUTOCOLOR) || cf.crTextColor != crColour)
            return ::testing::AssertionFailure()
                   << "position " << nPos << " has colour " << std::hex << cf.crTextColor << " (effects "
                   << cf.dwEffects << "), not " << crColour;
        if (cf.dwEffects & (CFE_BOLD | CFE_UNDERLINE))
            return ::testing::AssertionFailure() << "position " << nPos << " is bold or underlined";
    }
    return ::testing::AssertionSuccess();
}

// The length the console keeps for itself agrees with the control and the file.
::testing::AssertionResult CountAgrees(const CConsoleWindow& window)
{
    const long nKept = window.View().GetSavedLength();
    const long nControl = static_cast<long>(::SendMessageA(window.ViewHwnd(), WM_GETTEXTLENGTH, 0, 0));
    const long nSaved = static_cast<long>(ConsoleText(window.ViewHwnd()).size());
    if (nKept == nControl && nKept == nSaved)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "kept " << nKept << ", control " << nControl << ", saved " << nSaved;
}

struct Placed
{
    long nStart;
    long nEnd;
};

// Sends a line and returns where it went.
Placed SendLine(const CConsoleWindow& window, WPARAM nClass, const char* pszText)
{
    const long nStart = PositionCount(window.ViewHwnd());
    EXPECT_EQ(0, window.Send(nClass, pszText));
    return {nStart, PositionCount(window.ViewHwnd())};
}

} // namespace

TEST(ConsoleLines, EachClassColoursExactlyItsOwnCharacters)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const HWND hView = window.ViewHwnd();
    const std::string before = ConsoleText(hView);

    const COLORREF expected[] = {kBlack, kDarkRed, kRed, kTeal, kOrangeRed};
    long nPreviousEnd = PositionCount(hView);
    COLORREF crPrevious = kDarkRed; // the banner's
    for (WPARAM nClass = 0; nClass < 5; ++nClass)
    {
        const std::string text = "class " + std::to_string(nClass) + " line";
        const Placed line = SendLine(window, nClass, text.c_str());
        EXPECT_EQ(nPreviousEnd, line.nStart);
        ASSERT_EQ(static_cast<long>(text.size()) + 1, line.nEnd - line.nStart) << "the text and one line end";
        EXPECT_TRUE(RangeHasColour(hView, line.nStart, line.nEnd, expected[nClass])) << "class " << nClass;
        EXPECT_TRUE(RangeHasColour(hView, line.nStart - 1, line.nStart, crPrevious))
            << "the line before keeps its colour up to its own line end";
        nPreviousEnd = line.nEnd;
        crPrevious = expected[nClass];
    }

    // A class no sender uses still shows its line, in black.
    const Placed unknown = SendLine(window, 5, "class five");
    EXPECT_TRUE(RangeHasColour(hView, unknown.nStart, unknown.nEnd, kBlack));
    const Placed huge = SendLine(window, static_cast<WPARAM>(-1), "class minus one");
    EXPECT_TRUE(RangeHasColour(hView, huge.nStart, huge.nEnd, kBlack));

    // A message without a text changes nothing.
    const std::string withLines = ConsoleText(hView);
    EXPECT_EQ(0, window.Send(2, nullptr));
    EXPECT_EQ(withLines, ConsoleText(hView));
    EXPECT_EQ(before + "class 0 line\r\nclass 1 line\r\nclass 2 line\r\nclass 3 line\r\nclass 4 line\r\n"
                       "class five\r\nclass minus one\r\n",
              withLines);
    EXPECT_TRUE(CountAgrees(window));

    // The same table for anyone who picks a colour by class.
    for (WPARAM nClass = 0; nClass < 5; ++nClass)
        EXPECT_EQ(expected[nClass], Console::ColourOfClass(nClass));
}

TEST(ConsoleLines, TheThousandthLineIsStillColouredExactly)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const HWND hView = window.ViewHwnd();
    const COLORREF expected[] = {kBlack, kDarkRed, kRed, kTeal, kOrangeRed};

    Placed line500 = {};
    for (int i = 1; i < 1000; ++i)
    {
        // Lengths vary, some lines hold line ends of their own: drift would show.
        std::string text = "line " + std::to_string(i) + std::string(i % 37, '.');
        if (i % 50 == 0)
            text += "\r\ncontinued";
        const Placed placed = SendLine(window, i % 5, text.c_str());
        if (i == 500)
            line500 = placed;
    }
    const Placed line1000 = SendLine(window, 4, "the thousandth line");
    EXPECT_EQ(static_cast<long>(std::strlen("the thousandth line")) + 1, line1000.nEnd - line1000.nStart);
    EXPECT_TRUE(RangeHasColour(hView, line1000.nStart, line1000.nEnd, kOrangeRed));
    EXPECT_TRUE(RangeHasColour(hView, line1000.nStart - 1, line1000.nStart, expected[999 % 5]));
    EXPECT_TRUE(RangeHasColour(hView, line500.nStart, line500.nEnd, expected[500 % 5]))
        << "earlier lines are never formatted again";
    EXPECT_TRUE(CountAgrees(window));
}

TEST(ConsoleLines, LineEndsInsideATextAndEmptyLines)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const HWND hView = window.ViewHwnd();
    const std::string banner = ConsoleText(hView);

    // Several lines, one colour.
    const Placed several = SendLine(window, 2, "first\r\nsecond\r\nthird");
    EXPECT_EQ(static_cast<long>(std::strlen("first\nsecond\nthird\n")), several.nEnd - several.nStart);
    EXPECT_TRUE(RangeHasColour(hView, several.nStart, several.nEnd, kRed));

    // An empty text is an empty line in the class's colour.
    const Placed empty = SendLine(window, 3, "");
    EXPECT_EQ(1, empty.nEnd - empty.nStart);
    EXPECT_TRUE(RangeHasColour(hView, empty.nStart, empty.nEnd, kTeal));

    // Lone CR, lone LF and CR CR LF are line ends too (the control would make a
    // space of the last); the saved text has CR LF everywhere.
    const Placed odd = SendLine(window, 0, "a\rb\nc\r\r\nd\n\re");
    EXPECT_TRUE(RangeHasColour(hView, odd.nStart, odd.nEnd, kBlack));

    // Texts that look like rich text are text (the control must never read them as RTF).
    SendLine(window, 1, "{\\rtf1\\ansi {\\b bold}\\par}");
    SendLine(window, 1, "{\\urtf1 x}");

    EXPECT_EQ(banner + "first\r\nsecond\r\nthird\r\n" + "\r\n" + "a\r\nb\r\nc\r\n\r\nd\r\n\r\ne\r\n" +
                  "{\\rtf1\\ansi {\\b bold}\\par}\r\n{\\urtf1 x}\r\n",
              ConsoleText(hView));
    EXPECT_TRUE(CountAgrees(window));

    // A text longer than a sender's buffer, with line ends across the control's
    // insertion pieces, arrives whole.
    std::string longText;
    for (int i = 0; longText.size() < 20000; ++i)
        longText += "chunk " + std::to_string(i) + (i % 3 ? "\r\n" : "\n");
    longText += "end";
    const std::string beforeLong = ConsoleText(hView);
    const Placed longLine = SendLine(window, 4, longText.c_str());
    std::string expectedLong;
    for (std::size_t i = 0; i < longText.size(); ++i)
    {
        if (longText[i] == '\n' && (i == 0 || longText[i - 1] != '\r'))
            expectedLong += '\r';
        expectedLong += longText[i];
    }
    EXPECT_EQ(beforeLong + expectedLong + "\r\n", ConsoleText(hView));
    EXPECT_TRUE(RangeHasColour(hView, longLine.nEnd - 5, longLine.nEnd, kOrangeRed));
    EXPECT_TRUE(RangeHasColour(hView, longLine.nStart, longLine.nStart + 3, kOrangeRed));
    EXPECT_TRUE(CountAgrees(window));
}

TEST(ConsoleBanner, CatalogueTextsThenTwoSpaceLinesAfterCreationAndEveryClear)
{
    // msg005 is missing: its line is empty.
    CTestCatalogue catalogue("msg001=Tessaly banner one\nmsg002=two\nmsg003=three\nmsg004=four\n"
                             "msg006=six\nmsg007=seven\nmsg008=eight\nmsg009=not in the banner\n");
    const std::string expected =
        "Tessaly banner one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\nseven\r\neight\r\n \r\n \r\n";
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    EXPECT_EQ(expected, ConsoleText(window.ViewHwnd()));
    EXPECT_TRUE(RangeHasColour(window.ViewHwnd(), 0, PositionCount(window.ViewHwnd()), kDarkRed));

    window.Send(2, "a line that Clear removes");
    window.Command(ID_CLEAR_MESSAGES);
    const HWND hView = window.ViewHwnd(); // clearing gives the console a new control
    EXPECT_EQ(expected, ConsoleText(hView));
    EXPECT_TRUE(RangeHasColour(hView, 0, PositionCount(hView), kDarkRed));
    EXPECT_TRUE(CountAgrees(window));
}

TEST(ConsoleBanner, WithoutACatalogueEightEmptyLinesAndTwoSpaceLines)
{
    const std::string savedFile = g_strMessageFile;
    const std::string savedSection = g_strMessageSection;
    g_strMessageFile.clear();
    g_strMessageSection.clear();
    {
        CConsoleWindow window;
        ASSERT_NE(nullptr, window.Frame());
        EXPECT_EQ(EmptyCatalogueBanner(), ConsoleText(window.ViewHwnd()));
        window.Command(ID_CLEAR_MESSAGES);
        EXPECT_EQ(EmptyCatalogueBanner(), ConsoleText(window.ViewHwnd()));
        EXPECT_TRUE(RangeHasColour(window.ViewHwnd(), 0, PositionCount(window.ViewHwnd()), kDarkRed));
    }
    g_strMessageFile = savedFile;
    g_strMessageSection = savedSection;
}

namespace
{

// Fills the console up to exactly nTotal characters (as a saved file counts them)
// with 100-character lines and one shorter line.
void FillTo(CConsoleWindow& window, long nTotal)
{
    const long nMissing = nTotal - window.View().GetSavedLength();
    ASSERT_GT(nMissing, 2);
    const std::string fullLine = std::string(98, 'f') + "\r\n";
    std::string filler;
    filler.reserve(static_cast<std::size_t>(nMissing));
    for (long i = 0; i < nMissing / 100; ++i)
        filler += fullLine;
    const long nRest = nMissing % 100;
    if (nRest >= 2)
        filler += std::string(static_cast<std::size_t>(nRest - 2), 'r') + "\r\n";
    else if (nRest == 1)
        filler.replace(0, 1, "gg"); // one character longer
    window.View().AppendText(filler.c_str(), RGB(0, 0, 0), FALSE, FALSE);
}

} // namespace

TEST(ConsoleCap, ExactlyAtTheCapNothingIsDropped)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    FillTo(window, 800000);
    ASSERT_EQ(800000, window.View().GetSavedLength());
    ASSERT_TRUE(CountAgrees(window)) << "far past the control's default limit of 32,767";

    const std::string full = ConsoleText(window.ViewHwnd());
    window.Send(2, "next");
    EXPECT_EQ(full + "next\r\n", ConsoleText(window.ViewHwnd()));
    EXPECT_EQ(800006, window.View().GetSavedLength());
}

TEST(ConsoleCap, OneCharacterOverClearsAndShowsTheBannerBeforeTheLine)
{
    CTestCatalogue catalogue("msg001=banner\n");
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const std::string banner = ConsoleText(window.ViewHwnd());
    const long nBannerPositions = PositionCount(window.ViewHwnd());
    ASSERT_EQ("banner\r\n" + std::string("\r\n\r\n\r\n\r\n\r\n\r\n\r\n") + " \r\n \r\n", banner);
    FillTo(window, 800001);
    ASSERT_EQ(800001, window.View().GetSavedLength());
    ASSERT_TRUE(CountAgrees(window));

    window.Send(2, "next");
    EXPECT_EQ(banner + "next\r\n", ConsoleText(window.ViewHwnd()));
    EXPECT_TRUE(RangeHasColour(window.ViewHwnd(), 0, nBannerPositions, kDarkRed));
    EXPECT_TRUE(RangeHasColour(window.ViewHwnd(), nBannerPositions, PositionCount(window.ViewHwnd()), kRed));
    EXPECT_TRUE(CountAgrees(window));
}

TEST(ConsoleGroup, EachLineOfAGroupHasItsOwnColourInItsPlace)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const HWND hView = window.ViewHwnd();
    std::string expected = ConsoleText(hView);
    long nPos = PositionCount(hView);
    // Runs of one class and single lines, a text with a line end of its own, an
    // empty line, and a text that reads like rich text.
    const std::vector<std::pair<int, std::string>> lines = {{0, "first black"},
                                                            {0, "second black"},
                                                            {2, "red"},
                                                            {3, "teal\r\nstill teal"},
                                                            {3, ""},
                                                            {4, "{\\rtf1 \\b not bold\\b0 } \xe9"},
                                                            {1, "dark red"},
                                                            {0, "black again"}};
    ASSERT_TRUE(AppendAsGroup(window, lines));

    const COLORREF colours[] = {kBlack, kDarkRed, kRed, kTeal, kOrangeRed};
    for (const auto& line : lines)
    {
        expected += line.second + "\r\n";
        // A line end is one position.
        const long nPositions = static_cast<long>(line.second.size() + 1 -
                                                  std::count(line.second.begin(), line.second.end(), '\n'));
        EXPECT_TRUE(RangeHasColour(hView, nPos, nPos + nPositions, colours[line.first])) << line.second;
        nPos += nPositions;
    }
    EXPECT_EQ(expected, ConsoleText(hView));
    EXPECT_EQ(nPos, PositionCount(hView));
    EXPECT_TRUE(CountAgrees(window));
}

TEST(ConsoleGroup, ACapCrossedInsideAGroupClearsRightBeforeTheFirstLineOverIt)
{
    CTestCatalogue catalogue("msg001=banner\n");
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const std::string banner = ConsoleText(window.ViewHwnd());
    const long nBannerPositions = PositionCount(window.ViewHwnd());
    FillTo(window, 800000 - 25);
    // 20 characters each with the line end: 799,995 before the second line, 800,015
    // before the third.
    const std::string text(17, 'g');
    ASSERT_TRUE(AppendAsGroup(window, {{2, text + "1"}, {2, text + "2"}, {3, text + "3"}, {4, text + "4"}}));

    EXPECT_EQ(banner + text + "3\r\n" + text + "4\r\n", ConsoleText(window.ViewHwnd()));
    EXPECT_TRUE(RangeHasColour(window.ViewHwnd(), 0, nBannerPositions, kDarkRed));
    EXPECT_TRUE(RangeHasColour(window.ViewHwnd(), nBannerPositions, nBannerPositions + 19, kTeal));
    EXPECT_TRUE(RangeHasColour(window.ViewHwnd(), nBannerPositions + 19, nBannerPositions + 38, kOrangeRed));
    EXPECT_TRUE(CountAgrees(window));
}

namespace
{

// A control procedure that, at the first insertion, lets in a line sent by
// another thread and sends one of its own, as a modal loop or a message box
// inside the insertion would.
WNDPROC g_pfnViewProc = nullptr;
HWND g_hReenteredFrame = nullptr;
std::atomic<bool> g_bOtherThreadSending{false};
std::thread g_otherSender;

LRESULT CALLBACK ReenteringViewProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if ((uMsg == EM_REPLACESEL || uMsg == EM_STREAMIN) && g_hReenteredFrame)
    {
        const HWND hFrame = g_hReenteredFrame;
        g_hReenteredFrame = nullptr;
        g_otherSender = std::thread([] {
            g_bOtherThreadSending = true;
            MainWindowLink().SendConsoleLine(2, "second, from another thread");
        });
        const DWORD dwStart = ::GetTickCount();
        while (::GetTickCount() - dwStart < 5000)
        {
            // Its line waits in the queue, and the window's drain message is posted.
            if (g_bOtherThreadSending && HIWORD(::GetQueueStatus(QS_SENDMESSAGE | QS_POSTMESSAGE)))
            {
                MSG msg;
                ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                break;
            }
            ::Sleep(1);
        }
        ::SendMessageA(hFrame, g_uAppMonUpdateMessage, 3, reinterpret_cast<LPARAM>("third, from within"));
    }
    return ::CallWindowProcA(g_pfnViewProc, hWnd, uMsg, wParam, lParam);
}

} // namespace

TEST(ConsoleReentry, LinesArrivingDuringAnInsertionFollowItOnceEachInOrder)
{
    CConsoleWindow window;
    ASSERT_NE(nullptr, window.Frame());
    const HWND hView = window.ViewHwnd();
    const std::string before = ConsoleText(hView);
    g_pfnViewProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReenteringViewProc)));
    g_hReenteredFrame = window.Hwnd();

    window.Send(0, "first");
    g_otherSender.join();
    ::SetWindowLongPtrA(hView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pfnViewProc));

    EXPECT_EQ(before + "first\r\nsecond, from another thread\r\nthird, from within\r\n", ConsoleText(hView));
    EXPECT_TRUE(CountAgrees(window));
}
