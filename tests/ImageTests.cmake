# The arm64 DLL, read without running it: its machine, exports, imports and resources, the
# last two against the x64 DLL of ORVANE_X64_BUILD (its start-up sections and thread-local
# storage are checked as it links).
add_test(NAME Shipped.Arm64Image
         COMMAND ${CMAKE_COMMAND} -DREADOBJ=${ORVANE_READOBJ} -DDLL=$<TARGET_FILE:Orvane>
                 -DREFERENCE=${ORVANE_X64_BUILD}/bin/Orvane.dll
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/Arm64Image.cmake)
