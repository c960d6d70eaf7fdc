/*
 * sample_companion.h - what the sample companion library ZOVNativeLogging.dll
 * offers besides its logger hook. C and C++.
 *
 * The programs of the installation load the ZOVNativeLogging.dll of their bitness
 * (32-bit: the installation folder's; 64-bit: its x64 folder's) and hand it their logger through ZOV_SetLogger (declared in
 * the C++ interface ILogger.h). A host that wants the companion to report finds
 * the already loaded library with GetModuleHandle and looks the function up, so it
 * needs no link-time dependency on it and runs without it.
 */
#ifndef SAMPLE_COMPANION_H
#define SAMPLE_COMPANION_H

#ifdef __cplusplus
extern "C"
{
#endif

#define ZOVNL_LIBRARY_NAME "ZOVNativeLogging.dll"
#define ZOVNL_WRITE_SAMPLE_DIAGNOSTICS "ZOVNL_WriteSampleDiagnostics"

    /* Writes an Info, a Warning and an Error line through the logger the process
     * handed over, each starting with context (null counts as empty). Returns 1 when
     * a logger took the lines, 0 when none is attached (no QX_LMDEBUGLOGLEVEL logger
     * in this process). Safe from any thread. */
    typedef int(__cdecl* PFN_ZOVNL_WRITESAMPLEDIAGNOSTICS)(const char* context);

#ifdef __cplusplus
}
#endif

#endif /* SAMPLE_COMPANION_H */
