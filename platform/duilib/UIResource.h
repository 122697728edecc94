#pragma once
// The program's resource table, shaped after the Win32 resource calls the
// start-up code uses: blobs linked into the executable (the skin archives)
// are registered once under an integer id and a type name, and are then
// found with FindResource / LoadResource / SizeofResource / LockResource.
// A lookup that finds nothing answers null (or 0 for the size).
//
// Threads: every function may be called from any thread; one mutex guards
// the table. Registered blobs are borrowed and must stay valid for the rest
// of the process (linked-in data does). Handles and the pointers LockResource
// gives stay valid for the life of the process, even if an id is registered
// again later.

#include "platform/duilib/UIWinDefs.h"

#include <cstddef>
#include <cstdint>

// The module is always the program itself, so any module value is accepted
// (CPaintManagerUI::GetResourceDll() included).
typedef void* HMODULE;
typedef const char* LPCSTR;
struct HRSRC__;
typedef HRSRC__* HRSRC;
struct HGLOBAL__;
typedef HGLOBAL__* HGLOBAL;

// An integer id passed where a name is expected, as in Win32.
inline LPCSTR MAKEINTRESOURCEA(unsigned id)
{
    return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(id)));
}
inline bool IS_INTRESOURCE(LPCSTR name)
{
    return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}
#ifndef MAKEINTRESOURCE
#define MAKEINTRESOURCE(id) MAKEINTRESOURCEA(id)
#endif

// Registers data under id and type (a name such as "ZIPRES"; matched without
// case). Registering the same id and type again replaces the entry for later
// lookups. False for a null type, or null data with a non-zero size.
bool RegisterResource(unsigned id, const char* type, const void* data, size_t size);

// name is MAKEINTRESOURCE(id) or "#id"; type a name or MAKEINTRESOURCE(n).
HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
void* LockResource(HGLOBAL loaded);
