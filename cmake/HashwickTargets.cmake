# Warnings and sanitizers are set per target, so that third-party code keeps its own flags.

function(hashwick_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast)
  if(HASHWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(HASHWICK_SANITIZE STREQUAL "address")
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
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
