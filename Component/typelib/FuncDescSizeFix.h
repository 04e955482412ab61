// Each function record of a type library carries the size of the FUNCDESC that a loader
// rebuilds from it. Wine's writer takes that size from the writing process's structures, so
// a 32-bit library written by a 64-bit process gets 64-bit sizes; this sets the 32-bit one.
#pragma once

#include <windows.h>

// KeyExist in the 32-bit ABI: FUNCDESC (52), two ELEMDESCs (16 each) and the TYPEDESC that
// the VARIANT_BOOL* points to (8).
constexpr WORD kKeyExistFuncDescSize32 = 52 + 2 * 16 + 8;

// Sets the size in every function record of the library at `path`; the library must hold
// exactly one function.
HRESULT SetFuncDescSize(const wchar_t* path, WORD size);
