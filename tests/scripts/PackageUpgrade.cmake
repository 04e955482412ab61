# A major upgrade: the release at its version, then the same sources packaged at a higher
# one (scripts/package.sh in COPY), installed one over the other with msiexec /qn in a 64-bit
# prefix. Afterwards one product is installed, with the second package's DLLs, registered
# as a fresh install registers them, and both script hosts work; the first package will not
# install over the second; uninstalling leaves nothing. Then the same from other folders,
# which the second package keeps without being told.
#   -DRUN32=<32-bit wine command> -DRUN64=<64-bit wine command>, in a new 64-bit WINEPREFIX
#   -DBIN64=<folder> -DEXAMPLES=<folder> -DFIRST=<Orvane.msi at VERSION>
#   -DFIRST_DLL64=<its 64-bit DLL> -DFIRST_DLL32=<its 32-bit DLL> -DVERSION=<its version>
#   -DCOPY=<a copy of the sources, packaged once> -DHIGHER=<the second package's version>
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/InstalledProduct.cmake)

# msi_property(<msi> <name> <out var>): a value of the package's Property table.
function(msi_property msi name out_var)
  execute_process(COMMAND msiinfo export ${msi} Property OUTPUT_VARIABLE table
                  COMMAND_ERROR_IS_FATAL ANY)
  if(NOT table MATCHES "\n${name}\t([^\r\n]*)")
    message(FATAL_ERROR "${msi} has no ${name}")
  endif()
  set(${out_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# file_version(<binary> <out var>): the file version of its version resource, "a.b.c.d".
function(file_version binary out_var)
  file(READ ${binary} hex HEX)
  # VS_FIXEDFILEINFO: the signature 0xFEEF04BD, the structure's version, then the file
  # version's high and low doublewords, each little-endian.
  string(FIND "${hex}" "bd04effe" at)
  math(EXPR odd "${at} % 2")
  if(at EQUAL -1 OR odd)
    message(FATAL_ERROR "${binary} has no version resource where expected")
  endif()
  math(EXPR at "${at} + 16")
  string(SUBSTRING "${hex}" ${at} 16 words)
  set(fields)
  foreach(offset 4 0 12 8) # high word before low word in each doubleword
    string(SUBSTRING "${words}" ${offset} 4 le)
    string(SUBSTRING "${le}" 2 2 high)
    string(SUBSTRING "${le}" 0 2 low)
    math(EXPR value "0x${high}${low}")
    list(APPEND fields ${value})
  endforeach()
  list(JOIN fields "." text)
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

function(four_fields version out_var)
  string(REPLACE "." ";" fields "${version}")
  list(LENGTH fields count)
  while(count LESS 4)
    list(APPEND fields 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(JOIN fields "." text)
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# installed_products(<out var>): how many products named Orvane Windows Installer lists.
function(installed_products out_var)
  run(out 0 RUN64 ${BIN64} reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s)
  string(REGEX MATCHALL "\n +DisplayName +REG_SZ +Orvane\n" names "${out}")
  list(LENGTH names count)
  set(${out_var} ${count} PARENT_SCOPE)
endfunction()

function(expect_products what first second count)
  product_installed(${first_code} first_now)
  product_installed(${second_code} second_now)
  installed_products(all)
  if(NOT first_now STREQUAL first OR NOT second_now STREQUAL second OR NOT all EQUAL count)
    message(FATAL_ERROR "${what}: the first product installed: ${first_now}, the second: "
                        "${second_now}, products named Orvane: ${all}")
  endif()
  message(STATUS "${what}: first ${first}, second ${second}, ${count} product(s)")
endfunction()


# The second package, from the copy's build folders: only what the version changes is built.
foreach(var ORVANE_SIGN_PFX ORVANE_SIGN_PASSWORD ORVANE_TIMESTAMP_URL)
  unset(ENV{${var}})
endforeach()
set(ENV{ORVANE_PACKAGE_VERSION} ${HIGHER})
execute_process(COMMAND bash scripts/package.sh WORKING_DIRECTORY ${COPY}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scripts/package.sh at ${HIGHER} failed (${status}):\n${out}")
endif()
set(tree ${COPY}/build/package/Orvane-${HIGHER})
if(NOT EXISTS ${tree}.zip)
  message(FATAL_ERROR "No Orvane-${HIGHER}.zip")
endif()
set(SECOND ${tree}/Orvane.msi)

# What each package declares, and the versions its DLLs carry.
msi_property(${FIRST} ProductVersion first_version)
msi_property(${SECOND} ProductVersion second_version)
msi_property(${FIRST} ProductCode first_code)
msi_property(${SECOND} ProductCode second_code)
msi_property(${FIRST} UpgradeCode first_upgrade)
msi_property(${SECOND} UpgradeCode second_upgrade)
string(REGEX REPLACE "[{}]" "" first_code "${first_code}")
string(REGEX REPLACE "[{}]" "" second_code "${second_code}")
if(NOT first_version STREQUAL VERSION OR NOT second_version STREQUAL HIGHER
   OR first_code STREQUAL second_code OR NOT first_upgrade STREQUAL second_upgrade)
  message(FATAL_ERROR "The packages: ${first_version} {${first_code}} ${first_upgrade}, "
                      "${second_version} {${second_code}} ${second_upgrade}")
endif()
four_fields(${VERSION} first_fields)
four_fields(${HIGHER} second_fields)
foreach(dll FIRST_DLL64 FIRST_DLL32 tree/x64/Orvane.dll tree/x86/Orvane.dll)
  if(dll MATCHES "^tree/(.*)")
    set(file ${tree}/${CMAKE_MATCH_1})
    set(wanted ${second_fields})
  else()
    set(file ${${dll}})
    set(wanted ${first_fields})
  endif()
  file_version(${file} version)
  if(NOT version STREQUAL wanted)
    message(FATAL_ERROR "${file} is version ${version}, not ${wanted}")
  endif()
endforeach()
message(STATUS "Packages ${VERSION} {${first_code}} and ${HIGHER} {${second_code}}")

expect_clean("before installing")
# A prefix whose 32-bit side never ran (where 32-bit programs do not) has no 32-bit classes
# or interfaces. Wine's msiexec removes those keys once uninstalling empties them, and Wine 10
# then writes the 32-bit view's entries into the 64-bit view (Wine 8 makes the keys again).
# As on Windows and in a prefix of 32-bit Wine, another 32-bit class keeps them.
foreach(key CLSID Interface)
  set(other "HKLM\\Software\\Classes\\${key}\\{3C4C1D2A-5E2B-4B52-9D0E-0A1D5B0C7E11}")
  run(ignored 0 RUN64 ${BIN64} reg add "${other}" /ve /d placeholder /f /reg:32)
endforeach()

separate_arguments(run64 UNIX_COMMAND "${RUN64}")
get_filename_component(first_dir ${FIRST} DIRECTORY)
run(ignored 0 RUN64 ${first_dir} msiexec /i Orvane.msi /qn)
expect_products("the first installed" TRUE FALSE 1)
expect_installed_dlls(${FIRST_DLL64} ${FIRST_DLL32})
registration(fresh)

run(ignored 0 RUN64 ${tree} msiexec /i Orvane.msi /qn)
expect_products("the second installed over it" FALSE TRUE 1)
expect_installed_dlls(${tree}/x64/Orvane.dll ${tree}/x86/Orvane.dll)
registration(upgraded)
expect("the registry after the upgrade" "${upgraded}" "${fresh}")
foreach(host ${HOSTS})
  expect_working(RUN${host})
endforeach()

# The older package will not go over the newer one.
execute_process(COMMAND ${run64} msiexec /i Orvane.msi /qn WORKING_DIRECTORY ${first_dir}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(status EQUAL 0)
  message(FATAL_ERROR "The first package installed over the second")
endif()
message(STATUS "the first package again: refused (exit ${status})")
expect_products("after the refusal" FALSE TRUE 1)
expect_installed_dlls(${tree}/x64/Orvane.dll ${tree}/x86/Orvane.dll)

run(ignored 0 RUN64 ${tree} msiexec /x Orvane.msi /qn)
expect_products("uninstalled" FALSE FALSE 0)
expect_clean("after uninstalling")

# The same upgrade from other folders, named for the first install only: the second package
# finds them and puts its files there. (No trailing backslash: in a CMake list it would
# escape the separator.)
set(folder64 "$ENV{WINEPREFIX}/drive_c/Tools/Orvane")
set(folder32 "$ENV{WINEPREFIX}/drive_c/Tools/Orvane32")
set(dll64 "C:\\Tools\\Orvane\\Orvane.dll")
set(dll32 "C:\\Tools\\Orvane32\\Orvane.dll")
run(ignored 0 RUN64 ${first_dir} msiexec /i Orvane.msi /qn
    "INSTALLDIR64=C:\\Tools\\Orvane" "INSTALLDIR32=C:\\Tools\\Orvane32")
expect_products("the first installed in other folders" TRUE FALSE 1)
expect_installed_dlls(${FIRST_DLL64} ${FIRST_DLL32})
run(ignored 0 RUN64 ${tree} msiexec /i Orvane.msi /qn)
expect_products("the second installed over it, no folder named" FALSE TRUE 1)
expect_installed_dlls(${tree}/x64/Orvane.dll ${tree}/x86/Orvane.dll)
foreach(folder "Program Files/Orvane" "Program Files (x86)/Orvane")
  if(EXISTS "$ENV{WINEPREFIX}/drive_c/${folder}")
    message(FATAL_ERROR "The upgrade from other folders wrote to ${folder}")
  endif()
endforeach()
run(ignored 0 RUN64 ${tree} msiexec /x Orvane.msi /qn)
expect_products("uninstalled from other folders" FALSE FALSE 0)
expect_clean("after uninstalling from other folders")
