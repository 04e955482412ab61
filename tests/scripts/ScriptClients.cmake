# cmake -DRUN=<wine command> -DBIN=<folder of Orvane.dll> -DEXAMPLES=<folder> -DCASES=<folder>
#       -DIDENTITY=<Identity.h> -P ScriptClients.cmake
# Registers Orvane.dll with regsvr32, runs the script clients through cscript and compares
# what they print, unregisters it and checks that the clients can no longer create it;
# then registers and unregisters it per user.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)

# A key under four of the roots: the DLL's root table, as the clients reach it.
set(keys "HKEY_LOCAL_MACHINE\\SOFTWARE" "HKEY_CURRENT_USER\\Software"
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key" "HKEY_NOWHERE\\X" "HKEY_USERS"
         "HKEY_CLASSES_ROOT\\CLSID")
set(answers "HKEY_LOCAL_MACHINE\\SOFTWARE: True\nHKEY_CURRENT_USER\\Software: True\nHKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key: False\nHKEY_NOWHERE\\X: False\nHKEY_USERS: True\nHKEY_CLASSES_ROOT\\CLSID: True\n")

run(ignored 0 RUN ${BIN} regsvr32 /s Orvane.dll)
expect_progid_of_class("after regsvr32" RUN ${BIN})
foreach(client KeyExist.vbs KeyExist.js)
  run(out 0 RUN ${EXAMPLES} cscript //nologo ${client} ${keys})
  expect(${client} "${out}" "${answers}")
endforeach()

run(out 0 RUN ${CASES} cscript //nologo EdgeCases.js)
expect("EdgeCases.js" "${out}" "existing: True
root alone: True
missing: False
unknown root: False
lower-case root: False
embedded NUL: False
fullwidth separator: False
unpaired surrogate: False
malformed: False
number: False
long: False
versioned ProgID: True
")

run(ignored 0 RUN ${BIN} regsvr32 /s /u Orvane.dll)
run(ignored 0 RUN ${BIN} regsvr32 /s /u Orvane.dll)
expect_not_creatable(RUN KeyExist.vbs)
expect_not_creatable(RUN KeyExist.js)

# Per user, through regsvr32's own switches: entries in HKEY_CURRENT_USER only, and gone
# again afterwards.
set(progid "Software\\Classes\\Orvane.clsRegistry\\CLSID")
run(ignored 0 RUN ${BIN} regsvr32 /s /n /i:user Orvane.dll)
run(ignored 0 RUN ${BIN} reg query "HKCU\\${progid}")
run(ignored 1 RUN ${BIN} reg query "HKLM\\${progid}")
# The user's classes are not merged into HKEY_CLASSES_ROOT under Wine, where ProgIDFromCLSID
# looks: read the class's ProgID where it was written.
run(out 0 RUN ${BIN} reg query "HKCU\\Software\\Classes\\CLSID\\{${ORVANE_CLSID_TEXT}}\\ProgID" /ve)
if(NOT out MATCHES "REG_SZ +${ORVANE_PROGID}\n")
  message(FATAL_ERROR "the class's ProgID per user:\n${out}")
endif()
run(ignored 0 RUN ${BIN} regsvr32 /s /u /n /i:user Orvane.dll)
run(ignored 1 RUN ${BIN} reg query "HKCU\\${progid}")
message(STATUS "regsvr32 /n /i:user: registered in and removed from HKEY_CURRENT_USER only")
