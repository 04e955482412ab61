# cmake -DRUN32=<32-bit wine command> -DRUN64=<64-bit wine command> -DMSI=<Orvane.msi>
#       -DBIN32=<folder> -DBIN64=<folder> [-DDLL32=<dll> -DDLL64=<dll>: the DLLs the package
#       holds, else each folder's Orvane.dll] -DEXAMPLES=<folder> -DPRODUCT_CODE=<guid>
#       -DIDENTITY=<Identity.h> -DNOTICES=<THIRD_PARTY_NOTICES.txt> -DLICENSE=<LICENSE>
#       -DHEADERS=<folder of the generated Orvane.h> -P Installer.cmake
# Orvane.msi in a new 64-bit prefix (WINEPREFIX): msiexec installs both DLLs, each with the
# licence and the notices, and the 64-bit folder what C++ clients build with, into Program
# Files and registers them, each script host reaches its own, and msiexec /x leaves nothing
# behind in either registry view or on disk. The registry entries are then compared with
# what the DLLs' own registration writes for the same files.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/InstalledProduct.cmake)
foreach(bits 32 64)
  if(NOT DLL${bits})
    set(DLL${bits} ${BIN${bits}}/Orvane.dll)
  endif()
endforeach()

get_filename_component(package_dir ${MSI} DIRECTORY)
get_filename_component(package ${MSI} NAME)
set(product "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{${PRODUCT_CODE}}")
expect_clean("before installing")

# The 64-bit msiexec; Wine's 32-bit one (wine msiexec) installs the x64 package the same way.
run(ignored 0 RUN64 ${package_dir} msiexec /i ${package} /qn)
run(ignored 0 RUN64 ${BIN64} reg query "${product}")
expect_same_file("${folder64}/Orvane.dll" "${DLL64}")
expect_same_file("${folder32}/Orvane.dll" "${DLL32}")
get_filename_component(interface ${IDENTITY} DIRECTORY)
set(installed_files "${folder64}/THIRD_PARTY_NOTICES.txt" "${folder32}/THIRD_PARTY_NOTICES.txt"
    "${folder64}/LICENSE" "${folder32}/LICENSE" "${folder64}/include/Orvane.h"
    "${folder64}/include/Orvane_i.c" "${folder64}/idl/Orvane.idl" "${folder64}/idl/Identity.h"
    "${folder64}/idl/sdk/oaidl.idl")
set(built_files ${NOTICES} ${NOTICES} ${LICENSE} ${LICENSE} ${HEADERS}/Orvane.h
    ${HEADERS}/Orvane_i.c ${interface}/Orvane.idl ${IDENTITY} ${interface}/sdk/oaidl.idl)
foreach(installed built IN ZIP_LISTS installed_files built_files)
  expect_same_file("${installed}" "${built}")
endforeach()
registration(installed)
# Also proves that registration() sees entries at all, which expect_clean relies on.
foreach(view 32 64)
  string(FIND "${installed}" "InprocServer32\n    (Default)    REG_SZ    ${dll${view}}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "No ${view}-bit InprocServer32 after installing:\n${installed}")
  endif()
endforeach()
foreach(host ${HOSTS})
  expect_working(RUN${host})
  expect_progid_of_class("(${host}-bit, installed)" RUN${host} ${BIN${host}})
endforeach()

run(ignored 0 RUN64 ${package_dir} msiexec /x ${package} /qn)
run(ignored 1 RUN64 ${BIN64} reg query "${product}")
expect_clean("after uninstalling")
foreach(host ${HOSTS})
  expect_not_creatable(RUN${host} KeyExist.vbs)
  expect_not_creatable(RUN${host} KeyExist.js)
endforeach()

# The same files registered by themselves, from a clean registry: the 32-bit DLL first, so
# that the shared HELPDIR names the 64-bit folder as the package's does. Without 32-bit
# programs only what the 64-bit DLL writes is compared: the 64-bit view, less the 32-bit
# type library's path in the key both views share.
function(drop_32bit_entries var)
  if(NOT 32 IN_LIST HOSTS)
    string(REGEX REPLACE "^32-bit view\n.*64-bit view\n" "64-bit view\n" entries "${${var}}")
    string(REGEX REPLACE "HKEY_LOCAL_MACHINE[^\n]*\\\\win32\n[^\n]*\n\n?" "" entries "${entries}")
    set(${var} "${entries}" PARENT_SCOPE)
  endif()
endfunction()
drop_32bit_entries(installed)
file(MAKE_DIRECTORY "${folder64}" "${folder32}")
file(COPY_FILE "${DLL64}" "${folder64}/Orvane.dll")
file(COPY_FILE "${DLL32}" "${folder32}/Orvane.dll")
foreach(host ${HOSTS})
  run(ignored 0 RUN${host} ${BIN64} regsvr32 /s "${dll${host}}")
endforeach()
registration(registered)
drop_32bit_entries(registered)
# The package takes these entries over, and removes them with its own.
run(ignored 0 RUN64 ${package_dir} msiexec /i ${package} /qn)
run(ignored 0 RUN64 ${package_dir} msiexec /x ${package} /qn)
expect_clean("after installing over the DLLs' own registration and uninstalling")
expect("the package's registry entries" "${installed}" "${registered}")
