# Cross-builds the Windows program with mingw-w64. The posix thread model is
# the one GoogleTest builds with (it needs std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTRIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: no compiler run-time DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and test discovery run the .exe files under wine. wine64 itself is
# preferred to Debian's wrapper, which warns about wine32 on every start.
find_program(KESTRIX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
# Debian's wine has no preloader to claim the fixed addresses Windows
# programs need before anything else is mapped, so a randomly placed heap
# lands on one of them about once in 8,000 starts and the program dies
# before its first line ("failed to map the shared user data"). Without
# address randomization the heap always lies below them; started programs
# inherit that.
find_program(KESTRIX_SETARCH setarch NO_CMAKE_FIND_ROOT_PATH)
if(KESTRIX_WINE AND KESTRIX_SETARCH)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRIX_SETARCH} ${CMAKE_HOST_SYSTEM_PROCESSOR} -R
      ${KESTRIX_WINE})
elseif(KESTRIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRIX_WINE})
endif()
