# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads), run under wine where a
# build runs what it made (test discovery, the tests themselves).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw}-windres)
# Where the cross-built libraries live (tools/windows/deps installs them there), then mingw's own.
if(NOT SAXOLITH_WINDOWS_PREFIX)
  if(DEFINED ENV{SAXOLITH_WINDOWS_CACHE})
    set(SAXOLITH_WINDOWS_PREFIX $ENV{SAXOLITH_WINDOWS_CACHE}/prefix)
  else()
    set(SAXOLITH_WINDOWS_PREFIX $ENV{HOME}/.cache/saxolith-windows/prefix)
  endif()
endif()
# Qt for Windows (tools/windows/build-qt installs it beside the prefix).
if(NOT SAXOLITH_WINDOWS_QT)
  get_filename_component(SAXOLITH_WINDOWS_QT ${SAXOLITH_WINDOWS_PREFIX}/../qt ABSOLUTE)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SAXOLITH_WINDOWS_PREFIX SAXOLITH_WINDOWS_QT)
set(CMAKE_FIND_ROOT_PATH ${SAXOLITH_WINDOWS_PREFIX} ${SAXOLITH_WINDOWS_QT} /usr/${mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C++ runtime goes into each program, so a program needs no mingw DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
