# Cross-compiling with Debian's mingw-w64. Included by the per-target toolchain files, which
# set ORVANE_TRIPLE and ORVANE_PROCESSOR first. The -win32 compilers: their thread model links
# no threads library, which would take a thread-local storage slot on every load of the DLL
# and never give it back.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORVANE_PROCESSOR})

set(CMAKE_C_COMPILER   ${ORVANE_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${ORVANE_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${ORVANE_TRIPLE}-windres)
set(ORVANE_WIDL        ${ORVANE_TRIPLE}-widl CACHE FILEPATH "IDL compiler")
# The type library is written by a 64-bit program whatever the target (Component/).
set(ORVANE_WRITER_CXX  x86_64-w64-mingw32-g++-win32 CACHE FILEPATH "Compiler of the type-library writer")

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
