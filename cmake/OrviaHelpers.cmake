# Helpers shared by the subsystem CMake files.

# orvia_add_subdirectories(): adds every direct sub-folder that has a
# CMakeLists.txt, in the order given first and then alphabetically, so a new
# subsystem only needs its own folder.
function(orvia_add_subdirectories)
    set(ordered ${ARGN})
    file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child IN LISTS children)
        if(NOT child IN_LIST ordered)
            list(APPEND ordered ${child})
        endif()
    endforeach()
    foreach(child IN LISTS ordered)
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# orvia_library(NAME sources... DEPS targets...): the static library of one
# subsystem, target orvia_NAME, whose public headers are included as
# "NAME/header.h" from src/.
function(orvia_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(orvia_${name} STATIC ${ARG_SOURCES})
    target_include_directories(orvia_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(orvia_${name} PUBLIC ${ARG_DEPS})
endfunction()

# orvia_test(NAME sources... DEPS targets...): one GoogleTest executable whose
# tests CTest discovers. Tests find their fixtures under ORVIA_TEST_DATA.
function(orvia_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} orvia_testsupport GTest::gtest
                                          GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "ORVIA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
