// Stands in for the installation's Tessaly.exe as far as a host can tell. The
// client tests copy this program into their installation folder as Tessaly.exe
// and have it create every pipe instance that their recording server serves, so
// that the process serving the pipe runs the installation's monitor program. For
// each line on standard input it creates one instance and writes the handle's
// value to standard output; the test takes the handle over (DuplicateHandle,
// DUPLICATE_CLOSE_SOURCE). It ends when its input ends.
#include "PipeProtocol.h"

#include <windows.h>

#include <cstdio>

int main()
{
    char szLine[32];
    while (std::fgets(szLine, sizeof szLine, stdin))
    {
        const HANDLE hPipe =
            CreateNamedPipeA(Protocol::kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                             PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                             Protocol::kPipeBufferBytes, Protocol::kPipeBufferBytes, 0, nullptr);
        std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hPipe)));
        std::fflush(stdout);
    }
    return 0;
}
