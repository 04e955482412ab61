# The release archive built twice from the same sources, in another folder the second time,
# must come out the same byte for byte. The first comes from the build trees under test; the
# second from a copy of the sources, built from scratch by scripts/package.sh.
#   -DSOURCE=<project root> -DX86=<32-bit build tree> -DX64=<64-bit build tree>
#   -DEPOCH=<the time the installer was given> -DWORK=<scratch>
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" -DX86=${X86} -DX64=${X64} -DOUT=${WORK}/first
                        -P "${SOURCE}/cmake/Package.cmake"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(copy "${WORK}/second/sources")
file(COPY "${SOURCE}/" DESTINATION "${copy}"
     PATTERN "build" EXCLUDE PATTERN ".git" EXCLUDE)
execute_process(COMMAND bash scripts/package.sh WORKING_DIRECTORY "${copy}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scripts/package.sh failed (${status}):\n${output}")
endif()

file(GLOB first "${WORK}/first/*.zip")
file(GLOB second "${copy}/build/package/*.zip")
get_filename_component(name "${first}" NAME)
if(NOT EXISTS "${copy}/build/package/${name}")
  message(FATAL_ERROR "The second build made ${second}, not ${name}")
endif()
file(SHA256 "${first}" a)
file(SHA256 "${copy}/build/package/${name}" b)
if(NOT a STREQUAL b)
  string(REPLACE ".zip" "" folder "${name}")
  file(READ "${WORK}/first/${folder}/SHA256SUMS" sums_a)
  file(READ "${copy}/build/package/${folder}/SHA256SUMS" sums_b)
  message(FATAL_ERROR "${name} differs between the two builds.\nFirst:\n${sums_a}\nSecond:\n${sums_b}")
endif()
message(STATUS "${name}: ${a}, twice")
file(REMOVE_RECURSE "${WORK}")
