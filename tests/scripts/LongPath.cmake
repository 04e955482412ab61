# cmake -DRUN=<wine command> -DBIN=<folder of Orvane.dll> -DEXAMPLES=<folder> -DDIR=<scratch folder>
#       -P LongPath.cmake
# Orvane.dll in a folder whose path is longer than MAX_PATH: regsvr32 registers it, a script
# creates it by ProgID and calls it, regsvr32 unregisters it. The folder goes when all is
# well.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)

# Wine shows the Unix root as drive Z: (its winepath cuts long paths at MAX_PATH).
file(REMOVE_RECURSE ${DIR})
set(folder ${DIR})
set(length 0)
while(length LESS_EQUAL 260)
  string(APPEND folder "/a folder with a name long enough to need few of them")
  string(REPLACE "/" "\\" windows "Z:${folder}")
  string(LENGTH "${windows}" length)
endwhile()
file(MAKE_DIRECTORY ${folder})
file(COPY ${BIN}/Orvane.dll DESTINATION ${folder})
set(dll "${windows}\\Orvane.dll")
message(STATUS "${dll}: ${length} characters to the folder")

run(ignored 0 RUN ${BIN} regsvr32 /s ${dll})
set(keys "HKEY_LOCAL_MACHINE\\SOFTWARE" "HKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key" "HKEY_NOWHERE\\X")
set(answers "HKEY_LOCAL_MACHINE\\SOFTWARE: True\nHKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key: False\nHKEY_NOWHERE\\X: False\n")
foreach(client KeyExist.vbs KeyExist.js)
  run(out 0 RUN ${EXAMPLES} cscript //nologo ${client} ${keys})
  expect("${client} from the long path" "${out}" "${answers}")
endforeach()
run(ignored 0 RUN ${BIN} regsvr32 /s /u ${dll})
expect_not_creatable(RUN KeyExist.vbs)
file(REMOVE_RECURSE ${DIR})
