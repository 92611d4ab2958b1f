// The DWORD switches under HKEY_LOCAL_MACHINE "Software\Microsoft\Direct3D"
// that the math library and the texture loader read ("DisablePSGP",
// "DisableD3DXPSGP", "DisableMMX").
#ifndef ZELVARO_MATH_DIRECT3D_SWITCHES_H
#define ZELVARO_MATH_DIRECT3D_SWITCHES_H

#include <windows.h>

// A DWORD value under the open key; false when it is missing or of another type.
inline bool readDirect3DSwitch(HKEY key, const char* name, DWORD* value) {
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof data) return false;
    *value = data;
    return true;
}

// Opens the key for reading; false when it cannot be opened.
inline bool openDirect3DKey(HKEY* key) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", 0, KEY_READ, key) ==
           ERROR_SUCCESS;
}

#endif  // ZELVARO_MATH_DIRECT3D_SWITCHES_H
