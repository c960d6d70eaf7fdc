// Calls a function through a raw address with an explicit calling convention
// and reports how far the stack pointer moved: 0 when caller and callee agree
// on who removes the arguments. The stack is restored in any case.
#pragma once

#include <cstdint>

extern "C" std::int32_t __cdecl RawCallStackDelta(const void* function, void* ecx, const std::uint32_t* args,
                                                  std::int32_t count, std::int32_t callerCleans,
                                                  std::uint32_t* eaxOut);
