# The release version's checks and what it gives the version resource.
#   cmake -DMODULE=<cmake/PackageVersion.cmake> -P PackageVersion.cmake
# Run with -DONLY=<version> as well, it just checks that one version (exit non-zero when refused).
cmake_minimum_required(VERSION 3.25)
include(${MODULE})

if(DEFINED ONLY)
  orvane_package_version("${ONLY}" checked)
  return()
endif()

# version | four fields | text
set(accepted
  "1.0|1,0,0,0|1.00"
  "1.0.1|1,0,1,0|1.00.1"
  "1.12|1,12,0,0|1.12"
  "2.5.300.7|2,5,300,7|2.05.300.7"
  "0.0|0,0,0,0|0.00"
  "255.255.65535.65535|255,255,65535,65535|255.255.65535.65535")
foreach(row IN LISTS accepted)
  string(REPLACE "|" ";" parts "${row}")
  list(GET parts 0 version)
  list(GET parts 1 fields)
  list(GET parts 2 text)
  orvane_package_version(${version} got)
  string(REPLACE ";" "," got_FIELDS "${got_FIELDS}")
  if(NOT got_FIELDS STREQUAL fields OR NOT got_TEXT STREQUAL text)
    message(FATAL_ERROR "${version} gave ${got_FIELDS} \"${got_TEXT}\", expected ${fields} \"${text}\"")
  endif()
endforeach()

# One number, five, a letter, a leading zero, an empty field, and each field past its limit.
set(refused "" "1" "1.0.0.0.0" "1.x" "01.0" "1..0" "1.0." " 1.0" "1.-1"
            "256.0" "1.256" "1.0.65536" "1.0.0.65536")
foreach(version IN LISTS refused)
  execute_process(COMMAND ${CMAKE_COMMAND} -DMODULE=${MODULE} "-DONLY=${version}"
                          -P ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
  if(status EQUAL 0)
    message(FATAL_ERROR "\"${version}\" was taken as a release version")
  endif()
  if(NOT err MATCHES "Release version")
    message(FATAL_ERROR "\"${version}\" was refused for another reason:\n${err}")
  endif()
endforeach()
list(LENGTH accepted good)
list(LENGTH refused bad)
message(STATUS "${good} versions taken, ${bad} refused")
