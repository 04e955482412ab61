// What registration writes below a classes root (HKLM or HKCU\Software\Classes): the type
// library, the interface, the class and its ProgIDs. The placeholders are this module's:
// %CLSID%, %LIBID% and %IID% (braced GUIDs), %PATH% (the DLL's full path) and %FOLDER%
// (that path's folder, with its trailing backslash).
#pragma once

#include "Identity.h"
#include "RegistryEntries.h"

namespace orvane {

enum RegistrationGroup : EntryGroup {
    // This view's own: the class and the interface. Ours while the class's InprocServer32
    // names this file.
    kThisView,
    // The type library's file for this platform: ours while it names this file.
    kLibraryFile,
    // Shared by both registry views (and both builds): ours while they lead to our class.
    kProgId,
    kVersionedProgId,
    kLibrary, // the type library's shared keys: our LIBID's, whoever wrote them last
    // The standard keys that hold the others, made where missing (a user's first per-user
    // registration, say); never emptied by us, only removed once nothing is left in them.
    kParents,
};

constexpr EntryGroups kThisViewGroups = GroupBit(kThisView) | GroupBit(kLibraryFile);
constexpr EntryGroups kSharedGroups =
    GroupBit(kProgId) | GroupBit(kVersionedProgId) | GroupBit(kLibrary);

#define ORVANE_LIBRARY_KEY L"TypeLib\\%LIBID%\\" ORVANE_TYPELIB_VERSION_TEXT
#define ORVANE_INTERFACE_KEY L"Interface\\%IID%"
#define ORVANE_CLASS_KEY L"CLSID\\%CLSID%"
// The standard marshaller for OLE Automation interfaces, driven by the type library.
#define ORVANE_AUTOMATION_PROXY L"{00020424-0000-0000-C000-000000000046}"

// Each key's parent comes before it (or is the classes root itself), so that a failed
// registration knows every key it made.
constexpr RegistryEntry kRegistrationEntries[] = {
    {L"TypeLib", nullptr, nullptr, kParents, EntryData::KeyOnly},
    {L"Interface", nullptr, nullptr, kParents, EntryData::KeyOnly},
    {L"CLSID", nullptr, nullptr, kParents, EntryData::KeyOnly},

    {L"TypeLib\\%LIBID%", nullptr, nullptr, kLibrary, EntryData::KeyOnly},
    {ORVANE_LIBRARY_KEY, L"", L"" ORVANE_LIBRARY_NAME, kLibrary},
    {ORVANE_LIBRARY_KEY L"\\FLAGS", L"", L"0", kLibrary},
    // Names the folder of whichever build registered last.
    {ORVANE_LIBRARY_KEY L"\\HELPDIR", L"", L"%FOLDER%", kLibrary, EntryData::Any},
    {ORVANE_LIBRARY_KEY L"\\0", nullptr, nullptr, kLibrary, EntryData::KeyOnly},
    {sizeof(void*) == 8 ? ORVANE_LIBRARY_KEY L"\\0\\win64" : ORVANE_LIBRARY_KEY L"\\0\\win32",
     L"", L"%PATH%", kLibraryFile},

    // Like CLSID, Interface has a key of its own in each registry view.
    {ORVANE_INTERFACE_KEY, L"", L"" ORVANE_INTERFACE_NAME, kThisView},
    {ORVANE_INTERFACE_KEY L"\\ProxyStubClsid", L"", ORVANE_AUTOMATION_PROXY, kThisView},
    {ORVANE_INTERFACE_KEY L"\\ProxyStubClsid32", L"", ORVANE_AUTOMATION_PROXY, kThisView},
    {ORVANE_INTERFACE_KEY L"\\TypeLib", L"", L"%LIBID%", kThisView},
    {ORVANE_INTERFACE_KEY L"\\TypeLib", L"Version", L"" ORVANE_TYPELIB_VERSION_TEXT, kThisView},

    {ORVANE_CLASS_KEY, L"", L"" ORVANE_CLASS_NAME, kThisView},
    // COM reads the server's path, then its threading model: a path without one would have
    // the object made in the process's main apartment. So the model is there first, and
    // goes only after the path.
    {ORVANE_CLASS_KEY L"\\InprocServer32", L"ThreadingModel", L"" ORVANE_THREADING_MODEL,
     kThisView, EntryData::WithGuard},
    {ORVANE_CLASS_KEY L"\\InprocServer32", L"", L"%PATH%", kThisView, EntryData::Guard},
    {ORVANE_CLASS_KEY L"\\ProgID", L"", L"" ORVANE_PROGID, kThisView},
    {ORVANE_CLASS_KEY L"\\VersionIndependentProgID", L"", L"" ORVANE_PROGID, kThisView},
    {ORVANE_CLASS_KEY L"\\TypeLib", L"", L"%LIBID%", kThisView},
    {ORVANE_CLASS_KEY L"\\Version", L"", L"" ORVANE_TYPELIB_VERSION_TEXT, kThisView},

    {L"" ORVANE_PROGID, L"", L"" ORVANE_CLASS_NAME, kProgId},
    {L"" ORVANE_PROGID L"\\CLSID", L"", L"%CLSID%", kProgId, EntryData::Guard},
    {L"" ORVANE_PROGID L"\\CurVer", L"", L"" ORVANE_PROGID_VERSIONED, kProgId},
    {L"" ORVANE_PROGID_VERSIONED, L"", L"" ORVANE_CLASS_NAME, kVersionedProgId},
    {L"" ORVANE_PROGID_VERSIONED L"\\CLSID", L"", L"%CLSID%", kVersionedProgId,
     EntryData::Guard},
};

#undef ORVANE_LIBRARY_KEY
#undef ORVANE_INTERFACE_KEY
#undef ORVANE_CLASS_KEY
#undef ORVANE_AUTOMATION_PROXY

} // namespace orvane
