#include "ConsoleText.h"

namespace Console
{

std::size_t CLineEndNormaliser::Next(char* pszOut, std::size_t cchOut)
{
    if (!pszOut || cchOut < 3)
        return 0;
    std::size_t n = 0;
    // Room for a "\r\n" and the terminator after every step.
    while (*m_pszNext && n + 3 <= cchOut)
    {
        const char c = *m_pszNext++;
        if (c == '\r' || c == '\n')
        {
            if (c == '\r' && *m_pszNext == '\n')
                ++m_pszNext;
            pszOut[n++] = '\r';
            pszOut[n++] = '\n';
        }
        else
        {
            pszOut[n++] = c;
        }
    }
    pszOut[n] = '\0';
    return n;
}

bool CLineGroupText::AddLine(const char* pszText, std::uint32_t crColour)
{
    const bool bNewRun = m_nRuns == 0 || m_runs[m_nRuns - 1].crColour != crColour;
    if (bNewRun && m_nRuns == kMaxRuns)
        return false;
    // A line of the last run's colour goes over that run's NUL.
    const std::size_t nStart = bNewRun ? m_cchUsed : m_cchUsed - 1;
    const std::size_t cchRoom = m_cchBuffer - nStart;
    constexpr std::size_t kLineEndAndNul = 3;
    CLineEndNormaliser text(pszText);
    // Next leaves room for its NUL, which the line end then replaces.
    const std::size_t cchText =
        cchRoom >= kLineEndAndNul + 3 ? text.Next(m_pBuffer + nStart, cchRoom - (kLineEndAndNul - 1)) : 0;
    if (cchRoom < kLineEndAndNul + 3 || !text.Done())
    {
        if (!bNewRun)
            m_pBuffer[nStart] = '\0';
        return false;
    }
    char* const pEnd = m_pBuffer + nStart + cchText;
    pEnd[0] = '\r';
    pEnd[1] = '\n';
    pEnd[2] = '\0';
    const std::size_t cchLine = cchText + 2;
    if (bNewRun)
        m_runs[m_nRuns++] = {m_pBuffer + nStart, cchLine, crColour};
    else
        m_runs[m_nRuns - 1].cchText += cchLine;
    m_cchUsed = nStart + cchLine + 1;
    m_cchLength += cchLine;
    return true;
}

void CLineGroupText::Clear()
{
    m_cchUsed = 0;
    m_cchLength = 0;
    m_nRuns = 0;
}

} // namespace Console
