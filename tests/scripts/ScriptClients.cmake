# cmake -DRUN=<wine command> -DBIN=<folder of Orvane.dll> -DEXAMPLES=<folder> -DCASES=<folder>
#       -P ScriptClients.cmake
# Registers Orvane.dll with regsvr32, runs the script clients through cscript and compares
# what they print, unregisters it and checks that the clients can no longer create it.
cmake_minimum_required(VERSION 3.25)
separate_arguments(RUN UNIX_COMMAND "${RUN}")

function(run out_var expect_code)
  execute_process(COMMAND ${RUN} ${ARGN} WORKING_DIRECTORY ${dir}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
  string(REPLACE "\r" "" out "${out}")
  if(NOT code STREQUAL expect_code)
    message(FATAL_ERROR "${ARGN}: exit ${code}, expected ${expect_code}\n${out}${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

function(expect what actual expected)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${what} printed:\n${actual}\nexpected:\n${expected}")
  endif()
  message(STATUS "${what}: as expected")
endfunction()

set(keys "HKEY_LOCAL_MACHINE\\SOFTWARE" "HKEY_CURRENT_USER\\Software"
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key" "HKEY_NOWHERE\\X" "HKEY_USERS")
set(answers "HKEY_LOCAL_MACHINE\\SOFTWARE: True\nHKEY_CURRENT_USER\\Software: True\nHKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key: False\nHKEY_NOWHERE\\X: False\nHKEY_USERS: True\n")

set(dir ${BIN})
run(ignored 0 regsvr32 /s Orvane.dll)

set(dir ${EXAMPLES})
run(out 0 cscript //nologo KeyExist.vbs ${keys})
expect("KeyExist.vbs" "${out}" "${answers}")
run(out 0 cscript //nologo KeyExist.js ${keys})
expect("KeyExist.js" "${out}" "${answers}")

set(dir ${CASES})
run(out 0 cscript //nologo EdgeCases.js)
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
")

set(dir ${BIN})
run(ignored 0 regsvr32 /s /u Orvane.dll)
run(ignored 0 regsvr32 /s /u Orvane.dll)
set(dir ${EXAMPLES})
foreach(client KeyExist.vbs KeyExist.js)
  run(out 2 cscript //nologo ${client} "HKEY_LOCAL_MACHINE\\SOFTWARE")
  if(NOT out MATCHES "^Cannot create Orvane.clsRegistry")
    message(FATAL_ERROR "${client} after unregistration printed: ${out}")
  endif()
  message(STATUS "${client} after unregistration: cannot create, as expected")
endforeach()
