# Third-party libraries, found once and exposed as imported targets.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(SFML 2.5 REQUIRED COMPONENTS graphics window system)
find_package(OpenCV REQUIRED COMPONENTS core imgproc imgcodecs)
find_package(pugixml REQUIRED)
# libzip's CMake package on Debian 12 references tools that are not installed.
find_package(X11 REQUIRED)
find_package(nlohmann_json REQUIRED)

pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(TIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)

# libyuv ships no pkg-config file on Debian.
find_path(LIBYUV_INCLUDE_DIR libyuv.h REQUIRED)
find_library(LIBYUV_LIBRARY yuv REQUIRED)
add_library(kelvara::yuv UNKNOWN IMPORTED)
set_target_properties(kelvara::yuv PROPERTIES
    IMPORTED_LOCATION ${LIBYUV_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${LIBYUV_INCLUDE_DIR})

# SimpleIni is header-only.
find_path(SIMPLEINI_INCLUDE_DIR SimpleIni.h REQUIRED)
add_library(kelvara::simpleini INTERFACE IMPORTED)
set_target_properties(kelvara::simpleini PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${SIMPLEINI_INCLUDE_DIR})

if(KELVARA_BUILD_TESTS)
    find_package(GTest REQUIRED)
endif()
if(KELVARA_BUILD_BENCH)
    find_package(benchmark REQUIRED)
endif()
