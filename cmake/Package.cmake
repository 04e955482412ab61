# Makes the release archive from a 32-bit, a 64-bit and (optional) an arm64 build tree:
#   cmake -DX86=build/x86 -DX64=build/x64 [-DARM64=build/arm64] -DOUT=build/package
#         [-DX86_DLL=build/x86-llvm] [-DX64_DLL=build/x64-llvm] [-DSIGNED=<folder>]
#         -P cmake/Package.cmake
# The trees are installed into one folder; X86_DLL's and X64_DLL's Orvane.dll, where given,
# take the places of X86's and X64's. The files of SIGNED, laid out as the package is
# (x64/Orvane.dll, Orvane.msi, ...), then take the places of the unsigned ones. SHA256SUMS
# lists every file, and the zip holds the files in name order with one fixed time (the
# installer's, else 1980), so that the same build output always gives the same bytes.
# Beside it, <name>-symbols.zip holds the PDB of each packaged DLL (<arch>/Orvane.pdb), made
# the same way, where the DLLs have PDBs beside them.
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

# The DLLs that ship, each with the PDB beside it, where it has one.
set(pdbs)
foreach(arch x86 x64 arm64)
  string(TOUPPER ${arch} var)
  if(DEFINED ${var}_DLL)
    cmake_path(ABSOLUTE_PATH ${var}_DLL NORMALIZE)
    file(COPY_FILE "${${var}_DLL}/bin/Orvane.dll" "${tree}/${arch}/Orvane.dll")
    set(bin "${${var}_DLL}/bin")
  elseif(${var})
    set(bin "${${var}}/bin")
  else()
    continue()
  endif()
  if(EXISTS "${bin}/Orvane.pdb")
    list(APPEND pdbs ${arch})
    set(pdb_${arch} "${bin}/Orvane.pdb")
  endif()
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

if(epoch STREQUAL "")
  set(epoch 315532800) # 1980-01-01, the earliest time a zip can hold
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP stamp "%Y%m%d%H%M.%S" UTC) # string(TIMESTAMP) reads SOURCE_DATE_EPOCH
find_program(ZIP zip REQUIRED)

# zip_folder(<name> <files>...): <name>.zip of <name>/<file>..., in OUT. The zip holds no
# owner and no extra time fields (-X), and every file gets the one time, written in UTC so
# that the time zone cannot change the bytes.
function(zip_folder name)
  set(files ${ARGN})
  list(TRANSFORM files PREPEND "${name}/")
  foreach(file IN LISTS files)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC touch -t "${stamp}" "${file}"
                    WORKING_DIRECTORY "${OUT}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC "${ZIP}" -q -X -D "${name}.zip" ${files}
                  WORKING_DIRECTORY "${OUT}" COMMAND_ERROR_IS_FATAL ANY)
  message(STATUS "${OUT}/${name}.zip")
endfunction()
zip_folder(${name} ${files})

# The symbols: every packaged DLL's PDB, or none.
set(symbols "${name}-symbols")
file(REMOVE_RECURSE "${OUT}/${symbols}" "${OUT}/${symbols}.zip")
if(pdbs)
  set(files)
  foreach(arch x86 x64 arm64)
    if(EXISTS "${tree}/${arch}/Orvane.dll" AND NOT arch IN_LIST pdbs)
      message(FATAL_ERROR "${arch}/Orvane.dll has no PDB beside it, the other DLLs have")
    endif()
  endforeach()
  foreach(arch IN LISTS pdbs)
    file(MAKE_DIRECTORY "${OUT}/${symbols}/${arch}")
    file(COPY_FILE "${pdb_${arch}}" "${OUT}/${symbols}/${arch}/Orvane.pdb")
    list(APPEND files ${arch}/Orvane.pdb)
  endforeach()
  zip_folder(${symbols} ${files})
endif()
