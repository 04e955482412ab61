// A 32-bit type library written by a 64-bit process: the fields that follow the pointer size,
// set for 32-bit pointers. Wine's writer takes them from elsewhere: the vtable size and the
// functions' offsets from the IDispatch that the prefix registers for 32-bit programs (which
// only a prefix where 32-bit programs ran has), each FUNCDESC size from this process's own
// structures.
#pragma once

#include <windows.h>

struct Layout32 {
    WORD inheritedSlots;  // the base interface's vtable slots (IDispatch: 7)
    WORD funcDescSize;    // each function's FUNCDESC and what hangs off it, 32-bit
};

// KeyExist in the 32-bit ABI: FUNCDESC (52), two ELEMDESCs (16 each) and the TYPEDESC that
// the VARIANT_BOOL* points to (8).
constexpr WORD kKeyExistFuncDescSize32 = 52 + 2 * 16 + 8;

// Sets the layout in the library at `path`, which must hold exactly one function.
HRESULT SetLayout32(const wchar_t* path, Layout32 layout);
