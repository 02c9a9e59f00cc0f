# The Windows show (configured with cmake/mingw-w64-x86_64.cmake; scripts/build-windows.sh): the
# show program alone, the same scenes, elements, textures and run code on the Windows platform
# layer (platform/win/: the multimedia timer, MCI command strings, MessageBoxA). It links
# freeglut statically from FREEGLUT_ROOT, and the C and C++ runtimes statically, so the exe needs
# only Windows' own DLLs. The data files come from the Linux build's makedata.
set(FREEGLUT_ROOT "" CACHE PATH "Where a static freeglut for Windows is installed")
set(SHOW_ICON "" CACHE FILEPATH "The show's icon as a Windows .ico (scripts/build-windows.sh makes it from the Linux icon)")
find_path(FREEGLUT_INCLUDE_DIR GL/freeglut.h PATHS ${FREEGLUT_ROOT}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(FREEGLUT_LIBRARY freeglut_static PATHS ${FREEGLUT_ROOT}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT FREEGLUT_INCLUDE_DIR OR NOT FREEGLUT_LIBRARY)
  message(FATAL_ERROR "no static freeglut in FREEGLUT_ROOT='${FREEGLUT_ROOT}' (scripts/build-windows.sh builds one)")
endif()

file(GLOB SHOW_SOURCES CONFIGURE_DEPENDS
  app/*.cpp platform/*.cpp platform/win/*.cpp textures/*.cpp elements/*.cpp scenes/*.cpp)
# The resources: the icon, the version (the project's, as --version prints it) and the manifest.
if(NOT EXISTS "${SHOW_ICON}")
  message(FATAL_ERROR "no icon at SHOW_ICON='${SHOW_ICON}' (scripts/build-windows.sh makes one)")
endif()
enable_language(RC)
set(SHOW_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(SHOW_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/iroiro.manifest)
configure_file(packaging/windows/iroiro.manifest ${SHOW_MANIFEST} @ONLY)
configure_file(packaging/windows/iroiro.rc.in ${CMAKE_CURRENT_BINARY_DIR}/iroiro.rc @ONLY)

add_executable(show ${SHOW_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/iroiro.rc)
set_target_properties(show PROPERTIES OUTPUT_NAME iroiro)
target_include_directories(show PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${FREEGLUT_INCLUDE_DIR})
target_compile_definitions(show PRIVATE FREEGLUT_STATIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(show PRIVATE ${FREEGLUT_LIBRARY} glu32 opengl32 winmm gdi32 user32)
# A windowed program (no console window of its own; platform/win/command_line.cpp writes to
# the console it was started from, when there is one).
target_link_options(show PRIVATE -static -Wl,--subsystem,windows)
