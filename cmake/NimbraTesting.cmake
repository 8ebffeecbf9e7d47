# GoogleTest from Debian's sources, built with the same compiler as the code,
# so one copy serves both the native and the mingw-w64 build.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
if(NOT TARGET gtest)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
include(GoogleTest)

# nimbra_add_gtest(<target> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One test executable per module; every test runs with the Japan time zone in
# POSIX form, which both glibc and the Windows C runtime read the same way.
function(nimbra_add_gtest target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} gmock gtest_main)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "TZ=JST-9" LABELS "${ARG_LABELS}")
endfunction()
