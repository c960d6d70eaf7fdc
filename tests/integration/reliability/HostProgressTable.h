// The test's side of the stress hosts' progress table: a named, zeroed block of
// shared memory with one phase per slot, created before any host starts.
#pragma once

#include "StressHostShared.h"

#include <windows.h>

class CHostProgressTable
{
public:
    CHostProgressTable();
    ~CHostProgressTable();
    CHostProgressTable(const CHostProgressTable&) = delete;
    CHostProgressTable& operator=(const CHostProgressTable&) = delete;

    bool IsOpen() const { return m_pSlots != nullptr; }
    StressHost::Phase Phase(unsigned uSlot) const
    {
        return static_cast<StressHost::Phase>(::InterlockedCompareExchange(&m_pSlots[uSlot], 0, 0));
    }
    void Reset(unsigned uSlot) { ::InterlockedExchange(&m_pSlots[uSlot], StressHost::kNotStarted); }

private:
    HANDLE m_hMapping = nullptr;
    volatile LONG* m_pSlots = nullptr;
};
