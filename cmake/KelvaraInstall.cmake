# Install layout (GNUInstallDirs): the program and the simulator in bin, the
# two shared libraries in a private folder found through the RPATH, the data
# files in ${datadir}/kelvara, where the program looks when they are not next
# to it; the desktop entry, icons, AppStream metainfo, man pages and Debian
# documents in their standard places. Included after every subsystem, so the
# targets it installs exist. Test programs and benchmarks are not installed.

include(GNUInstallDirs)

# Private libraries go to <libdir>/kelvara, on Debian in the multiarch
# folder whatever the prefix (GNUInstallDirs picks it only for /usr): a
# private folder directly under /usr/lib would make CPack add ldconfig calls
# that a library outside the linker's search path does not need.
if(CMAKE_INSTALL_LIBDIR STREQUAL "lib" AND CMAKE_LIBRARY_ARCHITECTURE)
    set(KELVARA_INSTALL_PRIVATE_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/kelvara)
else()
    set(KELVARA_INSTALL_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/kelvara)
endif()
set(KELVARA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/kelvara)

# Relative to the executable, so the tree can be moved (DESTDIR, another
# prefix, a package unpacked anywhere) and still find its libraries.
file(RELATIVE_PATH _kelvara_bin_to_lib
    /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${KELVARA_INSTALL_PRIVATE_LIBDIR})
set(KELVARA_INSTALL_RPATH "$ORIGIN/${_kelvara_bin_to_lib}")

# kelvara_install_program(<target> [RENAME <name>]): installs a program of the
# package into bin with the RPATH that finds the private libraries.
function(kelvara_install_program target)
    cmake_parse_arguments(ARG "" "RENAME" "" ${ARGN})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${KELVARA_INSTALL_RPATH}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(ARG_RENAME)
        # install(TARGETS) has no RENAME; moving the file afterwards keeps
        # the RPATH rewriting and stripping it did.
        set(from "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>")
        set(to "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${ARG_RENAME}")
        install(CODE "file(RENAME \"${from}\" \"${to}\")")
    endif()
endfunction()

# kelvara_install_library(<target>): a shared library of the package, in the
# private folder (no development files: nothing outside the package links it).
function(kelvara_install_library target)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "")
    install(TARGETS ${target} LIBRARY DESTINATION ${KELVARA_INSTALL_PRIVATE_LIBDIR})
endfunction()

kelvara_install_library(Pellar)
kelvara_install_library(DuiLib)
kelvara_install_program(Kelvara)
kelvara_install_program(wmp_simulator RENAME kelvara-wmp-simulator)

# Data files. The label font is a copy of a Debian font in the build tree;
# installed, it is a link to that font, whose package the Debian package
# depends on (see KELVARA_LABEL_FONT_PACKAGE).
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/recording.png DESTINATION ${KELVARA_INSTALL_DATADIR})
install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${KELVARA_INSTALL_DATADIR}/fzht.ttf\")
    message(STATUS \"Installing: \${link} -> ${KELVARA_LABEL_FONT}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${KELVARA_LABEL_FONT}\" \"\${link}\" SYMBOLIC)")
if(KELVARA_LABEL_FONT MATCHES "wqy")
    set(KELVARA_LABEL_FONT_PACKAGE fonts-wqy-microhei)
else()
    set(KELVARA_LABEL_FONT_PACKAGE fonts-dejavu-core)
endif()

# Desktop integration.
set(_desktop_src ${CMAKE_SOURCE_DIR}/data/desktop)
install(FILES ${_desktop_src}/${KELVARA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_desktop_src}/${KELVARA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN LISTS KELVARA_ICON_SIZES)
    install(FILES ${KELVARA_DESKTOP_BUILD_DIR}/icons/${size}x${size}/${KELVARA_APP_ID}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${KELVARA_LOGO_SVG}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${KELVARA_APP_ID}.svg)
install(FILES ${KELVARA_DESKTOP_BUILD_DIR}/Kelvara.1.gz ${KELVARA_DESKTOP_BUILD_DIR}/kelvara-wmp-simulator.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_desktop_src}/copyright ${KELVARA_DESKTOP_BUILD_DIR}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kelvara)
