# cmake -DRUN32=<32-bit wine command> -DRUN64=<64-bit wine command> -DBIN32=<folder>
#       -DBIN64=<folder> -DEXAMPLES=<folder> -P BothArchitectures.cmake
# Both builds of Orvane.dll registered in one 64-bit prefix: each script host reaches its
# own, and unregistering either one, in either order, leaves the other working.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/ClientSteps.cmake)

set(key "HKEY_LOCAL_MACHINE\\SOFTWARE")
function(expect_working runner)
  foreach(client KeyExist.vbs KeyExist.js)
    run(out 0 ${runner} ${EXAMPLES} cscript //nologo ${client} ${key})
    expect("${client} (${runner})" "${out}" "${key}: True\n")
  endforeach()
endfunction()
function(expect_gone runner)
  expect_not_creatable(${runner} KeyExist.vbs)
  expect_not_creatable(${runner} KeyExist.js)
endfunction()

foreach(first 32 64)
  if(first STREQUAL 32)
    set(second 64)
  else()
    set(second 32)
  endif()
  run(ignored 0 RUN32 ${BIN32} regsvr32 /s Orvane.dll)
  run(ignored 0 RUN64 ${BIN64} regsvr32 /s Orvane.dll)
  expect_working(RUN32)
  expect_working(RUN64)

  run(ignored 0 RUN${first} ${BIN${first}} regsvr32 /s /u Orvane.dll)
  expect_gone(RUN${first})
  expect_working(RUN${second})

  run(ignored 0 RUN${second} ${BIN${second}} regsvr32 /s /u Orvane.dll)
  expect_gone(RUN${second})
endforeach()

# Nothing of either registration is left behind.
foreach(key "Orvane.clsRegistry" "Orvane.clsRegistry.1" "TypeLib\\{6483FCF5-565D-49BF-BDBE-3E1CBE683778}"
            "CLSID\\{AFE282F4-9F47-4915-A824-A5D355766B51}"
            "Interface\\{8139D8C3-D30D-419C-B79F-7B75E11F7050}")
  foreach(runner RUN32 RUN64)
    run(ignored 1 ${runner} ${BIN64} reg query "HKLM\\Software\\Classes\\${key}")
  endforeach()
endforeach()
message(STATUS "no registration left in either view")
