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
bool IsAbsolute(const PathParts& parts)
{
    if (parts.szDrive[0] != '\0')
        return IsSeparator(parts.szDir[0]);
    return IsSeparator(parts.szDir[0]) && IsSeparator(parts.szDir[1]);
}

} // namespace

bool SplitPath(const char* pszPath, PathParts& parts)
{
    ClearParts(parts);
    const char* p = pszPath ? pszPath : "";

    const char* pDriveEnd = p;
    if (p[0] != '\0' && p[1] == ':')
        pDriveEnd = p + 2;

    const char* pDirEnd = pDriveEnd;
    for (const char* q = pDriveEnd; *q; ++q)
    {
        if (IsSeparator(*q))
            pDirEnd = q + 1;
    }

    const char* pEnd = pDirEnd + std::strlen(pDirEnd);
    const char* pExt = pEnd;
    for (const char* q = pDirEnd; *q; ++q)
    {
        if (*q == '.')
            pExt = q;
    }

    if (!CopyComponent(p, pDriveEnd, parts.szDrive, kMaxDrive) ||
        !CopyComponent(pDriveEnd, pDirEnd, parts.szDir, kMaxDir) ||
        !CopyComponent(pDirEnd, pExt, parts.szFname, kMaxFname) ||
        !CopyComponent(pExt, pEnd, parts.szExt, kMaxExt))
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

    PathParts parts;
    if (!SplitPath(pszLocation, parts))
    {
        paths.status = LocationStatus::kTooLong;
        return paths;
    }
    if (!IsAbsolute(parts))
    {
        paths.status = LocationStatus::kNotAbsolute;
        return paths;
    }

    paths.status = LocationStatus::kOk;
    paths.strInstallDir = MakePath(parts.szDrive, parts.szDir, nullptr, nullptr);
    paths.strCatalogueFile =
        MakePath(parts.szDrive, parts.szDir, Catalogue::kFileName, Catalogue::kFileExtension);
    paths.strSection = SectionName(section);
    return paths;
}

} // namespace Install
