# cmake -DRUN=<wine command> -DFILES=<client;DLL;component manifest> -DDIR=<scratch folder>
#       -DCLSID=<class identifier> -DPROGID=<ProgID> -P RegFreeClient.cmake
# The component as it ships for registration-free use, with nothing registered: a folder
# holding only the client (its application manifest embedded), Orvane.dll and the
# component's manifest. The client creates the object by ProgID; without the component's
# manifest it cannot.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
file(COPY ${FILES} DESTINATION ${DIR})
list(GET FILES 0 client)
get_filename_component(client ${client} NAME)
list(GET FILES 2 manifest)
get_filename_component(manifest ${manifest} NAME)

foreach(key "CLSID\\{${CLSID}}" "${PROGID}")
  run(ignored 1 RUN ${DIR} reg query "HKCR\\${key}")
endforeach()
message(STATUS "nothing registered")

run(out 0 RUN ${DIR} ${client} "HKEY_LOCAL_MACHINE\\SOFTWARE" "HKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key"
    "HKEY_NOWHERE\\X")
expect(${client} "${out}" "HKEY_LOCAL_MACHINE\\SOFTWARE: True
HKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key: False
HKEY_NOWHERE\\X: False
")

# Windows refuses to start the program when a dependent assembly is missing; Wine starts it
# and the ProgID does not resolve. Either way there is no answer.
file(REMOVE ${DIR}/${manifest})
separate_arguments(command UNIX_COMMAND "${RUN}")
execute_process(COMMAND ${command} ${client} "HKEY_LOCAL_MACHINE\\SOFTWARE" WORKING_DIRECTORY ${DIR}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
if(code EQUAL 0 OR out MATCHES "True")
  message(FATAL_ERROR "${client} without ${manifest}: exit ${code}\n${out}${err}")
endif()
message(STATUS "${client} without ${manifest}: no object, as expected (exit ${code})")
file(REMOVE_RECURSE ${DIR})
