# Warnings every target of the project is built with.
add_library(deckshift_warnings INTERFACE)
if(MSVC)
  target_compile_options(deckshift_warnings INTERFACE /W4)
  if(DECKSHIFT_WERROR)
    target_compile_options(deckshift_warnings INTERFACE /WX)
  endif()
else()
  target_compile_options(deckshift_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
  if(DECKSHIFT_WERROR)
    target_compile_options(deckshift_warnings INTERFACE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 inlines std::string's append deeply enough at -O3 to warn of a __builtin_memcpy of
    # 2^63 bytes that may overlap, on code that copies nothing of the kind (GCC bug 105329, mended
    # in GCC 13). The warning is left off for that compiler alone.
    target_compile_options(deckshift_warnings INTERFACE -Wno-restrict)
  endif()
endif()
