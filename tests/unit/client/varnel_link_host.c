/* A host written in C that links Varnel.dll through its import library
 * (libvarnel.dll.a) and calls every export by both conventions. Exits with 0 when
 * every result is as expected, else with the number of the first step that was not.
 * Run without a monitor, so that nothing waits. */
#include "varnel.h"

#include <stdio.h>

static int expect(int step, int actual, int expected)
{
    if (actual != expected)
    {
        printf("step %d: %d, expected %d\n", step, actual, expected);
        return step;
    }
    return 0;
}

int main(void)
{
    const char* path = "C:\\apps\\host.exe";
    int failed = 0;
    if (!failed)
        failed = expect(1, ZOVLC_Initialize(1, path, "c host"), ZOVLC_OK);
    if (!failed)
        failed = expect(2, ZOVLC_InitializeEx(1, path, "c host", 0), ZOVLC_ALREADY_INITIALIZED);
    ZOVLC_SendLogMessage("from C", ZOVLC_LOG_ERROR);
    ZOVLC_CleanUp();
    if (!failed)
        failed = expect(3, PASCAL_ZOVLC_Initialize(0, path, "c host"), ZOVLC_INVALID_ARGUMENT);
    if (!failed)
        failed = expect(4, PASCAL_ZOVLC_InitializeEx(2, path, "c host", 9), ZOVLC_OK);
    if (!failed)
        failed = expect(5, PASCAL_ZOVLC_Initialize(2, path, "c host"), ZOVLC_ALREADY_INITIALIZED);
    PASCAL_ZOVLC_SendLogMessage("from C", ZOVLC_LOG_SINFO);
    PASCAL_ZOVLC_CleanUp();
    if (!failed)
        failed = expect(6, ZOVLC_InitializeEx(3, path, 0, 0), ZOVLC_OK);
    ZOVLC_CleanUp();
    return failed;
}
