# windows.cmake -- the Windows build (scripts/windows.sh, cross-compiled with cmake/mingw-w64.cmake):
# the program, the capture tool and the unit tests. The assets come from the native build, whose
# generators stay host tools; the libraries from the prefix in BEARINGS_WINDOWS_DEPS.
set(DEPS ${BEARINGS_WINDOWS_DEPS})
if(NOT EXISTS ${DEPS}/include/SDL/SDL.h)
  message(FATAL_ERROR "BEARINGS_WINDOWS_DEPS must name the prefix scripts/windows.sh builds")
endif()

# The GCC runtime goes into each program, so the zip holds only the libraries it names.
add_link_options(-static-libgcc -static-libstdc++)
set(CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_CXX_STANDARD_LIBRARIES} -Wl,-Bstatic -lstdc++ -lgcc -lgcc_eh -lwinpthread -Wl,-Bdynamic")

add_library(windows-sdl INTERFACE)
target_include_directories(windows-sdl INTERFACE ${DEPS}/include)
target_link_directories(windows-sdl INTERFACE ${DEPS}/lib)
target_link_libraries(windows-sdl INTERFACE SDL)

# A console program: SDL's console entry point calls main, and the one error line goes to the
# console rather than to a file.
add_library(windows-main INTERFACE)
target_link_libraries(windows-main INTERFACE mingw32 SDLmain windows-sdl)
target_link_options(windows-main INTERFACE -mconsole)

file(GLOB CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/core/*.cpp)
add_library(bearings-core STATIC ${CORE_SOURCES})
target_include_directories(bearings-core PUBLIC ${CMAKE_SOURCE_DIR}/include/core)
target_link_libraries(bearings-core PUBLIC windows-sdl)

# The show as the native build has it, with the images decoded by libpng instead of SDL_image:
# windows/include holds the stand-in SDL_image.h that the show's sources include.
file(GLOB SHOW_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(REMOVE_ITEM SHOW_SOURCES ${CMAKE_SOURCE_DIR}/src/main.cpp)
add_library(bearings-show STATIC ${SHOW_SOURCES} ${CMAKE_SOURCE_DIR}/windows/imagefile.cpp)
target_include_directories(bearings-show PUBLIC ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/windows
                           ${CMAKE_SOURCE_DIR}/windows/include)
target_link_libraries(bearings-show PUBLIC bearings-core SDL_mixer png16)

add_library(bearings-gl INTERFACE)
target_link_libraries(bearings-gl INTERFACE glu32 opengl32)

add_executable(bearings ${CMAKE_SOURCE_DIR}/src/main.cpp)
target_link_libraries(bearings PRIVATE bearings-show bearings-gl windows-main)

# The capture tool without video export, which pipes frames into ffmpeg.
add_executable(bearings-capture
  ${CMAKE_SOURCE_DIR}/tools/capture/main.cpp
  ${CMAKE_SOURCE_DIR}/tools/capture/capture.cpp
  ${CMAKE_SOURCE_DIR}/tools/capture/frames.cpp
  ${CMAKE_SOURCE_DIR}/windows/video.cpp)
target_include_directories(bearings-capture PRIVATE ${CMAKE_SOURCE_DIR}/tools/capture)
target_link_libraries(bearings-capture PRIVATE bearings-show bearings-gl windows-main)

# The unit tests, cross-built with googletest from Debian's source copy; they run under Wine
# (tests/e2e/test_windows.sh). SHOW_DIR is the native show folder as Wine sees it.
option(BEARINGS_WINDOWS_TESTS "Cross-build the unit tests" ON)
if(BEARINGS_WINDOWS_TESTS)
  set(BEARINGS_WINDOWS_SHOW_DIR "" CACHE STRING "the native show folder as a Windows path")
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
  add_executable(unit-tests ${UNIT_TEST_SOURCES})
  target_link_libraries(unit-tests PRIVATE bearings-show gtest_main)
  target_compile_definitions(unit-tests PRIVATE SHOW_DIR="${BEARINGS_WINDOWS_SHOW_DIR}")
endif()
