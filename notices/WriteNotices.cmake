# Writes THIRD_PARTY_NOTICES.txt for the binaries a release ships:
#   cmake "-DBINARIES=<name>=<link map>;..." -DTABLE=<LinkedArchives.txt> "-DROOTS=<dir>;..."
#         -DPRODUCT=<name and version> -DOUTPUT=<file> -P WriteNotices.cmake
# One section per Debian package whose files the link maps show, with that package's
# copyright file in full. A linked file that no row of the table matches stops the build:
# its package's licence has not been reviewed.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/LinkMap.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/NoticeFormat.cmake)

set(ORVANE_PROJECT_ROOTS ${ROOTS})
orvane_read_archive_table(${TABLE} table)

# Per package: the files linked and the binaries they went into.
set(packages)
foreach(binary IN LISTS BINARIES)
  string(REGEX REPLACE "=.*" "" name "${binary}")
  string(REGEX REPLACE "^[^=]*=" "" map "${binary}")
  orvane_linked_outside(${map} linked)
  foreach(file IN LISTS linked)
    orvane_package_of(table "${file}" package)
    if(package STREQUAL "")
      message(FATAL_ERROR "${name} links ${file}, which ${TABLE} does not list. Find its "
                          "package (dpkg -S), review that package's licence and add a row.")
    endif()
    string(MAKE_C_IDENTIFIER "${package}" id)
    list(APPEND packages ${package})
    list(APPEND files_${id} ${file})
    list(APPEND binaries_${id} ${name})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES packages)
list(SORT packages)

set(text "Third-party notices for ${PRODUCT}

The binaries of this release contain code that the compiler links in statically: the
start-up code and runtime of mingw-w64 and GCC's support libraries. Each section below
names a Debian package that this code was built from, the files of it that were linked and
the binaries they went into, followed by the package's copyright file
(/usr/share/doc/<package>/copyright) in full.
")
foreach(package IN LISTS packages)
  string(MAKE_C_IDENTIFIER "${package}" id)
  list(REMOVE_DUPLICATES files_${id})
  list(SORT files_${id})
  list(REMOVE_DUPLICATES binaries_${id})
  execute_process(COMMAND dpkg-query -W -f=\${Version} ${package}
                  OUTPUT_VARIABLE version RESULT_VARIABLE status ERROR_QUIET)
  set(copyright /usr/share/doc/${package}/copyright)
  if(NOT status EQUAL 0 OR NOT EXISTS ${copyright})
    message(FATAL_ERROR "${package} is not installed, or has no ${copyright}")
  endif()
  file(READ ${copyright} body)
  list(JOIN binaries_${id} ", " into)
  list(JOIN files_${id} "\n  " linked)
  string(APPEND text "\n${ORVANE_NOTICE_RULE}\nPackage: ${package} ${version}\n"
                     "Linked into: ${into}\nFiles:\n  ${linked}\n${ORVANE_NOTICE_RULE}\n\n${body}")
endforeach()
file(WRITE ${OUTPUT} "${text}")
