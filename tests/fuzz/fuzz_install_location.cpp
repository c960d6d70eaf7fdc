// Splitting and joining installation paths, and the installation paths derived
// from a "Location" value. The split is compared with a reading by string
// searches (drive = "X:" at the start, directory up to the last '\' or '/',
// extension from the last '.' after it); a path that splits must join back to
// itself, and one that does not must have a component too long for the run-time
// library's buffers. The installation paths need only the drive and directory
// to fit.
#include "FuzzCheck.h"
#include "InstallLocation.h"

#include <string>

namespace
{

struct Expected
{
    std::string drive, dir, fname, ext;
};

Expected Split(const std::string& path)
{
    Expected parts;
    std::size_t pos = 0;
    if (path.size() >= 2 && path[1] == ':')
    {
        parts.drive = path.substr(0, 2);
        pos = 2;
    }
    const std::string rest = path.substr(pos);
    const std::size_t lastSeparator = rest.find_last_of("\\/");
    const std::size_t dirLength = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
    parts.dir = rest.substr(0, dirLength);
    const std::string name = rest.substr(dirLength);
    const std::size_t dot = name.rfind('.');
    parts.fname = dot == std::string::npos ? name : name.substr(0, dot);
    parts.ext = dot == std::string::npos ? std::string() : name.substr(dot);
    return parts;
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

void CheckSplit(const std::string& path, const char* pszPath)
{
    Install::PathParts parts;
    const bool bSplit = Install::SplitPath(pszPath, parts);
    const Expected expected = Split(path);
    const bool bFits = expected.drive.size() < Install::kMaxDrive && expected.dir.size() < Install::kMaxDir &&
                       expected.fname.size() < Install::kMaxFname && expected.ext.size() < Install::kMaxExt;
    FUZZ_CHECK(bSplit == bFits);
    if (!bSplit)
    {
        FUZZ_CHECK(!parts.szDrive[0] && !parts.szDir[0] && !parts.szFname[0] && !parts.szExt[0]);
        return;
    }
    FUZZ_CHECK(expected.drive == parts.szDrive);
    FUZZ_CHECK(expected.dir == parts.szDir);
    FUZZ_CHECK(expected.fname == parts.szFname);
    FUZZ_CHECK(expected.ext == parts.szExt);
    FUZZ_CHECK(Install::MakePath(parts.szDrive, parts.szDir, parts.szFname, parts.szExt) == path);
}

void CheckResolve(const std::string& path, const char* pszPath, Catalogue::Section section)
{
    const Install::InstallPaths paths = Install::ResolveInstallPaths(pszPath, section);
    const Expected parts = Split(path);
    // Only the drive and directory are kept, so only they have to fit.
    const bool bFits = parts.drive.size() < Install::kMaxDrive && parts.dir.size() < Install::kMaxDir;
    const bool bAbsolute =
        parts.drive.empty() ? parts.dir.size() >= 2 && IsSeparator(parts.dir[0]) && IsSeparator(parts.dir[1])
                            : !parts.dir.empty() && IsSeparator(parts.dir[0]);

    Install::LocationStatus expected = Install::LocationStatus::kOk;
    if (path.empty())
        expected = Install::LocationStatus::kEmpty;
    else if (!bFits)
        expected = Install::LocationStatus::kTooLong;
    else if (!bAbsolute)
        expected = Install::LocationStatus::kNotAbsolute;
    FUZZ_CHECK(paths.status == expected);

    if (paths.status != Install::LocationStatus::kOk)
    {
        FUZZ_CHECK(paths.strInstallDir.empty() && paths.strCatalogueFile.empty() && paths.strSection.empty());
        return;
    }
    std::string expectedDir = parts.dir; // with backslashes only
    for (char& c : expectedDir)
        c = c == '/' ? '\\' : c;
    FUZZ_CHECK(paths.strInstallDir == parts.drive + expectedDir);
    FUZZ_CHECK(paths.strInstallDir.back() == '\\');
    FUZZ_CHECK(paths.strCatalogueFile == paths.strInstallDir + "ZOVLogMessages.ini");
    FUZZ_CHECK(paths.strSection ==
               (section == Catalogue::Section::kMonitor ? "tessalymessage_1024" : "Message_1024"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = Fuzz::TextOf(data, size);
    // Exactly the text and its NUL: nothing beyond may be read.
    const Fuzz::ExactCopy exact(path.c_str(), path.size() + 1);
    CheckSplit(path, exact.Data());
    CheckResolve(path, exact.Data(), Catalogue::Section::kMonitor);
    CheckResolve(path, exact.Data(), Catalogue::Section::kClient);
    return 0;
}
