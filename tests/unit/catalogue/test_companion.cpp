// Stand-in for the companion library: records the logger it is handed. Built
// twice, with and without the logger hook.
namespace Marvane
{
namespace NativeLogging
{
class ILogger;
} // namespace NativeLogging
} // namespace Marvane

namespace
{
Marvane::NativeLogging::ILogger* g_pLastLogger = nullptr;
} // namespace

#ifdef WITH_LOGGER_HOOK
extern "C" __declspec(dllexport) void __cdecl ZOV_SetLogger(Marvane::NativeLogging::ILogger* pLogger)
{
    g_pLastLogger = pLogger;
}
#endif

extern "C" __declspec(dllexport) Marvane::NativeLogging::ILogger* __cdecl TestCompanion_LastLogger()
{
    return g_pLastLogger;
}
