// Line ends of console text. The rich-edit control turns "\r\n", a lone "\r" and a
// lone "\n" each into one paragraph mark, but "\r\r\n" into a space, and a saved
// file writes every paragraph mark as "\r\n". Text is therefore handed to the
// control with every line end already written as "\r\n": what is shown, what is
// saved and the console's own count of the saved length then agree.
#pragma once

#include <cstddef>

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

private:
    const char* m_pszNext;
};

} // namespace Console
