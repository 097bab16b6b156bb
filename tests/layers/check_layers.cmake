# Fails when an include goes against the layers (docs/ARCHITECTURE.md):
#   cmake -DSOURCE_DIR=<repository> -P check_layers.cmake
# - rastix/lib/ is standard C++: no Qt, no loader, no program; each of its folders includes only
#   itself and the folders of a lower rank below.
# - rastix/loaders/ does not include the program (rastix/app/).
# - src/core/ is standard C++: no Qt.
cmake_minimum_required(VERSION 3.25)

set(rank_settings.h 0)
set(rank_image 1)
set(rank_files 1)
set(rank_codec 2)
set(rank_palette 3)
set(rank_output 3)
set(rank_encode 4)
set(rank_cli 5)
set(rank_convert 6)

set(faults "")
function(fault file text)
    set(faults "${faults}\n  ${file}: ${text}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE lib_files RELATIVE ${SOURCE_DIR}/rastix/lib
     ${SOURCE_DIR}/rastix/lib/*.h ${SOURCE_DIR}/rastix/lib/*.cpp)
foreach(file IN LISTS lib_files)
    string(REGEX REPLACE "/.*" "" folder "${file}")
    if(NOT DEFINED rank_${folder})
        fault(rastix/lib/${file} "lies in a folder that has no place among the layers")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/rastix/lib/${file} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
        if(line MATCHES "<Q|\"Q[A-Za-z]*\"")
            fault(rastix/lib/${file} "includes Qt: ${line}")
        elseif(line MATCHES "\"(loaders|app)/")
            fault(rastix/lib/${file} "includes the loaders or the program: ${line}")
        elseif(line MATCHES "\"([a-z]+)/[^\"]+\"")
            set(used ${CMAKE_MATCH_1})
            if(NOT used STREQUAL folder)
                if(NOT DEFINED rank_${used})
                    fault(rastix/lib/${file} "includes an unknown folder: ${line}")
                elseif(NOT rank_${used} LESS rank_${folder})
                    fault(rastix/lib/${file} "${folder}/ may not include ${used}/: ${line}")
                endif()
            endif()
        endif()
    endforeach()
endforeach()

# Faults every file of the glob whose includes match the pattern.
function(forbid_includes glob pattern text)
    file(GLOB_RECURSE paths ${glob})
    foreach(path IN LISTS paths)
        file(STRINGS ${path} includes REGEX "^[ \t]*#[ \t]*include[ \t]*${pattern}")
        if(includes)
            fault(${path} "${text}: ${includes}")
        endif()
    endforeach()
    set(faults "${faults}" PARENT_SCOPE)
endfunction()

forbid_includes("${SOURCE_DIR}/rastix/loaders/*.[hc]*" "\"app/" "a loader includes the program")
forbid_includes("${SOURCE_DIR}/src/core/*.[hc]*" "<Q" "core includes Qt")

list(LENGTH lib_files checked)
if(checked LESS 40)
    fault(rastix/lib "only ${checked} files found: is SOURCE_DIR right?")
endif()
if(faults)
    message(FATAL_ERROR "includes against the layers:${faults}")
endif()
message(STATUS "${checked} files of rastix/lib follow the layers")
