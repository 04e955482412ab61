# orvane_parse_identity(<header>): the #defines of Interface/Identity.h as CMake variables of
# the same names in the caller's scope (quotes dropped), and their names in
# ORVANE_IDENTITY_NAMES. Works in script mode too.
function(orvane_parse_identity header)
  file(STRINGS ${header} lines REGEX "^#define ORVANE_[A-Z0-9_]+ ")
  set(names)
  foreach(line IN LISTS lines)
    if(line MATCHES "^#define (ORVANE_[A-Z0-9_]+) +\"?([^\"]*)\"?$")
      set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
      list(APPEND names ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(ORVANE_IDENTITY_NAMES ${names} PARENT_SCOPE)
endfunction()

# orvane_read_identity(<header>): orvane_parse_identity, for a project, so that files generated
# here state the same values as the code; a change to the header reconfigures. Also sets, as
# manifests spell them, ORVANE_ASSEMBLY_VERSION (major.minor.0.0) and
# ORVANE_ASSEMBLY_ARCHITECTURE.
macro(orvane_read_identity header)
  orvane_parse_identity(${header})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})

  if(NOT ORVANE_VERSION_MAJOR MATCHES "^[0-9]+$" OR NOT ORVANE_VERSION_MINOR MATCHES "^[0-9]+$")
    message(FATAL_ERROR "${header}: no numeric ORVANE_VERSION_MAJOR/MINOR")
  endif()
  set(ORVANE_ASSEMBLY_VERSION "${ORVANE_VERSION_MAJOR}.${ORVANE_VERSION_MINOR}.0.0")
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL ARM64)
    set(ORVANE_ASSEMBLY_ARCHITECTURE arm64)
  elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORVANE_ASSEMBLY_ARCHITECTURE amd64)
  else()
    set(ORVANE_ASSEMBLY_ARCHITECTURE x86)
  endif()
endmacro()
