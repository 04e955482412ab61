# The tests that load Orvane.dll: the server tests' cases and the clients we did not write
# (regsvr32, the script hosts, the registration-free client, README's examples). They run
# against this build's DLL and, with this build's programs, against each DLL that
# ORVANE_OTHER_DLLS names: the same DLL built by another toolchain for this architecture.

# orvane_dll_tests(PREFIX <name prefix> PROGRAM <server tests> BIN <folder> DLL <file>
#                  MANIFEST <file> CLIENT <file> WORK <scratch> FILTER <gtest filter>
#                  [PROPERTIES <test properties>...])
# BIN holds the DLL with the helper programs the script tests run (ProgIdOfClass.exe,
# TypeLibNames.exe); PROGRAM runs from beside the DLL; MANIFEST is the component's manifest,
# CLIENT the registration-free client.
function(orvane_dll_tests)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "PREFIX;PROGRAM;BIN;DLL;MANIFEST;CLIENT;WORK;FILTER"
                        "PROPERTIES")
  set(p "${arg_PREFIX}")
  gtest_discover_tests(${arg_PROGRAM} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    TEST_PREFIX "${p}" TEST_FILTER "${arg_FILTER}" PROPERTIES ${no_display} ${arg_PROPERTIES})
  # Ten thousand loads of the DLL take a while under Wine's loader.
  add_test(NAME ${p}LoadCycles COMMAND ${arg_PROGRAM} --gtest_filter=LoadCycles.*)
  set_tests_properties(${p}LoadCycles PROPERTIES TIMEOUT 600 ${no_display})
  add_test(NAME ${p}ServerWindow COMMAND ${arg_PROGRAM} --gtest_filter=*Window*)
  set_tests_properties(${p}ServerWindow PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")

  # Clients we did not write: regsvr32 and the script host, against the registered DLL. Each
  # script test runs all its Wine programs in the one prefix of its own.
  set(scripts ${CMAKE_CURRENT_SOURCE_DIR}/scripts)
  add_test(NAME ${p}ScriptClients
           COMMAND ${own} ${CMAKE_COMMAND} "-DRUN=${run}" -DBIN=${arg_BIN}
                   -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples -DCASES=${scripts}
                   ${identity} -P ${scripts}/ScriptClients.cmake)
  add_test(NAME ${p}Regsvr32
           COMMAND ${own} ${CMAKE_COMMAND} "-DRUN=${run}" -DBIN=${arg_BIN}
                   -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples -DWORK=${arg_WORK}/regsvr32
                   ${identity} -P ${scripts}/Regsvr32.cmake)

  # The DLL in a folder deeper than MAX_PATH, registered and created by ProgID from a script.
  add_test(NAME ${p}LongPath
           COMMAND ${own} ${CMAKE_COMMAND} "-DRUN=${run}" -DBIN=${arg_BIN}
                   -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples -DDIR=${arg_WORK}/longpath
                   -P ${scripts}/LongPath.cmake)

  # The registration-free client in a folder of its own with the DLL and the component's
  # manifest, as they ship.
  add_test(NAME ${p}RegFreeClient
           COMMAND ${own} ${CMAKE_COMMAND} "-DRUN=${run}" -DDIR=${arg_WORK}/regfree
                   "-DFILES=${arg_CLIENT};${arg_DLL};${arg_MANIFEST}"
                   -DCLSID=${ORVANE_CLSID_TEXT} -DPROGID=${ORVANE_PROGID}
                   -P ${scripts}/RegFreeClient.cmake)

  # README.md's examples for this architecture, from its own text.
  add_test(NAME ${p}ReadmeExamples
           COMMAND ${own} ${CMAKE_COMMAND} "-DRUN=${run}" -DARCH=${ORVANE_ARCH} -DREADME=${CMAKE_SOURCE_DIR}/README.md
                   -DBIN=${arg_BIN} -DMANIFEST=${arg_MANIFEST}
                   -DHEADERS=$<TARGET_PROPERTY:orvane_idl,ORVANE_GENERATED>
                   -DDIR=${arg_WORK}/readme
                   -P ${scripts}/ReadmeExamples.cmake)
  set_tests_properties(${p}ScriptClients ${p}Regsvr32 ${p}LongPath ${p}RegFreeClient
                       ${p}ReadmeExamples PROPERTIES ${no_display})
  if(arg_PROPERTIES)
    set_tests_properties(${p}LoadCycles ${p}ServerWindow ${p}ScriptClients ${p}Regsvr32
                         ${p}LongPath ${p}RegFreeClient ${p}ReadmeExamples
                         PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()

set(server_suites "-*Window*:LoadCycles.*:PeerTypeLibrary.*:Volumes.*:SameFileOnVolumes.*")
orvane_dll_tests(PROGRAM server_tests BIN $<TARGET_FILE_DIR:Orvane> DLL $<TARGET_FILE:Orvane>
                 MANIFEST $<TARGET_PROPERTY:Orvane,ORVANE_MANIFEST> CLIENT $<TARGET_FILE:RegFreeClient>
                 WORK ${CMAKE_CURRENT_BINARY_DIR} FILTER ${server_suites})

# Another build's DLL of this architecture, NAME=FOLDER: its tests are named NAME.<test>. This
# build's programs are copied into with-NAME/ as they are built, and the DLL and its manifest
# from FOLDER as the tests start (the fixture NAME.Stage), so that either build may be made
# first. The server tests' suites that test the server's parts linked into the program
# itself, not the DLL, do not run again.
set(ORVANE_OTHER_DLLS "" CACHE STRING
    "Other builds' Orvane.dll of this architecture to run the tests that load the DLL against, as NAME=FOLDER items")
set(in_program TextTemplate.*:RegistryEntries.*:RegistrationMemory.*:Creation.*)
set(manifest ${ORVANE_ASSEMBLY_NAME}.manifest)
set(helpers server_tests ProgIdOfClass TypeLibNames RegFreeClient)
foreach(other IN LISTS ORVANE_OTHER_DLLS)
  if(NOT other MATCHES "^([A-Za-z0-9_-]+)=(.+)$")
    message(FATAL_ERROR "ORVANE_OTHER_DLLS: \"${other}\" is not NAME=FOLDER")
  endif()
  set(name ${CMAKE_MATCH_1})
  cmake_path(ABSOLUTE_PATH CMAKE_MATCH_2 NORMALIZE OUTPUT_VARIABLE from)
  if(from STREQUAL CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    message(FATAL_ERROR "ORVANE_OTHER_DLLS: ${name} names this build's own folder")
  endif()
  set(stage ${CMAKE_BINARY_DIR}/with-${name})
  set(copies)
  set(files)
  foreach(helper IN LISTS helpers)
    list(APPEND copies ${stage}/${helper}.exe)
    list(APPEND files $<TARGET_FILE:${helper}>)
  endforeach()
  add_custom_command(OUTPUT ${copies}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
                     COMMAND ${CMAKE_COMMAND} -E copy ${files} ${stage}
                     DEPENDS ${helpers}
                     COMMENT "Copying the test programs into with-${name}"
                     VERBATIM)
  add_custom_target(with_${name} ALL DEPENDS ${copies})

  add_test(NAME ${name}.Stage
           COMMAND ${CMAKE_COMMAND} -E copy ${from}/Orvane.dll ${from}/${manifest} ${stage})
  set_tests_properties(${name}.Stage PROPERTIES FIXTURES_SETUP with_${name})
  add_executable(server_tests_${name} IMPORTED)
  set_target_properties(server_tests_${name} PROPERTIES IMPORTED_LOCATION ${stage}/server_tests.exe
                        CROSSCOMPILING_EMULATOR "${CMAKE_CROSSCOMPILING_EMULATOR}")
  orvane_dll_tests(PREFIX ${name}. PROGRAM server_tests_${name} BIN ${stage}
                   DLL ${stage}/Orvane.dll MANIFEST ${stage}/${manifest}
                   CLIENT ${stage}/RegFreeClient.exe WORK ${CMAKE_CURRENT_BINARY_DIR}/${name}
                   FILTER ${server_suites}:${in_program}
                   PROPERTIES FIXTURES_REQUIRED with_${name})
endforeach()
