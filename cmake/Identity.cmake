# orvane_read_identity(<header>): the #defines of Component/Identity.h as CMake variables of
# the same names in the caller's scope (quotes dropped), so that files generated here state
# the same values as the code; a change to the header reconfigures. Also sets, as manifests
# spell them, ORVANE_ASSEMBLY_VERSION (major.minor.0.0) and ORVANE_ASSEMBLY_ARCHITECTURE.
function(orvane_read_identity header)
  file(STRINGS ${header} lines REGEX "^#define ORVANE_[A-Z_]+ ")
  foreach(line IN LISTS lines)
    if(line MATCHES "^#define (ORVANE_[A-Z_]+) +\"?([^\"]*)\"?$")
      set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
      set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
    endif()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})

  if(NOT ORVANE_VERSION_MAJOR MATCHES "^[0-9]+$" OR NOT ORVANE_VERSION_MINOR MATCHES "^[0-9]+$")
    message(FATAL_ERROR "${header}: no numeric ORVANE_VERSION_MAJOR/MINOR")
  endif()
  set(ORVANE_ASSEMBLY_VERSION "${ORVANE_VERSION_MAJOR}.${ORVANE_VERSION_MINOR}.0.0" PARENT_SCOPE)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORVANE_ASSEMBLY_ARCHITECTURE amd64 PARENT_SCOPE)
  else()
    set(ORVANE_ASSEMBLY_ARCHITECTURE x86 PARENT_SCOPE)
  endif()
endfunction()
