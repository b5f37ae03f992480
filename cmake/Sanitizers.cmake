# AddressSanitizer and UndefinedBehaviorSanitizer for every target, through the same INTERFACE
# target that carries the warnings. With DECKSHIFT_FUZZ the code is also instrumented for
# libFuzzer's coverage feedback (the fuzz targets themselves link -fsanitize=fuzzer).
option(DECKSHIFT_SANITIZE "Build with the sanitizers named in DECKSHIFT_SANITIZERS (AddressSanitizer and UndefinedBehaviorSanitizer unless set)" OFF)
# A long fuzzing campaign may also run a build with UndefinedBehaviorSanitizer alone, which is
# about one and a half times as fast where the code allocates much
# (-DDECKSHIFT_SANITIZERS=undefined).
set(DECKSHIFT_SANITIZERS "address,undefined" CACHE STRING "The sanitizers of a sanitizer or fuzz build")

add_library(deckshift_sanitizers INTERFACE)
if(DECKSHIFT_SANITIZE OR DECKSHIFT_FUZZ)
  if(MSVC)
    message(FATAL_ERROR "DECKSHIFT_SANITIZE needs GCC or Clang")
  endif()
  set(_deckshift_sanitizers ${DECKSHIFT_SANITIZERS})
  if(DECKSHIFT_FUZZ)
    set(_deckshift_sanitizers fuzzer-no-link,${_deckshift_sanitizers})
  endif()
  target_compile_options(deckshift_sanitizers INTERFACE
    -fsanitize=${_deckshift_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  target_link_options(deckshift_sanitizers INTERFACE -fsanitize=${DECKSHIFT_SANITIZERS})
endif()
target_link_libraries(deckshift_warnings INTERFACE deckshift_sanitizers)
