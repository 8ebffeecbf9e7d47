# Checks that a shared library exports exactly the expected plain names.
#   cmake -DOBJDUMP=<objdump> -DLIBRARY=<file> -DEXPECTED=<a;b;...> -P check_exports.cmake
# A PE file is read from its export table (objdump -p), an ELF file from its
# dynamic symbols (objdump -T): only global functions defined in the library.
foreach(v OBJDUMP LIBRARY EXPECTED)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "check_exports: ${v} not given")
  endif()
endforeach()

set(ENV{LC_ALL} C)  # objdump's headings are read in English
set(ENV{LANGUAGE} C)
if(LIBRARY MATCHES "\\.dll$")
  execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  # The names follow the "[Ordinal/Name Pointer] Table" line, one a line, up to
  # the first empty line.
  string(FIND "${out}" "[Ordinal/Name Pointer] Table\n" at)
  set(names "")
  if(at GREATER_EQUAL 0)
    string(SUBSTRING "${out}" ${at} -1 table)
    string(FIND "${table}" "\n\n" end)
    string(SUBSTRING "${table}" 0 ${end} table)
    # Brackets would upset CMake's lists: drop them first.
    string(REPLACE "[" "" table "${table}")
    string(REPLACE "]" "" table "${table}")
    string(REGEX MATCHALL "\n[ \t]+[0-9]+ [^\n]+" rows "${table}")
    foreach(r IN LISTS rows)
      string(REGEX REPLACE "^\n[ \t]+[0-9]+ " "" n "${r}")
      list(APPEND names "${n}")
    endforeach()
  endif()
else()
  execute_process(COMMAND ${OBJDUMP} -T ${LIBRARY} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  string(REGEX MATCHALL "[^\n]* g +DF \\.text[^\n]*" rows "${out}")
  set(names "")
  foreach(r IN LISTS rows)
    string(REGEX REPLACE ".*[ \t]([^ \t]+)$" "\\1" n "${r}")
    list(APPEND names "${n}")
  endforeach()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "check_exports: ${OBJDUMP} failed on ${LIBRARY}")
endif()

list(SORT names)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "check_exports: ${LIBRARY}\n  exports:  ${names}\n  expected: ${expected}")
endif()
message(STATUS "${LIBRARY}: ${names}")
