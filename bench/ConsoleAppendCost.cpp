#include "ConsoleAppendCost.h"

#include "AfxRes.h"
#include "BenchClock.h"
#include "BenchIpc.h"
#include "ChildView.h"

#include <memory>
#include <string>
#include <vector>

namespace Bench
{
namespace
{

constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr COLORREF kLineColour = RGB(0, 0, 0);
// Lines go to the consoles in turns of this many, so that whatever else the
// machine does falls on all of them alike.
constexpr int kLinesPerTurn = 20;
constexpr int kWarmUpLines = 8;
constexpr int kDistinctLines = 16;
constexpr int kFindRepeats = 5;

// A console line as the whole system shows one of the hosts' lines.
std::string ConsoleLine(int nLine)
{
    char szText[kLineTextChars + 1];
    FormatLineText(szText, 0, nLine);
    return std::string("[[12-07-2026 01:23:45]:bench_host:1001]-> ") + szText;
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// The console in a top-level window of its own, filled to a level, hidden or on
// screen; it keeps the time each timed line took.
class CConsoleUnderTest
{
public:
    CConsoleUnderTest(long nFillChars, bool bOnScreen, int nLinesPerAppend = 1)
        : m_bOnScreen(bOnScreen), m_nLinesPerAppend(nLinesPerAppend)
    {
        m_parent.CreateEx(0, AfxRegisterWndClass(0), "Tessaly bench console", WS_OVERLAPPEDWINDOW, 0, 0,
                          kWindowWidth, kWindowHeight, nullptr, nullptr);
        RECT rc;
        ::GetClientRect(m_parent.m_hWnd, &rc);
        if (!m_view.Create(kViewStyle, rc, &m_parent, AFX_IDW_PANE_FIRST))
            return;
        m_view.SetReadOnly(TRUE);
        m_view.PrintBanner();
        for (int i = 0; i < kDistinctLines; ++i)
            m_lines[i] = ConsoleLine(i);
        FillTo(nFillChars);
        if (bOnScreen)
        {
            m_parent.ShowWindow(SW_SHOWNORMAL);
            m_parent.UpdateWindow();
        }
        PumpMessages();
        for (int i = 0; i < kWarmUpLines; ++i)
            AppendOne(i);
    }
    ~CConsoleUnderTest()
    {
        if (m_view.m_hWnd)
            m_view.DestroyWindow();
        if (m_parent.m_hWnd)
            m_parent.DestroyWindow();
        PumpMessages();
    }
    CConsoleUnderTest(const CConsoleUnderTest&) = delete;
    CConsoleUnderTest& operator=(const CConsoleUnderTest&) = delete;

    bool IsValid() const { return m_view.m_hWnd != nullptr; }

    // Fills the console to the cap, then times searches for a text it lacks (the
    // whole text searched, the worst case); the median, in milliseconds.
    double TimeFindOverFull()
    {
        FillTo(CChildView::kSizeCap);
        PumpMessages();
        std::vector<float> searches;
        for (int i = 0; i < kFindRepeats; ++i)
        {
            m_view.SetSel(0, 0);
            const LONGLONG llStart = Counter();
            m_view.FindAndSelect("no such text", FR_DOWN);
            searches.push_back(static_cast<float>(SecondsBetween(llStart, Counter()) * 1e3));
        }
        return Percentile(searches, 50);
    }

    // Fills the console past the cap, then times the line that clears it (the
    // clear, the banner and the line itself), in milliseconds.
    double TimeClearAtCap()
    {
        FillTo(CChildView::kSizeCap + 1);
        PumpMessages();
        const LONGLONG llStart = Counter();
        AppendOne(0);
        return SecondsBetween(llStart, Counter()) * 1e3;
    }

    // A turn of timed lines; on screen, the messages a line leaves (the repaint
    // timer) are handled after it, as the monitor's message loop would. Taken
    // together, one insertion of m_nLinesPerAppend lines is a turn, timed per line.
    void TimeTurn(int nLines)
    {
        if (m_nLinesPerAppend > 1)
        {
            const LONGLONG llStart = Counter();
            AppendGroup(static_cast<int>(m_perLine.size()), m_nLinesPerAppend);
            const double dUs = SecondsBetween(llStart, Counter()) * 1e6 / m_nLinesPerAppend;
            m_perLine.push_back(static_cast<float>(dUs));
            m_dTotalUs += dUs;
            return;
        }
        for (int i = 0; i < nLines; ++i)
        {
            const LONGLONG llStart = Counter();
            AppendOne(static_cast<int>(m_perLine.size()));
            const double dUs = SecondsBetween(llStart, Counter()) * 1e6;
            m_perLine.push_back(static_cast<float>(dUs));
            m_dTotalUs += dUs;
        }
    }

    AppendCost Cost() const
    {
        AppendCost cost;
        cost.dMedianUs = Percentile(m_perLine, 50);
        cost.dMeanUs = m_perLine.empty() ? 0 : m_dTotalUs / static_cast<double>(m_perLine.size());
        return cost;
    }

private:
    void AppendOne(int nLine)
    {
        m_view.AppendLine(m_lines[nLine % kDistinctLines].c_str(), kLineColour);
        if (m_bOnScreen)
            PumpMessages();
    }

    // nLines (at most kGroupLines) of the distinct lines from nFirst on, in one insertion.
    void AppendGroup(int nFirst, int nLines)
    {
        CConsoleLine lines[kGroupLines];
        for (int i = 0; i < nLines && i < kGroupLines; ++i)
            lines[i] = {m_lines[(nFirst + i) % kDistinctLines].c_str(), kLineColour};
        m_view.AppendLines(lines, static_cast<std::size_t>(nLines));
    }

    // Host lines until the console holds at least nChars: as many lines as hosts
    // leave in it at that size (the control's cost may grow with its lines, not
    // only with its characters). In groups as the monitor puts them in, the last
    // few one by one, so that a fill may end past the cap.
    void FillTo(long nChars)
    {
        long nGroupChars = 0;
        for (int i = 0; i < kGroupLines; ++i)
            nGroupChars += static_cast<long>(m_lines[i % kDistinctLines].size()) + 2;
        while (m_view.GetSavedLength() + nGroupChars < nChars)
            AppendGroup(0, kGroupLines);
        for (int i = 0; m_view.GetSavedLength() < nChars; ++i)
            m_view.AppendLine(m_lines[i % kDistinctLines].c_str(), kLineColour);
    }

    bool m_bOnScreen;
    int m_nLinesPerAppend;
    CWnd m_parent;
    CChildView m_view;
    std::string m_lines[kDistinctLines];
    std::vector<float> m_perLine;
    double m_dTotalUs = 0;
};

} // namespace

ConsoleAppendCosts MeasureConsoleAppend(int nLines)
{
    const long nCap = CChildView::kSizeCap;
    CConsoleUnderTest empty(0, false);
    CConsoleUnderTest halfCap(nCap / 2, false);
    CConsoleUnderTest cap95(nCap / 100 * 95, false);
    CConsoleUnderTest openEmpty(0, true);
    CConsoleUnderTest open95(nCap / 100 * 95, true);
    CConsoleUnderTest grouped(0, false, kGroupLines);
    CConsoleUnderTest* consoles[] = {&empty, &halfCap, &cap95, &openEmpty, &open95, &grouped};
    ConsoleAppendCosts costs;
    for (CConsoleUnderTest* pConsole : consoles)
    {
        if (!pConsole->IsValid())
            return costs;
    }
    for (int nDone = 0; nDone < nLines; nDone += kLinesPerTurn)
    {
        for (CConsoleUnderTest* pConsole : consoles)
            pConsole->TimeTurn(kLinesPerTurn);
    }
    costs.empty = empty.Cost();
    costs.halfCap = halfCap.Cost();
    costs.cap95 = cap95.Cost();
    costs.openEmpty = openEmpty.Cost();
    costs.open95 = open95.Cost();
    costs.grouped = grouped.Cost();
    costs.dFindOverFullMs = cap95.TimeFindOverFull();
    costs.dClearAtCapMs = cap95.TimeClearAtCap();
    return costs;
}

} // namespace Bench
