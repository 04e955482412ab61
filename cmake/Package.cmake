# Makes the release archive from a 32-bit, a 64-bit and (optional) an arm64 build tree:
#   cmake -DX86=build/x86 -DX64=build/x64 [-DARM64=build/arm64] -DOUT=build/package
#         [-DSIGNED=<folder>] -P cmake/Package.cmake
# The trees are installed into one folder; the files of SIGNED, laid out as the package is
# (x64/Orvane.dll, Orvane.msi, ...), then take the places of the unsigned ones. SHA256SUMS
# lists every file, and the zip holds the files in name order with one fixed time (the
# installer's, else 1980), so that the same build output always gives the same bytes.
cmake_minimum_required(VERSION 3.25)

foreach(var X86 X64 OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "Package.cmake needs -D${var}=...")
  endif()
  cmake_path(ABSOLUTE_PATH ${var} NORMALIZE)
endforeach()
set(builds "${X86}" "${X64}")
if(ARM64)
  cmake_path(ABSOLUTE_PATH ARM64 NORMALIZE)
  list(APPEND builds "${ARM64}")
endif()

# cached(<var> <build tree> <name>): a value from a build tree's cache.
function(cached var build name)
  file(STRINGS "${build}/CMakeCache.txt" value REGEX "^${name}:")
  string(REGEX REPLACE "^[^=]*=" "" value "${value}")
  set(${var} "${value}" PARENT_SCOPE)
endfunction()

# The version both builds were made with, and the time the 64-bit build gave the installer.
cached(version "${X64}" ORVANE_PACKAGE_VERSION)
foreach(build IN LISTS builds)
  cached(other "${build}" ORVANE_PACKAGE_VERSION)
  if(version STREQUAL "" OR NOT version STREQUAL other)
    message(FATAL_ERROR "The builds disagree on the release version: x64 \"${version}\", ${build} \"${other}\"")
  endif()
endforeach()
cached(epoch "${X64}" ORVANE_PACKAGE_EPOCH)
set(name "Orvane-${version}")
set(tree "${OUT}/${name}")

file(REMOVE_RECURSE "${tree}" "${OUT}/${name}.zip")
foreach(build IN LISTS builds)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${build}" --prefix "${tree}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endforeach()

if(SIGNED)
  file(GLOB_RECURSE signed RELATIVE "${SIGNED}" "${SIGNED}/*")
  if(NOT signed)
    message(FATAL_ERROR "Nothing signed in ${SIGNED}")
  endif()
  foreach(file IN LISTS signed)
    if(NOT EXISTS "${tree}/${file}")
      message(FATAL_ERROR "The signed ${file} has no unsigned counterpart in the package")
    endif()
    file(COPY_FILE "${SIGNED}/${file}" "${tree}/${file}")
  endforeach()
endif()

file(GLOB_RECURSE files RELATIVE "${tree}" "${tree}/*")
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 "${tree}/${file}" hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE "${tree}/SHA256SUMS" "${sums}")
list(APPEND files SHA256SUMS)
list(SORT files)

# The zip holds no owner and no extra time fields (-X), and every file gets the one time,
# written in UTC so that the time zone cannot change the bytes.
if(epoch STREQUAL "")
  set(epoch 315532800) # 1980-01-01, the earliest time a zip can hold
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP stamp "%Y%m%d%H%M.%S" UTC) # string(TIMESTAMP) reads SOURCE_DATE_EPOCH
find_program(ZIP zip REQUIRED)
list(TRANSFORM files PREPEND "${name}/")
foreach(file IN LISTS files)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC touch -t "${stamp}" "${file}"
                  WORKING_DIRECTORY "${OUT}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC "${ZIP}" -q -X -D "${name}.zip" ${files}
                WORKING_DIRECTORY "${OUT}" COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "${OUT}/${name}.zip")
