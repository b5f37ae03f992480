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
endif()
