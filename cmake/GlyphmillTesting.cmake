# Paths handed to tests at build time are the build machine's. Tests of a Windows build run
# under Wine, which shows the build machine's root as drive Z:.
if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(GLYPHMILL_TEST_PATH_PREFIX "Z:")
else()
    set(GLYPHMILL_TEST_PATH_PREFIX "")
endif()

# On Windows the offscreen platform draws with the fonts of one folder (QT_QPA_FONTDIR), not the
# system's, and has none by default: text would be measured with no real font at all. Under Wine,
# hand it the build machine's DejaVu fonts, the family the program asks for.
set(GLYPHMILL_TEST_FONT_DIR "")
if(WIN32 AND CMAKE_CROSSCOMPILING AND EXISTS /usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf)
    set(GLYPHMILL_TEST_FONT_DIR "Z:/usr/share/fonts/truetype/dejavu")
endif()

# A static Qt links in only the system's own platform plugin; widget tests and the shots tool
# draw offscreen.
function(glyphmill_link_offscreen_platform target)
    get_target_property(qt_type Qt6::Core TYPE)
    if(qt_type STREQUAL "STATIC_LIBRARY")
        qt_import_plugins(${target} INCLUDE Qt6::QOffscreenIntegrationPlugin)
    endif()
endfunction()

# glyphmill_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One executable per test, run by CTest with the offscreen platform so widget tests need no display.
function(glyphmill_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} glyphmill_warnings)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    glyphmill_link_offscreen_platform(${name})
    add_test(NAME ${name} COMMAND ${name})
    set(environment "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
    if(WIN32 AND CMAKE_CROSSCOMPILING)
        # Wine drops QT_* and hands WINEQT_* to the program as QT_*.
        list(APPEND environment "WINEQT_QPA_PLATFORM=offscreen" "WINEQT_FORCE_STDERR_LOGGING=1")
        if(GLYPHMILL_TEST_FONT_DIR)
            list(APPEND environment "WINEQT_QPA_FONTDIR=${GLYPHMILL_TEST_FONT_DIR}")
        endif()
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300)
endfunction()
