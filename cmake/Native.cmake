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
