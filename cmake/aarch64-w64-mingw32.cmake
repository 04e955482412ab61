# Debian has no C runtime for arm64 Windows: only the DLL is built, its type library taken
# from the x64 build (ORVANE_X64_BUILD). The build runs no arm64 program; the tests run the DLL
# under Debian's arm64 Wine through qemu-user where ORVANE_ARM64_ROOT holds that tree.
set(ORVANE_TRIPLE aarch64-w64-mingw32)
set(ORVANE_PROCESSOR ARM64)
set(ORVANE_DLLTOOL_MACHINE arm64)
set(ORVANE_NO_C_RUNTIME ON)
include(${CMAKE_CURRENT_LIST_DIR}/llvm-mingw.cmake)
# Executables cannot be linked: the compiler checks make static libraries. No system
# libraries by default: the DLL names its own (LlvmDll.cmake).
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_C_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")
