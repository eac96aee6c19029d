# Cross-compiles for 32-bit Windows with mingw-w64 and runs the results with wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VELMORA_TRIPLE i686-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
find_program(VELMORA_CC  ${VELMORA_TRIPLE}-gcc-posix)
find_program(VELMORA_CXX ${VELMORA_TRIPLE}-g++-posix)
find_program(VELMORA_RC  ${VELMORA_TRIPLE}-windres)
if(NOT VELMORA_CC OR NOT VELMORA_CXX OR NOT VELMORA_RC)
    message(FATAL_ERROR "The mingw-w64 i686 cross compiler was not found; install g++-mingw-w64-i686 (tools/setup-deps.sh does).")
endif()
set(CMAKE_C_COMPILER   ${VELMORA_CC})
set(CMAKE_CXX_COMPILER ${VELMORA_CXX})
set(CMAKE_RC_COMPILER  ${VELMORA_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(VELMORA_WINE wine)
if(VELMORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORA_WINE})
endif()
