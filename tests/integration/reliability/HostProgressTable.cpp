#include "HostProgressTable.h"

CHostProgressTable::CHostProgressTable()
{
    constexpr DWORD cbTable = StressHost::kMaxSlots * sizeof(LONG);
    m_hMapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, cbTable,
                                      StressHost::kProgressMappingName);
    if (!m_hMapping)
        return;
    m_pSlots = static_cast<volatile LONG*>(::MapViewOfFile(m_hMapping, FILE_MAP_WRITE, 0, 0, cbTable));
    for (unsigned uSlot = 0; m_pSlots && uSlot < StressHost::kMaxSlots; ++uSlot)
        Reset(uSlot);
}

CHostProgressTable::~CHostProgressTable()
{
    if (m_pSlots)
        ::UnmapViewOfFile(const_cast<LONG*>(m_pSlots));
    if (m_hMapping)
        ::CloseHandle(m_hMapping);
}
