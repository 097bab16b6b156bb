# What `cmake --install` puts where (GNUInstallDirs): both programs side by side in bin, because
# the front-end runs the converter found beside itself; read-only data in share/glyphmill, found
# by the programs relative to bin; the desktop integration where freedesktop.org expects it.

set(glyphmill_programs glyphmill)
if(TARGET rastix)
    list(APPEND glyphmill_programs rastix)
endif()
install(TARGETS ${glyphmill_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# rastix-show (a script) finds the display cartridge's sources in share/glyphmill/console.
if(UNIX AND TARGET rastix AND EXISTS ${PROJECT_SOURCE_DIR}/rastix/console/rastix-show)
    install(PROGRAMS ${PROJECT_SOURCE_DIR}/rastix/console/rastix-show
            DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/rastix/console/display.s
                  ${PROJECT_SOURCE_DIR}/rastix/console/cartridge.ld
                  ${PROJECT_SOURCE_DIR}/rastix/console/cartridge.cmake
            DESTINATION ${GLYPHMILL_INSTALL_DATADIR}/console)
    set(GLYPHMILL_INSTALLS_RASTIX_SHOW ON)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/cursors/ DESTINATION ${GLYPHMILL_INSTALL_DATADIR}/cursors
        FILES_MATCHING PATTERN "*.cur")
# The pictures the README's first conversion uses.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/ DESTINATION ${GLYPHMILL_INSTALL_DATADIR}/samples)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${GLYPHMILL_INSTALL_DOCDIR})

if(UNIX AND NOT APPLE)
    set(GLYPHMILL_APP_ID org.glyphmill.Glyphmill)
    install(FILES ${PROJECT_SOURCE_DIR}/data/${GLYPHMILL_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/data/${GLYPHMILL_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/glyphmill.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size IN ITEMS 16 24 32 48 64 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/png/glyphmill-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME glyphmill.png)
    endforeach()

    # Manual pages and the changelog go in compressed, as Debian policy asks (gzip -n: no name
    # or time stamp, so the package is reproducible); man reads them either way.
    find_program(GLYPHMILL_GZIP gzip REQUIRED)
    set(glyphmill_gz)
    set(glyphmill_pages rastix.1 glyphmill.1)
    if(GLYPHMILL_INSTALLS_RASTIX_SHOW)
        list(APPEND glyphmill_pages rastix-show.1)
    endif()
    set(glyphmill_pages_gz ${glyphmill_pages})
    list(TRANSFORM glyphmill_pages_gz PREPEND ${CMAKE_BINARY_DIR}/compressed/)
    list(TRANSFORM glyphmill_pages_gz APPEND .gz)
    list(TRANSFORM glyphmill_pages PREPEND docs/man/)
    foreach(file IN LISTS glyphmill_pages ITEMS data/changelog)
        get_filename_component(name ${file} NAME)
        set(compressed ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
        add_custom_command(OUTPUT ${compressed}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/compressed
            COMMAND ${GLYPHMILL_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/${file} > ${compressed}
            DEPENDS ${PROJECT_SOURCE_DIR}/${file}
            COMMENT "Compressing ${file}")
        list(APPEND glyphmill_gz ${compressed})
    endforeach()
    add_custom_target(glyphmill_compressed_docs ALL DEPENDS ${glyphmill_gz})
    install(FILES ${glyphmill_pages_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_BINARY_DIR}/compressed/changelog.gz
            DESTINATION ${GLYPHMILL_INSTALL_DOCDIR})
endif()
