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
