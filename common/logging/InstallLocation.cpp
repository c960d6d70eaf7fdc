#include "InstallLocation.h"

#include <cstdio>
#include <cstring>

namespace Install
{

namespace
{

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Copies [pBegin, pEnd) into a buffer of nSize bytes; false when it does not fit.
bool CopyComponent(const char* pBegin, const char* pEnd, char* pszOut, std::size_t nSize)
{
    const std::size_t nLength = static_cast<std::size_t>(pEnd - pBegin);
    if (nLength >= nSize)
        return false;
    std::memcpy(pszOut, pBegin, nLength);
    pszOut[nLength] = '\0';
    return true;
}

void ClearParts(PathParts& parts)
{
    parts.szDrive[0] = parts.szDir[0] = parts.szFname[0] = parts.szExt[0] = '\0';
}

// A drive with a rooted directory ("C:\..."), or a UNC share ("\\server\...").
bool IsAbsolute(const char* pszDrive, const char* pszDir)
{
    if (pszDrive[0] != '\0')
        return IsSeparator(pszDir[0]);
    return IsSeparator(pszDir[0]) && IsSeparator(pszDir[1]);
}

// Where the components of a path end: the drive at pDriveEnd, the directory at
// pDirEnd, the file name at pExt and the extension at pEnd (the terminator).
struct ComponentEnds
{
    const char* pBegin;
    const char* pDriveEnd;
    const char* pDirEnd;
    const char* pExt;
    const char* pEnd;
};

ComponentEnds FindComponentEnds(const char* pszPath)
{
    ComponentEnds ends;
    const char* p = pszPath ? pszPath : "";
    ends.pBegin = p;
    ends.pDriveEnd = (p[0] != '\0' && p[1] == ':') ? p + 2 : p;

    ends.pDirEnd = ends.pDriveEnd;
    for (const char* q = ends.pDriveEnd; *q; ++q)
    {
        if (IsSeparator(*q))
            ends.pDirEnd = q + 1;
    }

    ends.pEnd = ends.pDirEnd + std::strlen(ends.pDirEnd);
    ends.pExt = ends.pEnd;
    for (const char* q = ends.pDirEnd; *q; ++q)
    {
        if (*q == '.')
            ends.pExt = q;
    }
    return ends;
}

} // namespace

bool SplitPath(const char* pszPath, PathParts& parts)
{
    ClearParts(parts);
    const ComponentEnds ends = FindComponentEnds(pszPath);
    if (!CopyComponent(ends.pBegin, ends.pDriveEnd, parts.szDrive, kMaxDrive) ||
        !CopyComponent(ends.pDriveEnd, ends.pDirEnd, parts.szDir, kMaxDir) ||
        !CopyComponent(ends.pDirEnd, ends.pExt, parts.szFname, kMaxFname) ||
        !CopyComponent(ends.pExt, ends.pEnd, parts.szExt, kMaxExt))
    {
        ClearParts(parts);
        return false;
    }
    return true;
}

std::string MakePath(const char* pszDrive, const char* pszDir, const char* pszFname, const char* pszExt)
{
    std::string strPath;
    if (pszDrive && pszDrive[0])
    {
        strPath += pszDrive[0];
        strPath += ':';
    }
    if (pszDir && pszDir[0])
    {
        strPath += pszDir;
        if (!IsSeparator(strPath.back()))
            strPath += '\\';
    }
    if (pszFname)
        strPath += pszFname;
    if (pszExt && pszExt[0])
    {
        if (pszExt[0] != '.')
            strPath += '.';
        strPath += pszExt;
    }
    return strPath;
}

std::string SectionName(Catalogue::Section section)
{
    char szSection[64];
    if (section == Catalogue::Section::kMonitor)
        std::snprintf(szSection, sizeof szSection, Catalogue::kMonitorSectionFormat,
                      Catalogue::kSectionLanguage);
    else
        std::snprintf(szSection, sizeof szSection, Catalogue::kClientSectionFormat,
                      Catalogue::kSectionLanguage);
    return szSection;
}

InstallPaths ResolveInstallPaths(const char* pszLocation, Catalogue::Section section)
{
    InstallPaths paths;
    if (!pszLocation || pszLocation[0] == '\0')
    {
        paths.status = LocationStatus::kEmpty;
        return paths;
    }

    // The file name and extension are not used, so their length does not matter.
    const ComponentEnds ends = FindComponentEnds(pszLocation);
    char szDrive[kMaxDrive];
    char szDir[kMaxDir];
    if (!CopyComponent(ends.pBegin, ends.pDriveEnd, szDrive, sizeof szDrive) ||
        !CopyComponent(ends.pDriveEnd, ends.pDirEnd, szDir, sizeof szDir))
    {
        paths.status = LocationStatus::kTooLong;
        return paths;
    }
    if (!IsAbsolute(szDrive, szDir))
    {
        paths.status = LocationStatus::kNotAbsolute;
        return paths;
    }
    // Windows takes either separator, but the companion library is loaded with
    // LOAD_WITH_ALTERED_SEARCH_PATH, which needs backslashes.
    for (char* p = szDir; *p; ++p)
    {
        if (*p == '/')
            *p = '\\';
    }

    paths.status = LocationStatus::kOk;
    paths.strInstallDir = MakePath(szDrive, szDir, nullptr, nullptr);
    paths.strCatalogueFile = MakePath(szDrive, szDir, Catalogue::kFileName, Catalogue::kFileExtension);
    paths.strSection = SectionName(section);
    return paths;
}

} // namespace Install
