# Steps shared by the client scripts: run a Windows program under Wine and compare what it
# printed.

# run(<out var> <expected exit code> <command prefix var> <folder> <program> [args...])
function(run out_var expect_code runner dir)
  separate_arguments(command UNIX_COMMAND "${${runner}}")
  execute_process(COMMAND ${command} ${ARGN} WORKING_DIRECTORY ${dir}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
  string(REPLACE "\r" "" out "${out}")
  if(NOT code STREQUAL expect_code)
    message(FATAL_ERROR "${ARGN} (${runner}): exit ${code}, expected ${expect_code}\n${out}${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

function(expect what actual expected)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${what} printed:\n${actual}\nexpected:\n${expected}")
  endif()
  message(STATUS "${what}: as expected")
endfunction()

# The client script cannot create the object: it says so and exits with 2.
function(expect_not_creatable runner client)
  run(out 2 ${runner} ${EXAMPLES} cscript //nologo ${client} "HKEY_LOCAL_MACHINE\\SOFTWARE")
  if(NOT out MATCHES "^Cannot create Orvane.clsRegistry")
    message(FATAL_ERROR "${client} (${runner}) without registration printed: ${out}")
  endif()
  message(STATUS "${client} (${runner}) without registration: cannot create, as expected")
endfunction()

# The bitnesses whose programs run here: a caller given an empty RUN32 runs no 32-bit step,
# and says so.
if(DEFINED RUN32 AND RUN32 STREQUAL "")
  set(HOSTS 64)
  message(STATUS "not run: the 32-bit steps (this machine cannot run 32-bit programs)")
else()
  set(HOSTS 32 64)
endif()

# With -DIDENTITY=<Identity.h>, the component's names and identifiers as ORVANE_* variables.
if(IDENTITY)
  include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/Identity.cmake)
  orvane_parse_identity(${IDENTITY})
endif()

# Keys made in one registry view only, to see which view a client of each bitness reads.
set(VIEW_TEST_KEYS "HKLM\\SOFTWARE\\OrvaneTestOnlyIn64BitView" "HKLM\\SOFTWARE\\OrvaneTestOnlyIn32BitView")

# The keys below Software\Classes that registration writes.
function(registration_keys out_var)
  set(${out_var} "CLSID\\{${ORVANE_CLSID_TEXT}}" "${ORVANE_PROGID}" "${ORVANE_PROGID_VERSIONED}"
                 "TypeLib\\{${ORVANE_LIBID_TEXT}}" "Interface\\{${ORVANE_IID_TEXT}}" PARENT_SCOPE)
endfunction()

# What reg.exe lists of those keys in <hive>\Software\Classes, ARGN being more reg options
# (/reg:32); empty when none is there. One cmd runs all the queries: a Wine process each
# would be slow.
function(registration_in out_var runner dir hive)
  registration_keys(keys)
  set(queries)
  foreach(key IN LISTS keys)
    string(APPEND queries "reg query ${hive}\\Software\\Classes\\${key} /s ${ARGN} & ")
  endforeach()
  run(out 0 ${runner} ${dir} cmd /c "${queries}exit 0")
  # Wine's reg.exe reports a missing key on standard output.
  string(REGEX REPLACE "reg: [^\n]*\n" "" out "${out}")
  string(STRIP "${out}" out)
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

function(expect_no_registration what runner dir hive)
  registration_in(left ${runner} ${dir} ${hive} ${ARGN})
  if(NOT left STREQUAL "")
    message(FATAL_ERROR "${what}: still registered in ${hive} ${ARGN}:\n${left}")
  endif()
  message(STATUS "${what}: nothing registered in ${hive} ${ARGN}")
endfunction()

# The file the class's InprocServer32 names in <hive>, empty when none.
function(class_server out_var runner dir hive)
  registration_keys(keys)
  list(GET keys 0 class)
  separate_arguments(command UNIX_COMMAND "${${runner}}")
  execute_process(COMMAND ${command} reg query "${hive}\\Software\\Classes\\${class}\\InprocServer32" /ve
                  WORKING_DIRECTORY ${dir} OUTPUT_VARIABLE out ERROR_QUIET)
  set(server "")
  if(out MATCHES "REG_SZ +([^\r\n]*)")
    set(server "${CMAKE_MATCH_1}")
  endif()
  set(${out_var} "${server}" PARENT_SCOPE)
endfunction()

# ProgIDFromCLSID for the class, through the test tool of the runner's bitness in dir.
function(expect_progid_of_class what runner dir)
  run(out 0 ${runner} ${dir} ProgIdOfClass.exe "{${ORVANE_CLSID_TEXT}}")
  expect("ProgIDFromCLSID ${what}" "${out}" "${ORVANE_PROGID}\n")
endfunction()
