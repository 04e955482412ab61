/* The component's fixed values, stated once. Included by the IDL (through widl's
   preprocessor), the resource script and C++; keep it to plain #defines. */
#ifndef ORVANE_IDENTITY_H
#define ORVANE_IDENTITY_H

#define ORVANE_LIBID_TEXT          6483FCF5-565D-49BF-BDBE-3E1CBE683778
#define ORVANE_CLSID_TEXT          AFE282F4-9F47-4915-A824-A5D355766B51
#define ORVANE_IID_TEXT            8139D8C3-D30D-419C-B79F-7B75E11F7050

#define ORVANE_DISPID_KEYEXIST     0x60030003

#define ORVANE_LIBRARY_NAME        "Orvane"
#define ORVANE_FILE_NAME           "Orvane.dll"
#define ORVANE_CLASS_NAME          "clsRegistry"
#define ORVANE_INTERFACE_NAME      "_clsRegistry"
#define ORVANE_METHOD_NAME         "KeyExist"
#define ORVANE_PARAM_NAME          "sKey"
#define ORVANE_PROGID              "Orvane.clsRegistry"
#define ORVANE_PROGID_VERSIONED    "Orvane.clsRegistry.1"
#define ORVANE_THREADING_MODEL     "Apartment"
#define ORVANE_COMPANY_NAME        "Orvane"
/* The side-by-side assembly that describes the DLL to registration-free clients; its
   manifest is <name>.manifest beside the DLL. */
#define ORVANE_ASSEMBLY_NAME       "Orvane.clsRegistry"

/* The type library's version, also the assembly's (major.minor.0.0): clients pin both, so
   they stay when a release's version (the version resource, CMake's ORVANE_PACKAGE_VERSION)
   moves on. */
#define ORVANE_VERSION_MAJOR       1
#define ORVANE_VERSION_MINOR       0
#define ORVANE_TYPELIB_VERSION_TEXT "1.0"

#endif
