# cmake -DSOURCE=<project root> -DX86=<32-bit build tree> -DX64=<64-bit build tree>
#       [-DX86_DLL=<tree of the 32-bit DLL that ships>] [-DX64_DLL=<... 64-bit ...>]
#       -DRUN32=<32-bit wine command> -DRUN64=<64-bit wine command> -DWIDL=<widl>
#       -DWORK=<scratch folder> -P PackageClient.cmake
# The release archive unpacked into an empty folder is enough to build a C++ client: its IDL
# gives its headers again, and examples/RegFreeClient.cpp builds with each architecture's
# compiler by the README's command (from the unpacked README) and runs beside that
# architecture's DLL, with the README's manifest and nothing registered. Then the README's
# commands for registering by hand run in the unpacked folder, in the test's prefix, which
# they find as $HOME/.orvane-wine.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Readme.cmake)

file(REMOVE_RECURSE ${WORK})
set(dlls)
foreach(var X86_DLL X64_DLL)
  if(${var})
    list(APPEND dlls -D${var}=${${var}})
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -DX86=${X86} -DX64=${X64} ${dlls} -DOUT=${WORK}/package
                        -P ${SOURCE}/cmake/Package.cmake
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB zip ${WORK}/package/*[0-9].zip) # not the symbols
file(MAKE_DIRECTORY ${WORK}/unpacked)
file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION ${WORK}/unpacked)
file(GLOB root ${WORK}/unpacked/*)
set(readme ${root}/README.md)

file(SHA256 ${root}/LICENSE a)
file(SHA256 ${SOURCE}/LICENSE b)
if(NOT a STREQUAL b)
  message(FATAL_ERROR "The package's LICENSE is not the project's")
endif()

# The shipped IDL, with what it includes, gives the shipped header and GUIDs.
execute_process(COMMAND ${WIDL} -I sdk -h -H ${WORK}/Orvane.h -u -U ${WORK}/Orvane_i.c Orvane.idl
                WORKING_DIRECTORY ${root}/idl COMMAND_ERROR_IS_FATAL ANY)
foreach(file Orvane.h Orvane_i.c)
  file(SHA256 ${WORK}/${file} a)
  file(SHA256 ${root}/include/${file} b)
  if(NOT a STREQUAL b)
    message(FATAL_ERROR "idl/Orvane.idl does not give the package's include/${file}")
  endif()
endforeach()
message(STATUS "idl/ gives include/Orvane.h and include/Orvane_i.c")

foreach(arch x64 x86)
  if(arch STREQUAL "x64")
    set(runner RUN64)
  else()
    set(runner RUN32)
  endif()
  set(dir ${root}/client-${arch})
  file(MAKE_DIRECTORY ${dir})
  readme_build_command(command ${readme} ${arch})
  list(TRANSFORM command REPLACE "^KeyExistClient\\.cpp$" "examples/RegFreeClient.cpp")
  list(TRANSFORM command REPLACE "^KeyExistClient\\.exe$" "client-${arch}/RegFreeClient.exe")
  execute_process(COMMAND ${command} WORKING_DIRECTORY ${root} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${command} failed (${status}):\n${out}")
  endif()
  readme_manifest(manifest ${readme} ${arch} ${root}/${arch}/Orvane.clsRegistry.manifest)
  file(WRITE ${dir}/RegFreeClient.exe.manifest "${manifest}")
  file(COPY ${root}/${arch}/Orvane.dll ${root}/${arch}/Orvane.clsRegistry.manifest DESTINATION ${dir})
  if("${${runner}}" STREQUAL "")
    continue()
  endif()
  run(out 0 ${runner} ${dir} RegFreeClient.exe "HKEY_LOCAL_MACHINE\\SOFTWARE" "HKEY_NOWHERE\\X")
  expect("RegFreeClient.exe built from the package (${arch})" "${out}"
         "HKEY_LOCAL_MACHINE\\SOFTWARE: True\nHKEY_NOWHERE\\X: False\n")
endforeach()

# The commands by hand, without their 32-bit half where no 32-bit program runs.
readme_example(commands ${readme} by-hand.sh)
set(expected "HKEY_LOCAL_MACHINE\\SOFTWARE: True\nHKEY_LOCAL_MACHINE\\SOFTWARE: True\n")
if(NOT 32 IN_LIST HOSTS)
  string(REGEX REPLACE "\ncd \\.\\./x86.*" "\n" commands "${commands}")
  set(expected "HKEY_LOCAL_MACHINE\\SOFTWARE: True\n")
endif()
file(MAKE_DIRECTORY ${WORK}/home)
file(CREATE_LINK $ENV{WINEPREFIX} ${WORK}/home/.orvane-wine SYMBOLIC)
set(ENV{HOME} ${WORK}/home)
execute_process(COMMAND bash -e -c "${commands}" WORKING_DIRECTORY ${root} RESULT_VARIABLE status
                OUTPUT_FILE ${WORK}/out ERROR_FILE ${WORK}/err)
file(READ ${WORK}/out out)
file(READ ${WORK}/err err)
string(REPLACE "\r" "" out "${out}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The README's commands by hand failed (${status}):\n${commands}\n${out}${err}")
endif()
expect("The README's commands by hand" "${out}" "${expected}")
file(REMOVE_RECURSE ${WORK})
