# Keeps the layers of src/ honest. Run as
#   cmake -DROOT=<source dir> -P check_layers.cmake
# and fails (listing every offence) when
#   - a file includes a folder of src/ above its own layer, in the order
#     below (a test in tests/<folder>/ counts as that folder's; tests/gui and
#     tests/support may include anything), or
#   - files of one folder include each other in a circle (a module is a file
#     name without its extension: x.h and x.cpp are one module).
# Includes are followed as written: "folder/..." from src/, anything else
# beside the including file.

# Top to bottom: each folder may include only itself and the folders after it.
set(LAYERS app engine iepg schedule plugin mail framework boundary platform)

if(NOT ROOT)
  message(FATAL_ERROR "check_layers: pass -DROOT=<source dir>")
endif()
set(SRC "${ROOT}/src")

file(GLOB_RECURSE src_files RELATIVE "${SRC}"
  "${SRC}/*.h" "${SRC}/*.cpp" "${SRC}/*.c" "${SRC}/*.rc")
file(GLOB_RECURSE test_files RELATIVE "${ROOT}/tests" "${ROOT}/tests/*.h" "${ROOT}/tests/*.cpp")

set(problems "")
set(modules "")

# The layer folder of a path relative to src/ ("" when it is none).
function(folder_of path out)
  string(REGEX MATCH "^[^/]+" first "${path}")
  list(FIND LAYERS "${first}" at)
  if(at EQUAL -1)
    set(${out} "" PARENT_SCOPE)
  else()
    set(${out} "${first}" PARENT_SCOPE)
  endif()
endfunction()

# The quoted includes of a file, each resolved to a path relative to src/
# ("" for one outside src/).
function(includes_of file out)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  get_filename_component(dir "${file}" DIRECTORY)
  set(result "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" inc "${line}")
    if(EXISTS "${dir}/${inc}")
      get_filename_component(abs "${dir}/${inc}" ABSOLUTE)
    else()
      set(abs "${SRC}/${inc}")
    endif()
    file(RELATIVE_PATH rel "${SRC}" "${abs}")
    if(rel MATCHES "^\\.\\.")
      list(APPEND result "")
    else()
      list(APPEND result "${rel}")
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

function(module_of rel out)
  string(REGEX REPLACE "\\.[^./]*$" "" m "${rel}")
  set(${out} "${m}" PARENT_SCOPE)
endfunction()

# Includes that point up.
macro(check_direction who own includes)
  list(FIND LAYERS "${own}" own_at)
  foreach(inc IN LISTS ${includes})
    folder_of("${inc}" target)
    if(target)
      list(FIND LAYERS "${target}" target_at)
      if(target_at LESS own_at)
        list(APPEND problems "${who} (${own}) includes ${inc} (${target}, a higher layer)")
      endif()
    endif()
  endforeach()
endmacro()

foreach(rel IN LISTS src_files)
  folder_of("${rel}" own)
  if(NOT own)
    continue()
  endif()
  includes_of("${SRC}/${rel}" incs)
  check_direction("src/${rel}" "${own}" incs)

  # The module graph inside the folder.
  module_of("${rel}" m)
  string(MAKE_C_IDENTIFIER "${m}" id)
  if(NOT DEFINED seen_${id})
    set(seen_${id} 1)
    list(APPEND modules "${m}")
    set(edges_${id} "")
  endif()
  foreach(inc IN LISTS incs)
    folder_of("${inc}" target)
    if(target STREQUAL own)
      module_of("${inc}" to)
      if(NOT to STREQUAL m)
        list(APPEND edges_${id} "${to}")
      endif()
    endif()
  endforeach()
endforeach()

foreach(rel IN LISTS test_files)
  string(REGEX MATCH "^[^/]+" first "${rel}")
  list(FIND LAYERS "${first}" at)
  if(at EQUAL -1)
    continue()
  endif()
  includes_of("${ROOT}/tests/${rel}" incs)
  check_direction("tests/${rel}" "${first}" incs)
endforeach()

# Circles: peel off modules that include no remaining module; what is left
# lies on or behind a circle.
set(left "${modules}")
set(changed TRUE)
while(changed)
  set(changed FALSE)
  set(next "")
  foreach(m IN LISTS left)
    string(MAKE_C_IDENTIFIER "${m}" id)
    set(blocked FALSE)
    foreach(to IN LISTS edges_${id})
      list(FIND left "${to}" at)
      if(NOT at EQUAL -1)
        set(blocked TRUE)
        break()
      endif()
    endforeach()
    if(blocked)
      list(APPEND next "${m}")
    else()
      set(changed TRUE)
    endif()
  endforeach()
  set(left "${next}")
endwhile()
foreach(m IN LISTS left)
  string(MAKE_C_IDENTIFIER "${m}" id)
  set(on_circle "")
  foreach(to IN LISTS edges_${id})
    list(FIND left "${to}" at)
    if(NOT at EQUAL -1)
      list(APPEND on_circle "${to}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES on_circle)
  string(REPLACE ";" ", " on_circle "${on_circle}")
  list(APPEND problems "src/${m} is on or behind an include circle through ${on_circle}")
endforeach()

if(problems)
  list(LENGTH problems n)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "check_layers: ${n} problem(s):\n  ${text}")
endif()
list(LENGTH src_files n_src)
list(LENGTH test_files n_tests)
message(STATUS "check_layers: ${n_src} source and ${n_tests} test files keep the layers")
