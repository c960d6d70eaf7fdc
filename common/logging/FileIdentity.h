// Whether two paths name one file: compared by the file system's identity of the
// file, so that short and long forms, letter case and other spellings of one file
// agree.
#pragma once

namespace Install
{

// False whenever either file cannot be opened or identified.
bool IsSameFile(const char* pszFirst, const char* pszSecond);

} // namespace Install
