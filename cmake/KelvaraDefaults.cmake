# Compiler settings shared by every target of our own.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

if(KELVARA_SANITIZE STREQUAL "address")
    set(KELVARA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                -fno-omit-frame-pointer)
elseif(KELVARA_SANITIZE STREQUAL "thread")
    set(KELVARA_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT KELVARA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "KELVARA_SANITIZE must be empty, address or thread")
endif()
if(KELVARA_SANITIZER_FLAGS)
    add_compile_options(${KELVARA_SANITIZER_FLAGS})
    add_link_options(${KELVARA_SANITIZER_FLAGS})
endif()

# kelvara_defaults(<target>): warnings as errors for our own code.
function(kelvara_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Headers are included by their path from the repository root
# ("app/measure/SFPrimitiveBase.h"), so names never collide across folders.
include_directories(${CMAKE_SOURCE_DIR})
