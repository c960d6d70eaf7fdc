#include "CmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace
{

bool EntryMatchesMessage(const AFX_MSGMAP_ENTRY& entry, UINT nMessage)
{
    if (entry.pnRegistered)
        return *entry.pnRegistered != 0 && *entry.pnRegistered == nMessage;
    return entry.nMessage == nMessage && entry.nMessage != WM_COMMAND;
}

template <typename Predicate> const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* pMap, Predicate matches)
{
    for (; pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->pfn; ++pEntry)
        {
            if (matches(*pEntry))
                return pEntry;
        }
    }
    return nullptr;
}

} // namespace

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage)
{
    return FindEntry(pMap,
                     [nMessage](const AFX_MSGMAP_ENTRY& e) { return EntryMatchesMessage(e, nMessage); });
}

CCmdTarget::CCmdTarget() = default;

CCmdTarget::~CCmdTarget() = default;

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, nullptr, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), [nID, nCode](const AFX_MSGMAP_ENTRY& e) {
        return e.nMessage == WM_COMMAND && e.nCode == nCode && e.nID <= nID && nID <= e.nLastID;
    });
    if (!pEntry)
        return FALSE;
    if (nCode == CN_COMMAND && pExtra)
    {
        static_cast<AFX_CMDHANDLERINFO*>(pExtra)->pTarget = this;
        return TRUE;
    }
    pEntry->pfn(this, nID, reinterpret_cast<LPARAM>(pExtra));
    return TRUE;
}
