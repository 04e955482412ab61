# Steps shared by the installer tests, for Orvane.msi in the 64-bit prefix WINEPREFIX names.
# The includer sets RUN32 and RUN64 (the 32- and 64-bit wine commands), BIN64 (a folder to
# run reg.exe in) and EXAMPLES (the script clients' folder).
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)

set(folder64 "$ENV{WINEPREFIX}/drive_c/Program Files/Orvane")
set(folder32 "$ENV{WINEPREFIX}/drive_c/Program Files (x86)/Orvane")
set(dll64 "C:\\Program Files\\Orvane\\Orvane.dll")
set(dll32 "C:\\Program Files (x86)\\Orvane\\Orvane.dll")

# Everything under our keys in both views, as reg.exe lists it; empty when nothing is there.
# One cmd runs all ten queries: a Wine process each would make this the slowest step.
function(registration out_var)
  set(queries)
  foreach(view 32 64)
    string(APPEND queries "echo ${view}-bit view")
    foreach(key "Orvane.clsRegistry" "Orvane.clsRegistry.1"
                "CLSID\\{AFE282F4-9F47-4915-A824-A5D355766B51}"
                "TypeLib\\{6483FCF5-565D-49BF-BDBE-3E1CBE683778}"
                "Interface\\{8139D8C3-D30D-419C-B79F-7B75E11F7050}")
      string(APPEND queries "& reg query HKLM\\Software\\Classes\\${key} /s /reg:${view}")
    endforeach()
    string(APPEND queries "& ")
  endforeach()
  # A cmd that did not finish listed only part of it: that is no answer.
  run(out 0 RUN64 ${BIN64} cmd /c "${queries}exit 0")
  # Wine's reg.exe reports a missing key on standard output.
  string(REGEX REPLACE "reg: [^\n]*\n" "" out "${out}")
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

function(expect_clean when)
  registration(entries)
  if(NOT entries STREQUAL "32-bit view\n64-bit view\n")
    message(FATAL_ERROR "Orvane is registered ${when}:\n${entries}")
  endif()
  # Where the package keeps its folders.
  run(ignored 1 RUN64 ${BIN64} reg query "HKLM\\Software\\Orvane")
  foreach(folder "${folder64}" "${folder32}")
    if(EXISTS "${folder}")
      message(FATAL_ERROR "${folder} exists ${when}")
    endif()
  endforeach()
  message(STATUS "nothing registered, nothing in Program Files ${when}")
endfunction()

function(expect_working runner)
  foreach(client KeyExist.vbs KeyExist.js)
    run(out 0 ${runner} ${EXAMPLES} cscript //nologo ${client} "HKEY_LOCAL_MACHINE\\SOFTWARE")
    expect("${client} (${runner})" "${out}" "HKEY_LOCAL_MACHINE\\SOFTWARE: True\n")
  endforeach()
endfunction()

function(expect_same_file installed built)
  file(SHA256 "${installed}" a)
  file(SHA256 "${built}" b)
  if(NOT a STREQUAL b)
    message(FATAL_ERROR "${installed} is not ${built}")
  endif()
endfunction()

# product_installed(<product code> <out var>): whether Windows Installer lists the product.
function(product_installed code out_var)
  separate_arguments(command UNIX_COMMAND "${RUN64}")
  execute_process(COMMAND ${command} reg query
                          "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{${code}}"
                  WORKING_DIRECTORY ${BIN64} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    set(${out_var} TRUE PARENT_SCOPE)
  else()
    set(${out_var} FALSE PARENT_SCOPE)
  endif()
endfunction()

# expect_installed_dlls(<64-bit DLL> <32-bit DLL>): Program Files holds these files, and the
# class's registration in each view names the one of its bitness.
function(expect_installed_dlls built64 built32)
  expect_same_file("${folder64}/Orvane.dll" "${built64}")
  expect_same_file("${folder32}/Orvane.dll" "${built32}")
  registration(entries)
  foreach(view 32 64)
    string(FIND "${entries}" "InprocServer32\n    (Default)    REG_SZ    ${dll${view}}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "No ${view}-bit InprocServer32 naming ${dll${view}}:\n${entries}")
    endif()
  endforeach()
endfunction()
