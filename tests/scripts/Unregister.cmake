# cmake -DRUN=<wine command> -DBIN=<folder of Orvane.dll> [-DRUN32=... -DBIN32=...]
#       [-DPRODUCT_CODE=<MSI product code>] [-DREMOVE=<scratch folder>] -P Unregister.cmake
# Undoes whatever a client test may have left registered, machine-wide and per user, and an
# installed package, and removes its scratch folder, whether that test passed or failed.
# Steps that find nothing are fine.
cmake_minimum_required(VERSION 3.25)

function(quietly runner dir)
  separate_arguments(command UNIX_COMMAND "${${runner}}")
  execute_process(COMMAND ${command} ${ARGN} WORKING_DIRECTORY ${dir}
                  OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE ignored)
endfunction()

if(DEFINED PRODUCT_CODE)
  quietly(RUN ${BIN} msiexec /x "{${PRODUCT_CODE}}" /qn)
endif()
foreach(arch "" 32)
  if(DEFINED BIN${arch})
    quietly(RUN${arch} ${BIN${arch}} regsvr32 /s /u Orvane.dll)
    quietly(RUN${arch} ${BIN${arch}} regsvr32 /s /u /n /i:user Orvane.dll)
  endif()
endforeach()
if(DEFINED REMOVE)
  file(REMOVE_RECURSE ${REMOVE})
endif()
