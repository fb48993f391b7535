# Helpers shared by the subsystem CMake files.

# orvia_add_subdirectories(ordered...): adds every direct sub-folder that has
# a CMakeLists.txt and was not added yet, the ones named first and then the
# rest alphabetically, so a new subsystem only needs its own folder.
function(orvia_add_subdirectories)
    set(ordered ${ARGN})
    file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child IN LISTS children)
        if(NOT child IN_LIST ordered)
            list(APPEND ordered ${child})
        endif()
    endforeach()
    get_property(added DIRECTORY PROPERTY SUBDIRECTORIES)
    foreach(child IN LISTS ordered)
        set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${child})
        if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt AND NOT dir IN_LIST added)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# orvia_library(NAME SOURCES files... [PUBLIC_DEPS targets...] [DEPS targets...]):
# the static library orvia_NAME, whose headers are included as
# "subsystem/.../header.h" from src/. DEPS are linked privately: their
# headers, definitions and include folders do not reach the library's users
# (the static link still follows them). PUBLIC_DEPS are the libraries a
# public header of this one includes. A library may use only libraries
# declared before it, so naming an orvia_* library that does not exist yet
# stops the configuration: that is how the layering is kept.
function(orvia_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;DEPS" ${ARGN})
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orvia_library(${name}): unexpected ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    foreach(dep IN LISTS ARG_PUBLIC_DEPS ARG_DEPS)
        if(dep MATCHES "^orvia_" AND NOT TARGET ${dep})
            message(FATAL_ERROR
                "orvia_${name} uses ${dep}, which is not declared before it: a library may use "
                "only the libraries declared earlier (see src/CMakeLists.txt for the order)")
        endif()
    endforeach()
    add_library(orvia_${name} STATIC ${ARG_SOURCES})
    target_include_directories(orvia_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(orvia_${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_DEPS})
endfunction()

# orvia_test([PART part] SOURCES files... DEPS targets... [PROPERTIES name
# value...]): one GoogleTest executable whose tests CTest discovers. Its name
# comes from its folder under tests/: tests/platform/sip gives
# orvia_platform_sip_tests, and with PART peers orvia_platform_sip_peers_tests
# (a second executable of the folder). PROPERTIES are CTest properties of
# every discovered test (a fixture they need, a longer timeout). The name is
# also left in ORVIA_TEST_TARGET for the caller.
function(orvia_test)
    cmake_parse_arguments(ARG "" "PART" "SOURCES;DEPS;PROPERTIES" ${ARGN})
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orvia_test: unexpected ${ARG_UNPARSED_ARGUMENTS} (the name "
                            "comes from the folder; a second executable takes PART)")
    endif()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    string(REPLACE "/" "_" name "orvia_${folder}")
    if(ARG_PART)
        string(APPEND name "_${ARG_PART}")
    endif()
    string(APPEND name "_tests")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} orvia_testsupport GTest::gtest
                                          GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "ORVIA_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
                                    ${ARG_PROPERTIES})
    set(ORVIA_TEST_TARGET ${name} PARENT_SCOPE)
endfunction()

# orvia_libraries(OUT): every library target of the build.
function(orvia_libraries out)
    set(dirs ${PROJECT_SOURCE_DIR})
    set(libraries)
    while(dirs)
        list(POP_FRONT dirs dir)
        get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(type MATCHES "_LIBRARY$")
                list(APPEND libraries ${target})
            endif()
        endforeach()
        get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
        list(APPEND dirs ${subdirs})
    endwhile()
    set(${out} ${libraries} PARENT_SCOPE)
endfunction()

# orvia_check_internal_headers(): stops the configuration when a header whose
# name ends in _p.h (internal to its library) is included by another
# library's source or by a public header. A library's folders are those of
# its sources; tests, benchmarks and fuzz targets are not checked.
function(orvia_check_internal_headers)
    orvia_libraries(libraries)
    foreach(library IN LISTS libraries)
        get_target_property(dir ${library} SOURCE_DIR)
        get_target_property(sources ${library} SOURCES)
        foreach(source IN LISTS sources)
            get_filename_component(path ${source} ABSOLUTE BASE_DIR ${dir})
            get_filename_component(folder ${path} DIRECTORY)
            if(folder MATCHES "^${PROJECT_SOURCE_DIR}/src/")
                set_property(GLOBAL PROPERTY "orvia_library_of:${folder}" ${library})
            endif()
        endforeach()
    endforeach()
    file(GLOB_RECURSE files ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} includes REGEX "^#include \"[^\"]+_p\\.h\"")
        if(NOT includes)
            continue()
        endif()
        get_filename_component(folder ${file} DIRECTORY)
        get_property(user GLOBAL PROPERTY "orvia_library_of:${folder}")
        file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${file})
        foreach(include IN LISTS includes)
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${include}")
            get_filename_component(headerFolder ${PROJECT_SOURCE_DIR}/src/${header} DIRECTORY)
            get_property(owner GLOBAL PROPERTY "orvia_library_of:${headerFolder}")
            if(NOT owner STREQUAL user)
                message(FATAL_ERROR "${shown} includes ${header}, which is internal to "
                                    "${owner}: use a public header of that library")
            endif()
            if(file MATCHES "\\.h$" AND NOT file MATCHES "_p\\.h$")
                message(FATAL_ERROR "${shown} is a public header and includes the internal "
                                    "${header}")
            endif()
        endforeach()
    endforeach()
endfunction()

# orvia_check_widgets_only_in_ui(): stops the configuration when a library
# outside src/ui (and the tests' own libraries) links Qt Widgets, directly or
# through the libraries it links. The program runs headless (/service) and
# must not need a display; the event loop uses QtCore only.
function(orvia_check_widgets_only_in_ui)
    orvia_libraries(libraries)
    foreach(library IN LISTS libraries)
        get_target_property(dir ${library} SOURCE_DIR)
        # The desktop UI and the tests (never part of the program) may.
        if(dir MATCHES "^${PROJECT_SOURCE_DIR}/(src/ui|tests)(/|$)")
            continue()
        endif()
        # Walk what the library links, through every target it reaches.
        set(pending ${library})
        set(seen)
        while(pending)
            list(POP_FRONT pending current)
            if(current IN_LIST seen)
                continue()
            endif()
            list(APPEND seen ${current})
            if(current MATCHES "^Qt[0-9]*::Widgets$")
                message(FATAL_ERROR "${library} links Qt Widgets (through ${current}); only the "
                                    "desktop UI's libraries in src/ui may")
            endif()
            if(NOT TARGET ${current})
                continue()
            endif()
            get_target_property(aliased ${current} ALIASED_TARGET)
            if(aliased)
                list(APPEND pending ${aliased})
                continue()
            endif()
            set(links)
            foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
                get_target_property(value ${current} ${property})
                if(value)
                    list(APPEND links ${value})
                endif()
            endforeach()
            foreach(link IN LISTS links)
                # $<LINK_ONLY:x> is how CMake records a private static dependency.
                string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
                if(NOT link MATCHES "^\\$<")
                    list(APPEND pending ${link})
                endif()
            endforeach()
        endwhile()
    endforeach()
endfunction()
