# What `cmake --install` puts where (GNUInstallDirs): both programs side by side in bin, because
# the front-end runs the converter found beside itself; read-only data in share/glyphmill, found
# by the programs relative to bin; the desktop integration where freedesktop.org expects it.

set(glyphmill_programs glyphmill)
foreach(program IN ITEMS rastix rastix-show)
    if(TARGET ${program})
        list(APPEND glyphmill_programs ${program})
    endif()
endforeach()
install(TARGETS ${glyphmill_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

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
    foreach(file IN ITEMS docs/man/rastix.1 docs/man/glyphmill.1 data/changelog)
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
    install(FILES ${CMAKE_BINARY_DIR}/compressed/rastix.1.gz
                  ${CMAKE_BINARY_DIR}/compressed/glyphmill.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_BINARY_DIR}/compressed/changelog.gz
            DESTINATION ${GLYPHMILL_INSTALL_DOCDIR})
endif()
