# GoogleTest from Debian's sources, built with the same compiler as the code,
# so one copy serves both the native and the mingw-w64 build.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
if(NOT TARGET gtest)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Its headers are included as the system's: a warning a newer compiler
  # finds inside them is not ours, and must not stop a build that treats our
  # own warnings as errors.
  foreach(target gtest gtest_main gmock gmock_main)
    get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
    set_target_properties(${target} PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${dirs}")
  endforeach()
endif()
include(GoogleTest)

# The recording stand-in for the mailer that tests/mail puts beside the tests:
# a small program on Windows, a shell script elsewhere.
if(WIN32)
  set(NIMBRA_RECORDING_MAILER recording_mailer.exe)
else()
  set(NIMBRA_RECORDING_MAILER recording_mailer.sh)
endif()

# nimbra_add_gtest(<target> SOURCES <files...> LIBS <targets...>
#                  [DEPENDS <targets...>] [DEFINITIONS <definitions...>]
#                  [RECORDING_MAILER])
# One test executable per module; every test runs with the Japan time zone in
# POSIX form, which both glibc and the Windows C runtime read the same way.
# DEPENDS names what must be built beside the test before it runs.
# RECORDING_MAILER: the test sends mail to the recording stand-in, whose name
# it gets as NIMBRA_RECORDING_MAILER; such tests share its record file and
# run one at a time.
function(nimbra_add_gtest target)
  cmake_parse_arguments(ARG "RECORDING_MAILER" "" "SOURCES;LIBS;DEPENDS;DEFINITIONS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} gmock gtest_main)
  if(ARG_DEFINITIONS)
    target_compile_definitions(${target} PRIVATE ${ARG_DEFINITIONS})
  endif()
  if(ARG_DEPENDS)
    add_dependencies(${target} ${ARG_DEPENDS})
  endif()
  set(properties ENVIRONMENT "TZ=JST-9")
  if(ARG_RECORDING_MAILER)
    target_compile_definitions(${target} PRIVATE NIMBRA_RECORDING_MAILER="${NIMBRA_RECORDING_MAILER}")
    if(WIN32)
      add_dependencies(${target} recording_mailer)
    endif()
    list(APPEND properties RESOURCE_LOCK recording_mailer)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ${properties})
endfunction()

# nimbra_add_export_check(<library target> <names...>)
# The library exports exactly the plain names given, no more and no fewer.
function(nimbra_add_export_check library)
  add_test(NAME ${library}.Exports
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:${library}>
            "-DEXPECTED=${ARGN}" -P ${PROJECT_SOURCE_DIR}/cmake/check_exports.cmake)
endfunction()
