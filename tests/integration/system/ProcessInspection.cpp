#include "ProcessInspection.h"

#include <winternl.h>

#include <vector>

namespace
{

// Layout of the process parameters (of a process of this program's bitness): the
// command line (a UNICODE_STRING) and the environment block pointer that follows it.
constexpr bool k64Bit = sizeof(void*) == 8;
constexpr SIZE_T kCommandLineOffset = k64Bit ? 0x70 : 0x40;
constexpr SIZE_T kEnvironmentOffset = k64Bit ? 0x80 : 0x48;
constexpr SIZE_T kMaxEnvironmentBytes = 256 * 1024;
constexpr SIZE_T kPageBytes = 4096;

typedef LONG(NTAPI* PFN_NT_QUERY_INFORMATION_PROCESS)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

bool ReadRemote(HANDLE hProcess, const void* pAddress, void* pBuffer, SIZE_T cb)
{
    SIZE_T cbRead = 0;
    return ::ReadProcessMemory(hProcess, pAddress, pBuffer, cb, &cbRead) && cbRead == cb;
}

const BYTE* ProcessParameters(HANDLE hProcess)
{
    const auto pfnQuery = reinterpret_cast<PFN_NT_QUERY_INFORMATION_PROCESS>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info = {};
    if (!pfnQuery || pfnQuery(hProcess, ProcessBasicInformation, &info, sizeof(info), nullptr) != 0 ||
        !info.PebBaseAddress)
        return nullptr;
    PEB peb = {};
    if (!ReadRemote(hProcess, info.PebBaseAddress, &peb, sizeof(peb)))
        return nullptr;
    return reinterpret_cast<const BYTE*>(peb.ProcessParameters);
}

} // namespace

std::wstring ProcessCommandLine(HANDLE hProcess)
{
    const BYTE* pParameters = ProcessParameters(hProcess);
    UNICODE_STRING commandLine = {};
    if (!pParameters ||
        !ReadRemote(hProcess, pParameters + kCommandLineOffset, &commandLine, sizeof(commandLine)))
        return std::wstring();
    std::wstring strCommandLine(commandLine.Length / sizeof(wchar_t), L'\0');
    if (!strCommandLine.empty() &&
        !ReadRemote(hProcess, commandLine.Buffer, &strCommandLine[0], commandLine.Length))
        return std::wstring();
    return strCommandLine;
}

bool ProcessHasEnvironmentVariable(HANDLE hProcess, const wchar_t* pszName, bool& bReadable)
{
    bReadable = false;
    const BYTE* pParameters = ProcessParameters(hProcess);
    const BYTE* pEnvironment = nullptr;
    if (!pParameters ||
        !ReadRemote(hProcess, pParameters + kEnvironmentOffset, &pEnvironment, sizeof(pEnvironment)) ||
        !pEnvironment)
        return false;

    // Page by page up to the double NUL that ends the block (its size is not known here).
    std::vector<wchar_t> block;
    for (const BYTE* pRead = pEnvironment;
         block.size() * sizeof(wchar_t) < kMaxEnvironmentBytes && !bReadable;)
    {
        const SIZE_T cbToPageEnd = kPageBytes - reinterpret_cast<ULONG_PTR>(pRead) % kPageBytes;
        std::vector<wchar_t> chunk(cbToPageEnd / sizeof(wchar_t));
        if (!ReadRemote(hProcess, pRead, chunk.data(), chunk.size() * sizeof(wchar_t)))
            break;
        block.insert(block.end(), chunk.begin(), chunk.end());
        pRead += cbToPageEnd;
        for (std::size_t i = 1; i < block.size() && !bReadable; ++i)
            bReadable = block[i - 1] == L'\0' && block[i] == L'\0';
    }
    if (!bReadable)
        return false;

    const std::wstring strPrefix = std::wstring(pszName) + L"=";
    for (const wchar_t* pEntry = block.data(); *pEntry; pEntry += lstrlenW(pEntry) + 1)
    {
        if (static_cast<std::size_t>(lstrlenW(pEntry)) >= strPrefix.size() &&
            ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, pEntry, static_cast<int>(strPrefix.size()),
                             strPrefix.c_str(), static_cast<int>(strPrefix.size())) == CSTR_EQUAL)
            return true;
    }
    return false;
}
