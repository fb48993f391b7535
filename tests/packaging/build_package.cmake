# Builds the Debian package for the package tests as `make package` does: a
# Release build without tests in BUILD_DIR (configured for /usr), then CPack.
# CTest runs it (cmake -P) as the setup of the package tests, once per test
# run; the build folder stays, so a later run rebuilds only what changed.
#
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DGENERATOR=... -DCXX_COMPILER=...
#         -DC_COMPILER=... -DCPACK=... -DJOBS=... -P build_package.cmake
foreach(tool dpkg-deb dpkg-shlibdeps)
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
        message("skipped: ${tool} is missing (Debian package dpkg-dev; scripts/install-deps "
                "installs it)")
        return()
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "failed (${failed}): ${ARGN}")
    endif()
endfunction()

file(MAKE_DIRECTORY ${BUILD_DIR})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release
    -DORVIA_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_C_COMPILER=${C_COMPILER}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
run(${CMAKE_COMMAND} --build ${BUILD_DIR} --parallel ${JOBS})
file(GLOB old ${BUILD_DIR}/*.deb)
if(old)
    file(REMOVE ${old})
endif()
run(${CPACK} -G DEB)
