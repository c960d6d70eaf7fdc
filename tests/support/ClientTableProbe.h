// The monitor's table of registered clients as tests look at it: read under the
// table's own lock, through the globals the monitor shares.
#pragma once

#include "ClientTable.h"
#include "MonitorGlobals.h"

#include <cstddef>

inline bool IsClientTableEmpty()
{
    CClientTableLock lock;
    return g_clientTable.empty();
}

inline std::size_t ClientTableSize()
{
    CClientTableLock lock;
    return g_clientTable.size();
}
