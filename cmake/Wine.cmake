# Runs cross-built programs under Wine, in private prefixes inside the build tree.
#   ORVANE_RUN      the command prefix that runs a program in the build's prefix (the build's
#                   steps, run.sh, the benchmark), where this machine runs the target's
#                   programs: always for x64, for x86 where ORVANE_RUNS_X86
#   ORVANE_RUN_IN_PREFIX  the same without the loader, to pick another (wine for 32-bit)
#   ORVANE_RUN64    64-bit Wine, for the type-library writer whatever the target
#   wine_prefix     a target that creates the build's prefix once
# Tests share none of it: each gets a prefix of its own, copied from a template.
#   ORVANE_OWN_PREFIX  the command prefix that runs a command in a new copy of the template
#   ORVANE_TEST_RUN, ORVANE_TEST_RUN_IN_PREFIX  ORVANE_RUN's counterparts inside that copy
#   wine_test_template  a target that creates the template once
option(ORVANE_RUNS_X86 "This machine runs 32-bit programs (32-bit Wine)" ON)
set(ORVANE_WINE64 /usr/lib/wine/wine64 CACHE STRING "64-bit Wine loader")

# orvane_wine_in_prefix(<out var> <dir> <arch>): the command prefix, up to the Wine loader,
# that runs a program in the prefix <dir>, quietly, without Mono and Gecko, and without the
# menu entries and file associations Wine updates as each session starts. Without <dir>
# ("") the program runs in the prefix its environment names (ORVANE_OWN_PREFIX sets it all).
function(orvane_wine_in_prefix out_var dir arch)
  set(run sh ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/wine-run.sh)
  if(dir)
    list(PREPEND run /usr/bin/env WINEPREFIX=${dir} WINEARCH=${arch} WINEDEBUG=-all
                     WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=)
  endif()
  set(${out_var} ${run} PARENT_SCOPE)
endfunction()

# orvane_wine_prefix(<target> <dir> <arch> [TEMPLATE]): a target that creates the prefix once
# (cmake/wine-new-prefix.sh: booted, or copied from ORVANE_PRISTINE_PREFIXES as the build runs).
# A TEMPLATE is part of the default build, and no server of it runs once it is made: copies
# are taken from its files.
function(orvane_wine_prefix target dir arch)
  cmake_parse_arguments(PARSE_ARGV 3 arg "TEMPLATE" "" "")
  set(loader ${ORVANE_WINE})
  if(arch STREQUAL win64)
    set(loader ${ORVANE_WINE64})
  endif()
  set(stop)
  set(all)
  if(arg_TEMPLATE)
    set(stop --stop)
    set(all ALL)
  endif()
  set(stamp ${dir}/.orvane-ready)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND sh ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/wine-new-prefix.sh ${stop} ${dir} ${arch} ${loader}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    COMMENT "Creating the Wine prefix ${dir}"
    VERBATIM)
  add_custom_target(${target} ${all} DEPENDS ${stamp})
endfunction()

set(ORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Private Wine prefix")
if(ORVANE_WINEARCH STREQUAL win64 OR ORVANE_RUNS_X86)
  orvane_wine_in_prefix(ORVANE_RUN_IN_PREFIX ${ORVANE_WINEPREFIX} ${ORVANE_WINEARCH})
  set(ORVANE_RUN ${ORVANE_RUN_IN_PREFIX} ${ORVANE_WINE})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVANE_RUN})
  orvane_wine_prefix(wine_prefix ${ORVANE_WINEPREFIX} ${ORVANE_WINEARCH})

  set(ORVANE_TEST_PREFIXES ${CMAKE_BINARY_DIR}/testprefixes)
  set(ORVANE_OWN_PREFIX sh ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh ${ORVANE_TEST_PREFIXES})
  orvane_wine_in_prefix(ORVANE_TEST_RUN_IN_PREFIX "" ${ORVANE_WINEARCH})
  set(ORVANE_TEST_RUN ${ORVANE_TEST_RUN_IN_PREFIX} ${ORVANE_WINE})
  if(BUILD_TESTING)
    orvane_wine_prefix(wine_test_template ${ORVANE_TEST_PREFIXES}/template ${ORVANE_WINEARCH}
                       TEMPLATE)
  endif()
endif()

# The 64-bit prefix: the build's own for x64, one of the writer's own for x86.
if(ORVANE_WINEARCH STREQUAL win64)
  set(ORVANE_RUN64 ${ORVANE_RUN})
  set(ORVANE_RUN64_PREFIX_TARGET wine_prefix)
else()
  orvane_wine_in_prefix(ORVANE_RUN64 ${CMAKE_BINARY_DIR}/wineprefix64 win64)
  list(APPEND ORVANE_RUN64 ${ORVANE_WINE64})
  set(ORVANE_RUN64_PREFIX_TARGET wine_prefix64)
  orvane_wine_prefix(wine_prefix64 ${CMAKE_BINARY_DIR}/wineprefix64 win64)
endif()
