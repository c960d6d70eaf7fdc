// Redirects a module's import of one function (its slot in the import address
// table) to a test's own function, so that a test can watch or steer the calls a
// library makes to the system.
#pragma once

#include <windows.h>

#include <cstring>

// Points the module's import of pszFunction from pszLibrary at pfnNew; the old
// target goes to *ppfnOld. false when the module imports no such function by name.
inline bool RedirectImport(HMODULE hModule, const char* pszLibrary, const char* pszFunction, void* pfnNew,
                           void** ppfnOld)
{
    BYTE* pBase = reinterpret_cast<BYTE*>(hModule);
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* pDescriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
         imports.VirtualAddress && pDescriptor->Name; ++pDescriptor)
    {
        if (lstrcmpiA(reinterpret_cast<const char*>(pBase + pDescriptor->Name), pszLibrary) != 0 ||
            !pDescriptor->OriginalFirstThunk)
            continue;
        auto* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->OriginalFirstThunk);
        auto* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->FirstThunk);
        for (; pName->u1.AddressOfData; ++pName, ++pSlot)
        {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            const auto* pByName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(pByName->Name), pszFunction) != 0)
                continue;
            DWORD dwProtect = 0;
            if (!::VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), PAGE_READWRITE,
                                  &dwProtect))
                return false;
            *ppfnOld = reinterpret_cast<void*>(pSlot->u1.Function);
            pSlot->u1.Function = reinterpret_cast<DWORD_PTR>(pfnNew);
            ::VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), dwProtect, &dwProtect);
            return true;
        }
    }
    return false;
}
