# Shared part of the MinGW-w64 cross toolchains; the including file sets
# CMAKE_SYSTEM_PROCESSOR and QB_MINGW_PREFIX. The win32 thread model: the
# program starts no threads, so no threading library is linked in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER ${QB_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${QB_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
