# Cross-compiling with Debian's LLVM (clang, lld, llvm-windres, llvm-dlltool). Included by the
# per-target toolchain files, which set ORVANE_TRIPLE and ORVANE_PROCESSOR first. The headers
# are mingw-w64's and, for C++, those of the target's mingw-w64 GCC's standard library (the
# x64 one's for arm64, which has none), of which the product uses only parts that are headers
# alone; programs link GCC's runtime where the target has one. The shipped DLL links no C
# runtime at all (LlvmDll.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORVANE_PROCESSOR})
set(ORVANE_TOOLCHAIN llvm)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${ORVANE_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${ORVANE_TRIPLE})
# Debian keeps llvm-windres only in LLVM's own folder, which llvm-config names.
execute_process(COMMAND llvm-config --bindir OUTPUT_VARIABLE llvm_bindir
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
find_program(CMAKE_RC_COMPILER llvm-windres HINTS ${llvm_bindir} NO_DEFAULT_PATH REQUIRED)
find_program(CMAKE_AR llvm-ar HINTS ${llvm_bindir} REQUIRED)
find_program(CMAKE_RANLIB llvm-ranlib HINTS ${llvm_bindir} REQUIRED)
find_program(CMAKE_OBJDUMP llvm-objdump HINTS ${llvm_bindir} REQUIRED)
find_program(ORVANE_READOBJ llvm-readobj HINTS ${llvm_bindir} REQUIRED)
find_program(ORVANE_DLLTOOL llvm-dlltool HINTS ${llvm_bindir} REQUIRED)
find_program(ORVANE_PDBUTIL llvm-pdbutil HINTS ${llvm_bindir} REQUIRED)
find_program(ORVANE_SYMBOLIZER llvm-symbolizer HINTS ${llvm_bindir} REQUIRED)
find_program(ORVANE_NM llvm-nm HINTS ${llvm_bindir} REQUIRED)
# The IDL's outputs are the same for every target.
set(ORVANE_WIDL x86_64-w64-mingw32-widl CACHE FILEPATH "IDL compiler")
set(ORVANE_WRITER_CXX x86_64-w64-mingw32-g++-win32 CACHE FILEPATH "Compiler of the type-library writer")

# GCC's folder (libstdc++, libgcc) as the target's mingw-w64 GCC reports it, whatever its version.
set(gcc_triple ${ORVANE_TRIPLE})
if(ORVANE_TRIPLE STREQUAL aarch64-w64-mingw32)
  set(gcc_triple x86_64-w64-mingw32)
endif()
execute_process(COMMAND ${gcc_triple}-g++-win32 -print-libgcc-file-name
                OUTPUT_VARIABLE gcc_lib OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(gcc_dir ${gcc_lib} DIRECTORY)
set(cxx_headers ${gcc_dir}/include/c++)
set(mingw_headers /usr/share/mingw-w64/include)
# Only these headers: clang would otherwise also search the host's /usr/include.
set(CMAKE_C_FLAGS_INIT "-nostdlibinc -idirafter ${mingw_headers}")
set(CMAKE_CXX_FLAGS_INIT "-nostdlibinc -isystem ${cxx_headers} -isystem ${cxx_headers}/${gcc_triple} -isystem ${cxx_headers}/backward -idirafter ${mingw_headers}")
set(CMAKE_RC_FLAGS_INIT "--target=${ORVANE_TRIPLE} -I ${mingw_headers}")
foreach(kind EXE SHARED MODULE)
  # The compile flags above are also on the command lines that link.
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -Wno-unused-command-line-argument")
endforeach()
if(gcc_triple STREQUAL ORVANE_TRIPLE)
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -L${gcc_dir}")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -L${gcc_dir}")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
