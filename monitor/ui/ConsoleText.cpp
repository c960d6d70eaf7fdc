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

} // namespace Console
