// Whether a start of the monitor writes its COM registration (the local server
// that COM starts for a host). Hosts talk only to the installation's Tessaly.exe,
// so a copy started from anywhere else (a build folder, a download, another
// installation) must not take COM activation from it: then no host would reach a
// monitor again until someone reinstalled.
#pragma once

#include <string>

// "/Register" always registers. An ordinary start registers only when no monitor
// is registered yet, or when the running program is strInstalledProgram (the
// installation's Tessaly.exe; empty when there is none).
bool MayRegisterWithCom(bool bRegistrationRun, const std::string& strInstalledProgram);
