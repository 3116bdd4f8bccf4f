// Reading the plug-in's own dialog resources, for the programs that answer its windows under Wine
// (the bridge's watcher).
#pragma once

#include <windows.h>

// The caption of dialog template id of the module (DLGTEMPLATE or DLGTEMPLATEEX) as UTF-8 in out
// (size bytes, always terminated). 0, or -1 when the module has no such dialog.
inline int template_caption(HMODULE module, int id, char *out, int size) {
    out[0] = '\0';
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    HGLOBAL mem = res ? LoadResource(module, res) : nullptr;
    const WORD *p = mem ? static_cast<const WORD *>(LockResource(mem)) : nullptr;
    DWORD bytes = res ? SizeofResource(module, res) : 0;
    if (!p || bytes < 26) return -1;
    const WORD *end = p + bytes / 2;
    p += (p[0] == 1 && p[1] == 0xffff) ? 13 : 9;  // the fixed header of either form
    for (int field = 0; field < 2; field++) {     // menu, then window class
        if (p >= end) return -1;
        if (*p == 0xffff) {
            p += 2;
        } else {
            while (p < end && *p) p++;
            p++;
        }
    }
    const WORD *title = p;
    while (p < end && *p) p++;
    if (p >= end) return -1;
    // WCHAR, not wchar_t: a winelib build's wchar_t has four bytes.
    int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const WCHAR *>(title), (int)(p - title), out, size - 1,
                                nullptr, nullptr);
    out[n > 0 ? n : 0] = '\0';
    return 0;
}
