# The host build of the portable rules: Debian's clang with AddressSanitizer and UBSan, where
# any undefined behaviour ends the run.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
add_compile_options(-Wall -Wextra -Werror)
option(ORVANE_SANITIZE "Build with AddressSanitizer and UBSan" ON)
if(ORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz target needs clang; everything it links is instrumented for libFuzzer's guidance
# (harmless elsewhere: the sanitizer runtime answers the hooks when libFuzzer is absent).
include(CMakeDependentOption)
cmake_dependent_option(ORVANE_FUZZ "Build the libFuzzer target" ON
                       "CMAKE_CXX_COMPILER_ID STREQUAL Clang;ORVANE_SANITIZE" OFF)
if(ORVANE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Clang's source-based coverage, for scripts/coverage.sh.
option(ORVANE_COVERAGE "Instrument for clang's source-based coverage" OFF)
if(ORVANE_COVERAGE)
  add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
  add_link_options(-fprofile-instr-generate)
endif()
