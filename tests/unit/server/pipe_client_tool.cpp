// Helper process for the pipe server tests: a client that registers and then
// ends in a given way, so the server sees a real process go away.
//   pipe_client_tool init-and-exit <id>   INIT, then the process ends without goodbye
#include "TestPipeClient.h"

#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3 || std::strcmp(argv[1], "init-and-exit") != 0)
        return 2;
    CTestPipeClient client;
    if (!client.Open())
        return 3;
    if (client.Transact(std::string("INIT;") + argv[2] + "|tool.exe|child") != "SUCCESS")
        return 4;
    ::ExitProcess(0); // no TERMINATE, handle left to the system
}
