# The Windows show (configured with cmake/mingw-w64-x86_64.cmake; scripts/build-windows.sh): the
# show program alone, the same scenes, elements, textures and run code on the Windows platform
# layer (app/platform/win/: the multimedia timer, MCI command strings, MessageBoxA). It links
# freeglut statically from FREEGLUT_ROOT, and the C and C++ runtimes statically, so the exe needs
# only Windows' own DLLs. The data files come from the Linux build's makedata.
set(FREEGLUT_ROOT "" CACHE PATH "Where a static freeglut for Windows is installed")
find_path(FREEGLUT_INCLUDE_DIR GL/freeglut.h PATHS ${FREEGLUT_ROOT}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(FREEGLUT_LIBRARY freeglut_static PATHS ${FREEGLUT_ROOT}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT FREEGLUT_INCLUDE_DIR OR NOT FREEGLUT_LIBRARY)
  message(FATAL_ERROR "no static freeglut in FREEGLUT_ROOT='${FREEGLUT_ROOT}' (scripts/build-windows.sh builds one)")
endif()

file(GLOB SHOW_SOURCES CONFIGURE_DEPENDS
  app/*.cpp app/platform/multimedia_command.cpp app/platform/win/*.cpp textures/*.cpp elements/*.cpp scenes/*.cpp)
add_executable(show ${SHOW_SOURCES})
set_target_properties(show PROPERTIES OUTPUT_NAME iroiro)
target_include_directories(show PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${FREEGLUT_INCLUDE_DIR})
target_compile_definitions(show PRIVATE FREEGLUT_STATIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(show PRIVATE ${FREEGLUT_LIBRARY} glu32 opengl32 winmm gdi32 user32)
target_link_options(show PRIVATE -static)
