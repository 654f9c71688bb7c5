# The sound must be plain IEEE single-precision arithmetic on any x86-64:
# no fused multiply-add contraction, no fast-math, no host-specific ISA.
add_compile_options(-ffp-contract=off -fno-fast-math)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra)
endif()
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g -DNDEBUG" CACHE STRING "" FORCE)

option(KIV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KIV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
option(KIV_TSAN "Build with ThreadSanitizer" OFF)
if(KIV_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
# A tree for the state reader's fuzzer (clang only): everything gets the fuzzer's coverage
# instrumentation with AddressSanitizer and UndefinedBehaviorSanitizer, and tests/fuzz adds
# the fuzzer target, which alone links libFuzzer's main. Undefined behaviour stays recoverable
# here so that tests/fuzz/ubsan.supp can name the framework's own cases; run with
# UBSAN_OPTIONS=halt_on_error=1 so that every other case ends the run.
option(KIV_FUZZ "Build the libFuzzer target of the state reader (clang)" OFF)
if(KIV_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "KIV_FUZZ needs clang (configure with CC=clang CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
