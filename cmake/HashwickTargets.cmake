# Warnings and sanitizers are set per target, so that third-party code keeps its own flags.

function(hashwick_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast)
  # GCC 12 warns falsely about overlapping copies in string concatenation at -O3.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(HASHWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(HASHWICK_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
  if(HASHWICK_SANITIZE STREQUAL "address")
    # Without the dynamic-type check: it tries memory through a pipe of its own, and where a run
    # has every descriptor in use (the tests of few descriptors make it so) it reports sound
    # objects as being of the wrong type.
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize=vptr
                                             -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  elseif(HASHWICK_SANITIZE STREQUAL "thread")
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  elseif(NOT HASHWICK_SANITIZE STREQUAL "")
    message(FATAL_ERROR "HASHWICK_SANITIZE must be empty, 'address' or 'thread'")
  endif()
endfunction()

# A library of one subsystem: its headers are included as "subsystem/header.h" from src/.
function(hashwick_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
  hashwick_target_options(${target})
endfunction()

# Adds to the target a generated source per file, holding the file's bytes as the array SYMBOL
# (and its length as SYMBOLSize): hashwick_embed_files(target SYMBOL file SYMBOL file ...).
function(hashwick_embed_files target)
  set(pairs ${ARGN})
  while(pairs)
    list(POP_FRONT pairs symbol input)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp")
    add_custom_command(
      OUTPUT "${output}"
      COMMAND "${CMAKE_COMMAND}" -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
              -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
      DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
      VERBATIM)
    target_sources(${target} PRIVATE "${output}")
  endwhile()
endfunction()
