/* The interface identifiers the DLL takes from libuuid, which the arm64 side of mingw-w64 on
   Debian lacks. */
#include <guiddef.h>

#define OLE_GUID(name, first) \
    const GUID name = {first, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}}

const GUID GUID_NULL = {0x00000000, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 0}};
OLE_GUID(IID_IUnknown, 0x00000000);
OLE_GUID(IID_IClassFactory, 0x00000001);
OLE_GUID(IID_IDispatch, 0x00020400);
const GUID IID_IProvideClassInfo = {0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
