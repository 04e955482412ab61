# cmake -DRUN=<wine command> -DARCH=<x86|x64> -DREADME=<README.md> -DBIN=<folder of Orvane.dll>
#       -DMANIFEST=<the component's manifest> -DHEADERS=<folder of Orvane.h and Orvane_i.c>
#       -DDIR=<scratch folder> -P ReadmeExamples.cmake
# README.md's examples, taken from its text: the PowerShell and VBA snippets' names against
# the type library; the C++ program built by the README's command for this architecture and
# run unregistered (its error), without registration (the README's manifest) and registered;
# the VBScript and JScript snippets registered.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Readme.cmake)

# Names the snippets bind to: each must be one the type library gives.
run(names 0 RUN ${BIN} TypeLibNames.exe Orvane.dll)
string(REPLACE "\n" ";" lines "${names}")
set(classes ${lines})
list(FILTER classes INCLUDE REGEX "\\.")
set(methods ${lines})
list(FILTER methods EXCLUDE REGEX "\\.")
set(parameters)
foreach(method IN LISTS methods)
  string(REPLACE " " ";" method "${method}")
  list(POP_FRONT method name)
  list(APPEND parameters ${method})
endforeach()
list(TRANSFORM methods REPLACE " .*" "")
#     snippet     what         pattern                      names
foreach(row "powershell;class;-ComObject ([A-Za-z0-9_.]+);classes"
            "powershell;method;\\$probe\\.([A-Za-z0-9_]+)\\(;methods"
            "vba;class;As New ([A-Za-z0-9_.]+);classes"
            "vba;method;probe\\.([A-Za-z0-9_]+)\\(;methods"
            "vba;parameter;([A-Za-z0-9_]+):=;parameters")
  list(GET row 0 snippet)
  list(GET row 1 what)
  list(GET row 2 pattern)
  list(GET row 3 known)
  readme_example(text ${README} ${snippet})
  string(REGEX MATCHALL "${pattern}" found "${text}")
  if(NOT found)
    message(FATAL_ERROR "The README's ${snippet} snippet names no ${what}:\n${text}")
  endif()
  foreach(use IN LISTS found)
    string(REGEX REPLACE "${pattern}" "\\1" name "${use}")
    if(NOT name IN_LIST ${known})
      message(FATAL_ERROR "The README's ${snippet} snippet names the ${what} ${name}; the type library has ${${known}}")
    endif()
  endforeach()
  message(STATUS "${snippet}: the ${what} names are the type library's")
endforeach()

# The C++ program, built as the README says, in a folder laid out as the package.
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR}/include)
file(COPY ${HEADERS}/Orvane.h ${HEADERS}/Orvane_i.c DESTINATION ${DIR}/include)
readme_example(program ${README} KeyExistClient.cpp)
file(WRITE ${DIR}/KeyExistClient.cpp "${program}")
readme_build_command(command ${README} ${ARCH})
execute_process(COMMAND ${command} WORKING_DIRECTORY ${DIR} RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The README's build command failed (${status}):\n${command}\n${out}")
endif()

# Nothing registered: the program says why it has no answer.
run(out 1 RUN ${DIR} KeyExistClient.exe)
expect("KeyExistClient.exe, nothing registered" "${out}" "Orvane.clsRegistry failed: 0x80040154\n")

# Without registration: the README's manifest beside the program, with the DLL and its own.
readme_manifest(manifest ${README} ${ARCH} ${MANIFEST})
file(WRITE ${DIR}/KeyExistClient.exe.manifest "${manifest}")
file(COPY ${BIN}/Orvane.dll ${MANIFEST} DESTINATION ${DIR})
run(out 0 RUN ${DIR} KeyExistClient.exe)
expect("KeyExistClient.exe, registration-free" "${out}" "HKEY_LOCAL_MACHINE\\SOFTWARE: True\n")
get_filename_component(component ${MANIFEST} NAME)
file(REMOVE ${DIR}/KeyExistClient.exe.manifest ${DIR}/Orvane.dll ${DIR}/${component})

# Registered: the program and the script snippets.
run(ignored 0 RUN ${BIN} regsvr32 /s Orvane.dll)
run(out 0 RUN ${DIR} KeyExistClient.exe "HKEY_NOWHERE\\X")
expect("KeyExistClient.exe, registered" "${out}" "HKEY_NOWHERE\\X: False\n")
foreach(row "probe.vbs;present\n" "probe.js;HKEY_CURRENT_USER\\Software: True\n")
  list(GET row 0 name)
  list(GET row 1 expected)
  readme_example(script ${README} ${name})
  file(WRITE ${DIR}/${name} "${script}")
  run(out 0 RUN ${DIR} cscript //nologo ${name})
  expect(${name} "${out}" "${expected}")
endforeach()
run(ignored 0 RUN ${BIN} regsvr32 /s /u Orvane.dll)
file(REMOVE_RECURSE ${DIR})
