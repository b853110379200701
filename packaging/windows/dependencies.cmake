# The Windows cross build's two halves that are not the demo's own sources, made once per build
# folder: SDL2 and libopenmpt cross-built from Debian's source packages into a sysroot, and the
# programs the build runs on this machine (soundtrack composer, picture maker) plus the Linux
# capture the Wine tests compare against, from a native build of the same sources.

# --- SDL2 and libopenmpt for Windows, into the sysroot the toolchain file searches (several
# minutes the first time, a stamp check after) ---
execute_process(
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/build-deps.sh ${OSKE_WIN_SYSROOT}
          ${PROJECT_BINARY_DIR}/deps/work ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake
  RESULT_VARIABLE oske_deps_result)
if(NOT oske_deps_result EQUAL 0)
  message(FATAL_ERROR "Cross-building SDL2 and libopenmpt failed; see ${PROJECT_BINARY_DIR}/deps/work/build.log")
endif()

# --- the build machine's own programs, from a native build of these sources ---
include(ExternalProject)
set(OSKE_HOST_DIR ${PROJECT_BINARY_DIR}/host)
set(OSKE_HOST_COMPOSE ${OSKE_HOST_DIR}/tools/compose/oske_compose)
set(OSKE_HOST_PICTURES ${OSKE_HOST_DIR}/tools/pictures/oske_pictures)
set(OSKE_HOST_CAPTURE ${OSKE_HOST_DIR}/tools/capture/oske-capture)
set(OSKE_HOST_FRAME_DIFF ${OSKE_HOST_DIR}/packaging/windows/tests/oske_frame_diff)
ExternalProject_Add(oske_host
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${OSKE_HOST_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DOSKE_BUILD_TESTS=OFF -DOSKE_BUILD_BENCH=OFF
             -DOSKE_WINE_TEST_TOOLS=ON
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${OSKE_HOST_COMPOSE} ${OSKE_HOST_PICTURES} ${OSKE_HOST_CAPTURE}
                   ${OSKE_HOST_FRAME_DIFF})

# Build-time programs under their usual names, so tools/ runs them as in a native build.
foreach(tool compose pictures)
  string(TOUPPER ${tool} upper)
  add_executable(oske_${tool} IMPORTED GLOBAL)
  set_target_properties(oske_${tool} PROPERTIES IMPORTED_LOCATION ${OSKE_HOST_${upper}})
  add_dependencies(oske_${tool} oske_host)
endforeach()
