# Shared build rules: warnings, sanitizers, and folder-per-library helpers.

function(qorin_add_subdirectory_if_exists dir)
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
    add_subdirectory(${dir})
  endif()
endfunction()

if(QORIN_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(QORIN_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT QORIN_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QORIN_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Warnings apply to our own targets only (never to system headers).
function(qorin_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  # GCC 12 at -O2 reports std::optional payloads as maybe-uninitialized
  # after inlining (a known false alarm); the check is flow-sensitive and
  # changes with the optimiser, so it is no use as an error.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
  if(QORIN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qorin_library(NAME [DIRS d...] [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# Collects every .cpp/.h in the current folder (and the listed sub-folders
# that are not libraries of their own) into one static library.
function(qorin_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  set(globs "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  foreach(d IN LISTS ARG_DIRS)
    list(APPEND globs "${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.h")
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  qorin_warnings(${name})
endfunction()

# qorin_test(NAME LIBS ...): one GoogleTest program from every .cpp in the
# current folder; each test case becomes a CTest test.
function(qorin_test name)
  cmake_parse_arguments(ARG "" "" "LIBS;EXTRA_SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  add_executable(${name} ${sources} ${ARG_EXTRA_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
  qorin_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TZ=Europe/Prague;QT_QPA_PLATFORM=offscreen;QORIN_SOURCE_DIR=${PROJECT_SOURCE_DIR};QORIN_BINARY_DIR=${PROJECT_BINARY_DIR}"
               TIMEOUT 300)
endfunction()
