# Stages the install the install tests check, from an already built tree:
#   cmake -DBUILD_DIR=... -DSTAGE=... -DMODE=package|destdir -P StageInstall.cmake
# package: the Debian package, made by CPack into ${STAGE}/package.
# destdir: a DESTDIR install under /usr into ${STAGE}/root (sanitizer builds,
#          whose programs are not meant to be packaged).
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
if(MODE STREQUAL "package")
    execute_process(
        COMMAND ${CMAKE_CPACK_COMMAND} -G DEB -B ${STAGE}/package --config ${BUILD_DIR}/CPackConfig.cmake
        WORKING_DIRECTORY ${BUILD_DIR}
        RESULT_VARIABLE result)
    # CPack's working folder is not part of what is checked.
    file(REMOVE_RECURSE ${STAGE}/package/_CPack_Packages)
else()
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}/root
                ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
        RESULT_VARIABLE result)
endif()
if(NOT result EQUAL 0)
    message(FATAL_ERROR "staging the install failed: ${result}")
endif()
