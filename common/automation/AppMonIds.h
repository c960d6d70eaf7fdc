// The monitor's automation class as both deliverables know it: its class id
// (the same in the monitor and the client library: it finds or starts the
// monitor), the id of its dispatch interface and its ProgID.
#pragma once

#include <guiddef.h>

// {E2156BC5-6423-46F8-8B16-B6B1D88558E5}
inline constexpr CLSID CLSID_AppMon = {
    0xE2156BC5, 0x6423, 0x46F8, {0x8B, 0x16, 0xB6, 0xB1, 0xD8, 0x85, 0x58, 0xE5}};

// {F87A3AC9-2EFA-4D94-9737-F997EB4BE61B}
inline constexpr IID IID_IAppMon = {
    0xF87A3AC9, 0x2EFA, 0x4D94, {0x97, 0x37, 0xF9, 0x97, 0xEB, 0x4B, 0xE6, 0x1B}};

inline constexpr char kAppMonProgID[] = "Tessaly.AppMon";
