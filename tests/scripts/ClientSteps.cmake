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
