# Tests of the release package, in the 64-bit build given the 32-bit build's output.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8 OR NOT ORVANE_PEER_BIN)
  return()
endif()
cmake_path(GET ORVANE_PEER_BIN PARENT_PATH peer_build)

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
# The release archive, built a second time by scripts/package.sh from a copy of the sources,
# is the same bytes. The copy's build folders then serve the signing and upgrade tests,
# which take turns with it and build only what changes; a clean-up step removes it.
set(work ${CMAKE_BINARY_DIR}/package-tests)
set(copy ${work}/sources)
add_test(NAME Package.Reproducible
         COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DX86=${peer_build}
                 -DX64=${CMAKE_BINARY_DIR} -DEPOCH=${ORVANE_PACKAGE_EPOCH} -DNOTICES=${ORVANE_NOTICES}
                 -DWORK=${work}/reproducible -DCOPY=${copy}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/PackageReproducible.cmake)
set_tests_properties(Package.Reproducible PROPERTIES FIXTURES_SETUP package_copy)

# Signed with a throwaway certificate, every shipped binary verifies; a changed one does not.
add_test(NAME Package.Signed
         COMMAND ${CMAKE_COMMAND} -DCOPY=${copy} -DWORK=${work}/signed -DOBJDUMP=${CMAKE_OBJDUMP}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/PackageSigned.cmake)
set_tests_properties(Package.Signed PROPERTIES FIXTURES_REQUIRED package_copy)

add_test(NAME Package.RemoveCopy COMMAND ${CMAKE_COMMAND} -E rm -rf ${work})
set_tests_properties(Package.RemoveCopy PROPERTIES FIXTURES_CLEANUP package_copy)

set_tests_properties(Package.Reproducible Package.Signed PROPERTIES
                     TIMEOUT 900 RESOURCE_LOCK package_copy ${no_display})
