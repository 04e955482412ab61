# cmake -DRUN=<wine command> -DBIN=<folder of Orvane.dll> -DEXAMPLES=<folder>
#       -DIDENTITY=<Identity.h> -DWORK=<scratch folder> -P Regsvr32.cmake
# regsvr32 with the switches the plain test does not use: /i and /u /i with no command line
# (machine-wide); then copies of the DLL in two folders, A registered first and B second,
# machine-wide and per user: unregistering A leaves B's registration working, and
# unregistering B leaves nothing.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)

set(key "HKEY_LOCAL_MACHINE\\SOFTWARE")
function(expect_working what)
  run(out 0 RUN ${EXAMPLES} cscript //nologo KeyExist.vbs ${key})
  expect("KeyExist.vbs ${what}" "${out}" "${key}: True\n")
endfunction()

function(expect_server what hive pattern)
  class_server(server RUN ${BIN} ${hive})
  if(NOT server MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: ${hive}'s InprocServer32 is '${server}', expected ${pattern}")
  endif()
  message(STATUS "${what}: ${hive}'s InprocServer32 is ${server}")
endfunction()

expect_no_registration("before" RUN ${BIN} HKLM)
run(ignored 0 RUN ${BIN} regsvr32 /s /i Orvane.dll)
# Registered from BIN, whichever folder that is.
get_filename_component(bin_name "${BIN}" NAME)
expect_server("regsvr32 /i" HKLM "\\\\${bin_name}\\\\Orvane.dll$")
expect_progid_of_class("after regsvr32 /i" RUN ${BIN})
expect_working("after regsvr32 /i")
run(ignored 0 RUN ${BIN} regsvr32 /s /u /i Orvane.dll)
expect_no_registration("regsvr32 /u /i" RUN ${BIN} HKLM)
expect_not_creatable(RUN KeyExist.vbs)

file(REMOVE_RECURSE ${WORK})
foreach(folder A B)
  file(MAKE_DIRECTORY ${WORK}/${folder})
  file(COPY ${BIN}/Orvane.dll DESTINATION ${WORK}/${folder})
endforeach()

foreach(scope machine user)
  if(scope STREQUAL machine)
    set(hive HKLM)
    set(switches)
  else()
    set(hive HKCU)
    set(switches /n /i:user)
  endif()
  run(ignored 0 RUN ${WORK}/A regsvr32 /s ${switches} Orvane.dll)
  run(ignored 0 RUN ${WORK}/B regsvr32 /s ${switches} Orvane.dll)
  expect_server("${scope}, A then B registered" ${hive} "\\\\B\\\\Orvane.dll$")
  registration_in(both RUN ${BIN} ${hive})

  # B's registration overwrote all of A's: unregistering A changes nothing.
  run(ignored 0 RUN ${WORK}/A regsvr32 /s /u ${switches} Orvane.dll)
  registration_in(left RUN ${BIN} ${hive})
  expect("${scope}, A unregistered: the registration" "${left}" "${both}")
  # Wine does not merge the user's classes into HKEY_CLASSES_ROOT: only machine-wide
  # registration can be seen through a client here.
  if(scope STREQUAL machine)
    expect_working("with B still registered")
  endif()

  run(ignored 0 RUN ${WORK}/B regsvr32 /s /u ${switches} Orvane.dll)
  expect_no_registration("${scope}, B unregistered too" RUN ${BIN} ${hive})
endforeach()
expect_not_creatable(RUN KeyExist.vbs)
