// The one class this server serves.
#pragma once

#include <windows.h>

// {0B95B7E0-C8B9-11CF-8F59-444553540000}
inline constexpr CLSID CLSID_ShellExtHandler = {
    0x0B95B7E0, 0xC8B9, 0x11CF, {0x8F, 0x59, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
