// Line ends of console text. The rich-edit control turns "\r\n", a lone "\r" and a
// lone "\n" each into one paragraph mark, but "\r\r\n" into a space, and a saved
// file writes every paragraph mark as "\r\n". Text is therefore handed to the
// control with every line end already written as "\r\n": what is shown, what is
// saved and the console's own count of the saved length then agree.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Console
{

class CLineEndNormaliser
{
public:
    explicit CLineEndNormaliser(const char* pszText) : m_pszNext(pszText ? pszText : "") {}

    // Copies the next piece of the text into pszOut, line ends as "\r\n", always
    // NUL-terminated, and returns its length; 0 once the whole text has been
    // copied. A "\r\n" is never split between pieces. cchOut must be at least 3.
    std::size_t Next(char* pszOut, std::size_t cchOut);
    // The whole text has been copied.
    bool Done() const { return *m_pszNext == '\0'; }

private:
    const char* m_pszNext;
};

// Several console lines gathered for one insertion into the control, in a buffer
// of the caller's: each line's text with its line ends as "\r\n" (as above) and a
// "\r\n" of its own, consecutive lines of one colour in one run, every run
// NUL-terminated.
class CLineGroupText
{
public:
    struct CRun
    {
        const char* pszText;
        std::size_t cchText;
        std::uint32_t crColour; // a COLORREF
    };
    static constexpr std::size_t kMaxRuns = 64;

    CLineGroupText(char* pBuffer, std::size_t cchBuffer) : m_pBuffer(pBuffer), m_cchBuffer(cchBuffer) {}
    CLineGroupText(const CLineGroupText&) = delete;
    CLineGroupText& operator=(const CLineGroupText&) = delete;

    // Adds a line; false, with nothing added, when the buffer has no room for it
    // or its colour would need a run more than kMaxRuns.
    bool AddLine(const char* pszText, std::uint32_t crColour);
    void Clear();
    // Characters added, as a saved file counts them (a line end is two).
    std::size_t Length() const { return m_cchLength; }
    std::size_t RunCount() const { return m_nRuns; }
    const CRun& Run(std::size_t nRun) const { return m_runs[nRun]; }

private:
    char* const m_pBuffer;
    const std::size_t m_cchBuffer;
    std::size_t m_cchUsed = 0; // every run and its NUL
    std::size_t m_cchLength = 0;
    std::size_t m_nRuns = 0;
    CRun m_runs[kMaxRuns] = {};
};

} // namespace Console
