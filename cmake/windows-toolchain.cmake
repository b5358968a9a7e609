# Cross build for 64-bit Windows: finds the Qt built for mingw-w64 and uses its
# toolchain file. The folder holding it (qt6-mingw/) is OSTREL_SHARED_DIR, from
# the cache, the environment, or by default "shared" beside the source folder.
if(NOT OSTREL_SHARED_DIR)
  if(DEFINED ENV{OSTREL_SHARED_DIR})
    set(OSTREL_SHARED_DIR "$ENV{OSTREL_SHARED_DIR}")
  else()
    get_filename_component(OSTREL_SHARED_DIR "${CMAKE_CURRENT_LIST_DIR}/../../shared" ABSOLUTE)
  endif()
endif()
set(OSTREL_SHARED_DIR "${OSTREL_SHARED_DIR}" CACHE PATH "Folder holding qt6-mingw/")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSTREL_SHARED_DIR)
if(NOT EXISTS "${OSTREL_SHARED_DIR}/qt6-mingw/toolchain-mingw.cmake")
  message(FATAL_ERROR "No Qt for Windows in ${OSTREL_SHARED_DIR}/qt6-mingw; set OSTREL_SHARED_DIR to the folder holding it")
endif()
include("${OSTREL_SHARED_DIR}/qt6-mingw/toolchain-mingw.cmake")
# The host's rcc would compress resources with zstd, which this Qt was built without.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)
