# Every target of the project links this, so warnings and sanitizers are set in one place.
# Warnings stop the build only when asked: our own scripts and CI do, while a packager's or a
# newer compiler's fresh warning must not break a build from the release tarball.
option(GLYPHMILL_WERROR "Treat compiler warnings as errors" OFF)

add_library(glyphmill_warnings INTERFACE)
if(MSVC)
    target_compile_options(glyphmill_warnings INTERFACE /W4 /permissive- /Zc:__cplusplus
                           $<$<BOOL:${GLYPHMILL_WERROR}>:/WX>)
    target_compile_definitions(glyphmill_warnings INTERFACE NOMINMAX)
else()
    target_compile_options(glyphmill_warnings INTERFACE
        -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wpedantic
        $<$<BOOL:${GLYPHMILL_WERROR}>:-Werror>)
endif()
target_compile_definitions(glyphmill_warnings INTERFACE QT_NO_FOREACH QT_NO_URL_CAST_FROM_STRING)
# Sized operator delete is standard C++ since C++14, but Clang before 19 leaves it out unless
# asked (GCC has it on).
target_compile_options(glyphmill_warnings INTERFACE
    $<$<CXX_COMPILER_ID:Clang,AppleClang>:-fsized-deallocation>)

if(GLYPHMILL_SANITIZE)
    target_compile_options(glyphmill_warnings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(glyphmill_warnings INTERFACE -fsanitize=address,undefined)
endif()

# Coverage-guided fuzzing (docs/FUZZING.md): every target is built with libFuzzer's coverage
# instrumentation and the sanitizers, so that the fuzzer sees which paths an input takes through
# rastix and any fault on them stops it; the fuzz_* programs link libFuzzer itself.
if(GLYPHMILL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "GLYPHMILL_FUZZ needs Clang (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    if(NOT BUILD_TESTING)
        message(FATAL_ERROR "GLYPHMILL_FUZZ needs BUILD_TESTING: the targets live under tests/")
    endif()
    target_compile_options(glyphmill_warnings INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    target_link_options(glyphmill_warnings INTERFACE -fsanitize=address,undefined)
endif()
