# Tests of the release package, in the 64-bit build given the 32-bit build's output.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8 OR NOT ORVANE_PEER_BIN)
  return()
endif()
cmake_path(GET ORVANE_PEER_BIN PARENT_PATH peer_build)
# The trees of the DLLs that ship, where they are not these builds'.
set(shipped)
if(ORVANE_SHIPPED_X86)
  list(APPEND shipped -DX86_DLL=${ORVANE_SHIPPED_X86})
endif()
if(ORVANE_SHIPPED_X64)
  list(APPEND shipped -DX64_DLL=${ORVANE_SHIPPED_X64})
endif()

# The release version's rules.
add_test(NAME Package.Version
         COMMAND ${CMAKE_COMMAND} -DMODULE=${CMAKE_SOURCE_DIR}/cmake/PackageVersion.cmake
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/PackageVersion.cmake)

# The notices hold what the shipped binaries link in from outside, per the reviewed table.
add_test(NAME Package.Notices
         COMMAND ${CMAKE_COMMAND} "-DBINARIES=${ORVANE_NOTICE_BINARIES}" "-DROOTS=${ORVANE_NOTICE_ROOTS}"
                 -DTABLE=${CMAKE_SOURCE_DIR}/notices/LinkedArchives.txt -DNOTICES=${ORVANE_NOTICES}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/Notices.cmake)

if(NOT ORVANE_PACKAGE_EPOCH OR NOT TARGET orvane_msi)
  return()
endif()
# A C++ client built from the unpacked archive alone, for each architecture, and run.
add_test(NAME Package.Client
         COMMAND ${own} ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DX86=${peer_build} -DX64=${CMAKE_BINARY_DIR} ${shipped}
                 "-DRUN32=${run32}" "-DRUN64=${run}" -DWIDL=${ORVANE_WIDL}
                 -DWORK=${CMAKE_BINARY_DIR}/package-client
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/PackageClient.cmake)
set_tests_properties(Package.Client PROPERTIES ${no_display})

# The release archive, built a second time by scripts/package.sh from a copy of the sources,
# is the same bytes. The copy's build folders then serve the signing and upgrade tests,
# which take turns with it and build only what changes; a clean-up step removes it.
set(work ${CMAKE_BINARY_DIR}/package-tests)
set(copy ${work}/sources)
set(ORVANE_ARM64_BUILD "" CACHE PATH "An arm64 build tree made from this one (else Package.Reproducible makes one)")
add_test(NAME Package.Reproducible
         COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DX86=${peer_build}
                 -DX64=${CMAKE_BINARY_DIR} ${shipped} -DARM64=${ORVANE_ARM64_BUILD} -DEPOCH=${ORVANE_PACKAGE_EPOCH} -DNOTICES=${ORVANE_NOTICES}
                 -DWORK=${work}/reproducible -DCOPY=${copy}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/PackageReproducible.cmake)
set_tests_properties(Package.Reproducible PROPERTIES FIXTURES_SETUP package_copy)

# Signed with a throwaway certificate, every shipped binary verifies; a changed one does not.
add_test(NAME Package.Signed
         COMMAND ${CMAKE_COMMAND} -DCOPY=${copy} -DWORK=${work}/signed -DOBJDUMP=${CMAKE_OBJDUMP}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/PackageSigned.cmake)
set_tests_properties(Package.Signed PROPERTIES FIXTURES_REQUIRED package_copy)

# A major upgrade from this build's package to the copy's at a higher version (the build
# number one up), installed in a prefix of its own.
string(REPLACE "." ";" higher "${ORVANE_PACKAGE_VERSION}")
list(LENGTH higher count)
if(count EQUAL 2)
  list(APPEND higher 1)
else()
  list(GET higher 2 build)
  math(EXPR build "${build} + 1")
  list(REMOVE_AT higher 2)
  list(INSERT higher 2 ${build})
endif()
list(JOIN higher "." higher)
add_test(NAME Package.Upgrade
         COMMAND ${own} ${CMAKE_COMMAND} "-DRUN32=${run32}" "-DRUN64=${run}"
                 -DBIN64=$<TARGET_FILE_DIR:Orvane>
                 -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples -DFIRST=${ORVANE_MSI}
                 -DFIRST_DLL64=${ORVANE_SHIPPED_DLL64} -DFIRST_DLL32=${ORVANE_SHIPPED_DLL32}
                 -DVERSION=${ORVANE_PACKAGE_VERSION} -DCOPY=${copy} -DHIGHER=${higher}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/PackageUpgrade.cmake)
set_tests_properties(Package.Upgrade PROPERTIES FIXTURES_REQUIRED package_copy
                     RESOURCE_LOCK package_copy TIMEOUT 900 ${no_display})

add_test(NAME Package.RemoveCopy COMMAND ${CMAKE_COMMAND} -E rm -rf ${work})
set_tests_properties(Package.RemoveCopy PROPERTIES FIXTURES_CLEANUP package_copy)

set_tests_properties(Package.Reproducible Package.Signed PROPERTIES
                     TIMEOUT 900 RESOURCE_LOCK package_copy ${no_display})
