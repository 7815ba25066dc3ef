# Beside the native build, the Windows program (screen-size.exe) cross-compiled with
# mingw-w64 into <build>/windows, for the checks that run it under Wine.
find_program(SCREEN_SIZE_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(SCREEN_SIZE_MINGW_CXX)
  include(ExternalProject)
  ExternalProject_Add(screen-size-windows
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      -DCMAKE_BUILD_TYPE=Release
      -DSCREEN_SIZE_WERROR=${SCREEN_SIZE_WERROR}
      -DBUILD_TESTING=OFF
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(SCREEN_SIZE_WINDOWS_EXE ${CMAKE_BINARY_DIR}/windows/screen-size.exe)
else()
  set(SCREEN_SIZE_WINDOWS_EXE "")
endif()
