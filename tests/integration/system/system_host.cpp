// A host application for the end-to-end tests: loads the real Varnel.dll (from
// the folder of this program) and calls its exports as a test tells it, one
// command per line on standard input, one reply line per command on standard
// output. It exists so that a test can run several hosts at once, set a host's
// environment before the library loads, and kill a host in the middle of work.
//
// Commands (the last argument takes the rest of the line, blanks included):
//   set NAME VALUE        environment variable of this process (VALUE may be empty)
//   unset NAME
//   load                  LoadLibrary Varnel.dll
//   init ID PATH INFO     ZOVLC_Initialize            -> "ok RESULT MILLISECONDS"
//   log KIND TEXT         ZOVLC_SendLogMessage        -> "ok MILLISECONDS"
//   stream KIND TEXT      a thread sends "TEXT #1", "TEXT #2", ... without end
//   cleanup               ZOVLC_CleanUp               -> "ok MILLISECONDS"
//   unload                FreeLibrary                 -> "ok MILLISECONDS"
//   exit                  ends the process, the library still loaded
// Any failure replies "fail" and a reason. End of input ends the process.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace
{

typedef int(__cdecl* PFN_INITIALIZE)(int, const char*, const char*);
typedef void(__cdecl* PFN_SEND_LOG_MESSAGE)(const char*, int);
typedef void(__cdecl* PFN_CLEAN_UP)();

struct Varnel
{
    HMODULE hModule = nullptr;
    PFN_INITIALIZE pfnInitialize = nullptr;
    PFN_SEND_LOG_MESSAGE pfnSendLogMessage = nullptr;
    PFN_CLEAN_UP pfnCleanUp = nullptr;
};

Varnel g_varnel;

struct StreamJob
{
    int nKind;
    std::string strText;
};

std::string LibraryPath()
{
    char szPath[MAX_PATH];
    const DWORD cch = ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string strPath(szPath, cch);
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + "Varnel.dll";
}

// Splits off the first blank-separated word of strRest.
std::string NextWord(std::string& strRest)
{
    const std::size_t nEnd = strRest.find(' ');
    std::string strWord = strRest.substr(0, nEnd);
    strRest = nEnd == std::string::npos ? std::string() : strRest.substr(nEnd + 1);
    return strWord;
}

void Reply(const std::string& strLine)
{
    std::cout << strLine << std::endl;
}

void ReplyElapsed(DWORD dwStart, const std::string& strBefore = std::string())
{
    Reply("ok " + strBefore + std::to_string(::GetTickCount() - dwStart));
}

DWORD WINAPI StreamProc(LPVOID pParameter)
{
    const StreamJob* pJob = static_cast<const StreamJob*>(pParameter);
    for (unsigned n = 1;; ++n)
        g_varnel.pfnSendLogMessage((pJob->strText + " #" + std::to_string(n)).c_str(), pJob->nKind);
}

bool Load()
{
    g_varnel.hModule = ::LoadLibraryA(LibraryPath().c_str());
    if (!g_varnel.hModule)
        return false;
    auto find = [](const char* pszName) {
        return reinterpret_cast<void*>(::GetProcAddress(g_varnel.hModule, pszName));
    };
    g_varnel.pfnInitialize = reinterpret_cast<PFN_INITIALIZE>(find("ZOVLC_Initialize"));
    g_varnel.pfnSendLogMessage = reinterpret_cast<PFN_SEND_LOG_MESSAGE>(find("ZOVLC_SendLogMessage"));
    g_varnel.pfnCleanUp = reinterpret_cast<PFN_CLEAN_UP>(find("ZOVLC_CleanUp"));
    return g_varnel.pfnInitialize && g_varnel.pfnSendLogMessage && g_varnel.pfnCleanUp;
}

void Execute(const std::string& strLine)
{
    std::string strRest = strLine;
    const std::string strCommand = NextWord(strRest);
    const DWORD dwStart = ::GetTickCount();
    if (strCommand == "set" || strCommand == "unset")
    {
        const std::string strName = NextWord(strRest);
        ::SetEnvironmentVariableA(strName.c_str(), strCommand == "set" ? strRest.c_str() : nullptr);
        Reply("ok");
    }
    else if (strCommand == "load")
        Reply(Load() ? "ok" : "fail load " + std::to_string(::GetLastError()));
    else if (strCommand == "exit")
    {
        std::cout.flush();
        ::ExitProcess(0);
    }
    else if (!g_varnel.hModule)
        Reply("fail not loaded");
    else if (strCommand == "init")
    {
        const int nId = std::atoi(NextWord(strRest).c_str());
        const std::string strPath = NextWord(strRest);
        const int nResult = g_varnel.pfnInitialize(nId, strPath.c_str(), strRest.c_str());
        ReplyElapsed(dwStart, std::to_string(nResult) + " ");
    }
    else if (strCommand == "log")
    {
        const int nKind = std::atoi(NextWord(strRest).c_str());
        g_varnel.pfnSendLogMessage(strRest.c_str(), nKind);
        ReplyElapsed(dwStart);
    }
    else if (strCommand == "stream")
    {
        const int nKind = std::atoi(NextWord(strRest).c_str());
        // Lives as long as the process: the thread never ends on its own.
        StreamJob* pJob = new StreamJob{nKind, strRest};
        HANDLE hThread = ::CreateThread(nullptr, 0, &StreamProc, pJob, 0, nullptr);
        if (hThread)
            ::CloseHandle(hThread);
        Reply(hThread ? "ok" : "fail thread");
    }
    else if (strCommand == "cleanup")
    {
        g_varnel.pfnCleanUp();
        ReplyElapsed(dwStart);
    }
    else if (strCommand == "unload")
    {
        ::FreeLibrary(g_varnel.hModule);
        g_varnel = Varnel();
        ReplyElapsed(dwStart);
    }
    else
        Reply("fail unknown command " + strCommand);
}

} // namespace

int main()
{
    std::string strLine;
    while (std::getline(std::cin, strLine))
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        Execute(strLine);
    }
    return 0;
}
