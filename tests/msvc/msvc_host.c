/* A host built in Microsoft mode (clang for *-pc-windows-msvc, linked by lld-link
 * against the import library Varnel.lib) with no C runtime at all: what a Visual
 * C++ host's calls look like to Varnel.dll. It calls every export, each twin in
 * its own session, logs one line through each, and ends with the number of
 * results that were not ZOVLC_OK. */
#include "varnel.h"

#ifdef __cplusplus
extern "C"
#endif
    __declspec(dllimport) void __stdcall ExitProcess(unsigned int uExitCode);

#define HOST_PATH "C:\\Tools\\msvc_host.exe"

#ifdef __cplusplus
extern "C"
#endif
    void __cdecl MsvcHostMain(void)
{
    unsigned int nFailures = 0;
    if (ZOVLC_Initialize(4711, HOST_PATH, "cdecl session") != ZOVLC_OK)
        ++nFailures;
    ZOVLC_SendLogMessage("cdecl line from a Microsoft-mode host", ZOVLC_LOG_ERROR);
    ZOVLC_CleanUp();

    if (PASCAL_ZOVLC_Initialize(4712, HOST_PATH, "stdcall session") != ZOVLC_OK)
        ++nFailures;
    PASCAL_ZOVLC_SendLogMessage("stdcall line from a Microsoft-mode host", ZOVLC_LOG_SINFO);
    PASCAL_ZOVLC_CleanUp();

    if (ZOVLC_InitializeEx(4713, HOST_PATH, "cdecl Ex session", 1) != ZOVLC_OK)
        ++nFailures;
    ZOVLC_CleanUp();
    if (PASCAL_ZOVLC_InitializeEx(4714, HOST_PATH, "stdcall Ex session", 2) != ZOVLC_OK)
        ++nFailures;
    PASCAL_ZOVLC_CleanUp();
    ExitProcess(nFailures);
}
