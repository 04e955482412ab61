# The release archive built twice from the same sources, in another folder the second time,
# must come out the same byte for byte. The first comes from the build trees under test; the
# second from a copy of the sources, built from scratch by scripts/package.sh, unsigned and
# at the default version (PackageCopy.cmake: here, or by the test command ahead); so is the
# symbols archive beside it. The copy stays for the tests that package it again.
#   -DSOURCE=<project root> -DX86=<32-bit build tree> -DX64=<64-bit build tree>
#   [-DX86_DLL=<tree of the 32-bit DLL that ships>] [-DX64_DLL=<... 64-bit ...>]
#   [-DARM64=<arm64 build tree of the shipped x64 DLL's type library>; else one is built here]
#   -DEPOCH=<the time the installer was given> -DNOTICES=<THIRD_PARTY_NOTICES.txt>
#   -DWORK=<scratch> -DCOPY=<where the copy goes>
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
foreach(var ORVANE_PACKAGE_VERSION ORVANE_SIGN_PFX ORVANE_SIGN_PASSWORD ORVANE_TIMESTAMP_URL)
  unset(ENV{${var}})
endforeach()

file(REMOVE_RECURSE "${WORK}")
set(dlls)
set(x64_dll ${X64})
foreach(var X86_DLL X64_DLL)
  if(${var})
    list(APPEND dlls -D${var}=${${var}})
  endif()
endforeach()
if(X64_DLL)
  set(x64_dll ${X64_DLL})
endif()
if(NOT ARM64)
  set(ARM64 ${WORK}/arm64)
  file(STRINGS ${X64}/CMakeCache.txt version REGEX "^ORVANE_PACKAGE_VERSION:")
  string(REGEX REPLACE "^[^=]*=" "" version "${version}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -S ${SOURCE} -B ${ARM64} -G Ninja
                          --toolchain ${SOURCE}/cmake/aarch64-w64-mingw32.cmake
                          -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORVANE_X64_BUILD=${x64_dll}
                          -DORVANE_PACKAGE_VERSION=${version}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${CMAKE_COMMAND}" --build ${ARM64} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -DX86=${X86} -DX64=${X64} ${dlls} -DARM64=${ARM64} -DOUT=${WORK}/first
                        -P "${SOURCE}/cmake/Package.cmake"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# The second build: the one the test command made ahead, where its status is there and it was
# built at this epoch (taken once: a later run makes its own), else made here.
set(copy "${COPY}")
set(status_file "${COPY}.status")
set(made_ahead NO)
if(EXISTS "${status_file}")
  file(STRINGS "${status_file}" ahead LIMIT_COUNT 1)
  if("${ahead}" STREQUAL "${EPOCH}")
    set(made_ahead YES)
  else()
    message(STATUS "The copy made ahead was built at ${ahead}, not ${EPOCH}: building it again")
  endif()
endif()
if(NOT made_ahead)
  execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCE=${SOURCE} -DCOPY=${copy} -DEPOCH=${EPOCH}
                          -DSTATUS=${status_file} -P "${CMAKE_CURRENT_LIST_DIR}/PackageCopy.cmake"
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
file(READ "${status_file}" output)
file(REMOVE "${status_file}")
string(REGEX MATCH "^[^\n]*\n([^\n]*)\n" _ "${output}")
set(status "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^[^\n]*\n[^\n]*\n" "" output "${output}")
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "scripts/package.sh failed (${status}):\n${output}")
endif()

file(GLOB first "${WORK}/first/*[0-9].zip") # not the symbols
file(GLOB second "${copy}/build/package/*[0-9].zip")
get_filename_component(name "${first}" NAME)
string(REPLACE ".zip" "-symbols.zip" symbols "${name}")
foreach(zip ${name} ${symbols})
  if(NOT EXISTS "${WORK}/first/${zip}" OR NOT EXISTS "${copy}/build/package/${zip}")
    message(FATAL_ERROR "The two builds did not both make ${zip}: ${first}; ${second}")
  endif()
  file(SHA256 "${WORK}/first/${zip}" a)
  file(SHA256 "${copy}/build/package/${zip}" b)
  if(NOT a STREQUAL b)
    string(REPLACE ".zip" "" folder "${zip}")
    file(GLOB_RECURSE files_a RELATIVE "${WORK}/first/${folder}" "${WORK}/first/${folder}/*")
    set(sums)
    foreach(file IN LISTS files_a)
      file(SHA256 "${WORK}/first/${folder}/${file}" hash_a)
      file(SHA256 "${copy}/build/package/${folder}/${file}" hash_b)
      string(APPEND sums "${hash_a} ${hash_b}  ${file}\n")
    endforeach()
    message(FATAL_ERROR "${zip} differs between the two builds (first, second):\n${sums}")
  endif()
  message(STATUS "${zip}: ${a}, twice")
endforeach()

# Unless asked to, scripts/package.sh signs nothing.
string(REPLACE ".zip" "" folder "${name}")
foreach(file x86/Orvane.dll x64/Orvane.dll arm64/Orvane.dll Orvane.msi x86/RegFreeClient.exe x64/RegFreeClient.exe)
  execute_process(COMMAND osslsigncode extract-signature -in "${copy}/build/package/${folder}/${file}"
                          -out "${WORK}/signature"
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    message(FATAL_ERROR "${file} is signed")
  endif()
endforeach()

file(SHA256 "${WORK}/first/${folder}/THIRD_PARTY_NOTICES.txt" a)
file(SHA256 "${NOTICES}" b)
if(NOT a STREQUAL b)
  message(FATAL_ERROR "${name} does not hold the build's THIRD_PARTY_NOTICES.txt")
endif()
file(REMOVE_RECURSE "${WORK}")
