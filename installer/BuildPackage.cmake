# cmake -DINPUTS=<PackageInputs.cmake> -DDLL64=<file> -DDLL32=<file> -DWORK=<scratch folder>
#       -DOUTPUT=<file.msi> -P BuildPackage.cmake
# INPUTS, written by the 64-bit build, sets WIXL, MSIBUILD, MSIINFO (msitools), SET_TIME (the
# command that runs SetPackageTime), IDENTITY (Identity.h), SOURCE (the folder of
# Orvane.wxs), NOTICES (THIRD_PARTY_NOTICES.txt), LICENSE, INTERFACE (the folder of
# Orvane.idl), HEADERS (the folder of the generated Orvane.h), VERSION, PRODUCT_CODE,
# UPGRADE_CODE and EPOCH (seconds). Builds Orvane.msi with wixl, then replaces what wixl makes up on each run
# (the build time and a random package code in the summary information) so that the same
# inputs give the same file byte for byte.
cmake_minimum_required(VERSION 3.25)
include(${INPUTS})

function(check what)
  execute_process(${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The component's values under the names Identity.h gives them (ORVANE_*).
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/Identity.cmake)
orvane_parse_identity(${IDENTITY})
set(defines)
foreach(name IN LISTS ORVANE_IDENTITY_NAMES)
  list(APPEND defines -D "${name}=${${name}}")
endforeach()
if(NOT ORVANE_FILE_NAME)
  message(FATAL_ERROR "No ORVANE_FILE_NAME in ${IDENTITY}")
endif()
set(dll ${ORVANE_FILE_NAME})

# wixl finds files only relative to the folder it runs in. The cabinet records each file's
# modification time, as local time: both are fixed.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/win64 ${WORK}/win32 ${WORK}/include ${WORK}/idl/sdk)
set(staged win64/${dll} win32/${dll} THIRD_PARTY_NOTICES.txt LICENSE include/Orvane.h
           include/Orvane_i.c idl/Orvane.idl idl/Identity.h idl/sdk/oaidl.idl)
set(sources ${DLL64} ${DLL32} ${NOTICES} ${LICENSE} ${HEADERS}/Orvane.h ${HEADERS}/Orvane_i.c
            ${INTERFACE}/Orvane.idl ${INTERFACE}/Identity.h ${INTERFACE}/sdk/oaidl.idl)
foreach(file source IN ZIP_LISTS staged sources)
  file(COPY_FILE ${source} ${WORK}/${file})
endforeach()
check("touch" COMMAND touch -d @${EPOCH} ${staged})

set(msi Orvane.msi)
check("wixl" COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
      ${WIXL} --arch x64 ${defines} -D Version=${VERSION}
      -D ProductCode=${PRODUCT_CODE} -D UpgradeCode=${UPGRADE_CODE}
      -o ${msi} ${SOURCE}/Orvane.wxs)

# The creation and last-saved times, through the installer's own API (msitools has no
# command for them). Wine's storage leaves the old summary stream's sectors in the file;
# msibuild below writes the whole file afresh.
separate_arguments(set_time UNIX_COMMAND "${SET_TIME}")
check("SetPackageTime" COMMAND ${set_time} ${msi} ${EPOCH})

# The package code: a fixed placeholder first, then one derived from the resulting bytes,
# so that it changes whenever the package does. msibuild -s rewrites subject, author and
# template too: give back what wixl wrote.
check("msiinfo" COMMAND ${MSIINFO} suminfo ${msi})
foreach(field Subject Author Template)
  if(NOT out MATCHES "\n${field}: ([^\n]*)\n")
    message(FATAL_ERROR "No ${field} in the summary information:\n${out}")
  endif()
  set(${field} "${CMAKE_MATCH_1}")
endforeach()
function(set_package_code code)
  # Not through check(): the template ("x64;1033") must stay one argument.
  execute_process(COMMAND ${MSIBUILD} ${msi} -s "${Subject}" "${Author}" "${Template}" "{${code}}"
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "msibuild failed (${status})")
  endif()
endfunction()
set_package_code(00000000-0000-0000-0000-000000000000)
file(SHA256 ${WORK}/${msi} content)
string(UUID package_code NAMESPACE ${UPGRADE_CODE} NAME ${content} TYPE SHA1 UPPER)
set_package_code(${package_code})

file(COPY_FILE ${WORK}/${msi} ${OUTPUT})
