# Builds one of the toolchain's programs (rmac or rln) from its source folder, in a copy inside
# the build tree: the source folder may be read-only. A file of SHIM_DIR is added only where
# the source folder lacks it, so a complete folder builds as it is.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DPROGRAM=rmac [-DSHIM_DIR=...] -P buildtool.cmake
foreach(variable SOURCE_DIR BUILD_DIR PROGRAM)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "buildtool.cmake needs -D${variable}=...")
    endif()
endforeach()

# A fresh copy each time: make then rebuilds everything, from the sources as they are now.
file(REMOVE_RECURSE ${BUILD_DIR})
file(COPY ${SOURCE_DIR}/ DESTINATION ${BUILD_DIR})
if(DEFINED SHIM_DIR)
    file(GLOB shim_files RELATIVE ${SHIM_DIR} ${SHIM_DIR}/*)
    foreach(file IN LISTS shim_files)
        if(NOT EXISTS ${SOURCE_DIR}/${file})
            file(COPY ${SHIM_DIR}/${file} DESTINATION ${BUILD_DIR})
        endif()
    endforeach()
endif()

execute_process(COMMAND make -C ${BUILD_DIR} ${PROGRAM}
                OUTPUT_FILE ${BUILD_DIR}/make.log ERROR_FILE ${BUILD_DIR}/make.log
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(READ ${BUILD_DIR}/make.log log)
    message(FATAL_ERROR "${PROGRAM} did not build (${BUILD_DIR}/make.log):\n${log}")
endif()
