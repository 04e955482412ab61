# cmake -DRUN=<wine command> -DDIR=<any folder> -DIDENTITY=<Identity.h>
#       [-DPRODUCT_CODE=<installed package's product code>] [-DREMOVE=<scratch folder>]
#       -P RemoveRegistration.cmake
# Runs after the tests that register through regsvr32 or make keys of their own, whether they
# passed or not: whatever a failed one left behind goes, from the machine's and the user's
# classes in both registry views, and the keys made to tell the views apart.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)

# A package the test may have left installed goes first; not installed is fine.
if(DEFINED PRODUCT_CODE)
  separate_arguments(command UNIX_COMMAND "${RUN}")
  execute_process(COMMAND ${command} msiexec /x "{${PRODUCT_CODE}}" /qn WORKING_DIRECTORY ${DIR}
                  OUTPUT_QUIET ERROR_QUIET)
endif()

registration_keys(keys)
set(paths)
foreach(hive HKLM HKCU)
  foreach(key IN LISTS keys)
    list(APPEND paths "${hive}\\Software\\Classes\\${key}")
  endforeach()
endforeach()
list(APPEND paths ${VIEW_TEST_KEYS})

# One cmd for all: on a 32-bit system both options name the one view.
set(deletions)
foreach(path IN LISTS paths)
  foreach(view 32 64)
    string(APPEND deletions "reg delete ${path} /f /reg:${view} >nul 2>&1 & ")
  endforeach()
endforeach()
run(ignored 0 RUN ${DIR} cmd /c "${deletions}exit 0")
message(STATUS "removed whatever was left of: ${paths}")
if(DEFINED REMOVE)
  file(REMOVE_RECURSE ${REMOVE})
endif()
