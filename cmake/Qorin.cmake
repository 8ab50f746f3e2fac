# Shared build rules: warnings, sanitizers, and folder-per-library helpers.

function(qorin_add_subdirectory_if_exists dir)
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
    add_subdirectory(${dir})
  endif()
endfunction()

if(QORIN_SANITIZE STREQUAL "address")
  # Line tables (-g1) are all a report's stacks need; full debug
  # information made the objects and the statically linked test programs
  # several gigabytes larger, more than a CI machine's disk could hold.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g1)
  add_link_options(-fsanitize=address,undefined)
elseif(QORIN_SANITIZE STREQUAL "thread")
  # -O1 as the sanitizer's makers advise: the checked programs run several
  # times faster and the build is cheaper. Line tables (-g1) are all a
  # report's stacks need; full debug information made the objects five
  # times larger and the links slow.
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -O1 -g1)
  add_link_options(-fsanitize=thread)
elseif(NOT QORIN_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QORIN_SANITIZE must be empty, 'address' or 'thread'")
endif()

# The named string ids, taken from res/strings.inc at configure time into a
# header that is rewritten only when an id or a name changes: editing a text
# then rebuilds the string table alone, not every file that names an id.
function(qorin_generate_string_ids)
  set(table "${PROJECT_SOURCE_DIR}/res/strings.inc")
  set(out "${PROJECT_BINARY_DIR}/generated/platform/StringIdList.inc")
  if(NOT EXISTS "${table}")
    return()
  endif()
  set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${table}")
  file(STRINGS "${table}" lines REGEX "^QORIN_STRING\\(")
  set(ids "// Generated from res/strings.inc by cmake/Qorin.cmake; do not edit.\n")
  foreach(line IN LISTS lines)
    if(line MATCHES "^QORIN_STRING\\(([0-9]+), *([A-Za-z_][A-Za-z0-9_]*),")
      string(APPEND ids "inline constexpr int ${CMAKE_MATCH_2} = ${CMAKE_MATCH_1};\n")
    endif()
  endforeach()
  set(old "")
  if(EXISTS "${out}")
    file(READ "${out}" old)
  endif()
  if(NOT old STREQUAL ids)
    file(WRITE "${out}" "${ids}")
  endif()
endfunction()
qorin_generate_string_ids()

# The headers almost every file includes are parsed once, not once per file:
# on a small CI machine that is most of a clean build's time. A precompiled
# header is about 150 MB, so targets do not each build their own (one per
# target filled a CI machine's disk): every target of the same kind reuses
# the one header of its kind. The kinds are what the header's own #ifdefs
# look at (Qt Core, Qt Widgets, a test program); GCC checks the rest
# (-Winvalid-pch is an error here), so a mismatch fails the build loudly.
function(_qorin_qt_reach target out_core out_widgets)
  set(core OFF)
  set(widgets OFF)
  set(seen "")
  get_target_property(queue ${target} LINK_LIBRARIES)
  if(NOT queue)
    set(queue "")
  endif()
  while(queue)
    list(POP_FRONT queue dep)
    if(dep MATCHES "^\\$<" OR dep IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${dep})
    if(dep STREQUAL "Qt6::Widgets")
      set(widgets ON)
      set(core ON)
    elseif(dep MATCHES "^Qt6::")
      set(core ON)
    elseif(TARGET ${dep})
      get_target_property(deps ${dep} INTERFACE_LINK_LIBRARIES)
      if(deps)
        list(APPEND queue ${deps})
      endif()
    endif()
  endwhile()
  set(${out_core} ${core} PARENT_SCOPE)
  set(${out_widgets} ${widgets} PARENT_SCOPE)
endfunction()

function(qorin_precompiled_headers target)
  if(NOT QORIN_PCH)
    return()
  endif()
  _qorin_qt_reach(${target} core widgets)
  set(kind plain)
  set(qt "")
  if(widgets)
    set(kind widgets)
    set(qt Qt6::Widgets)
  elseif(core)
    set(kind core)
    set(qt Qt6::Core)
  endif()
  get_target_property(defs ${target} COMPILE_DEFINITIONS)
  set(test OFF)
  if(defs AND "QORIN_TEST_PROGRAM" IN_LIST defs)
    set(test ON)
    set(kind test_${kind})
  endif()
  set(holder qorin_pch_${kind})
  if(NOT TARGET ${holder})
    add_library(${holder} OBJECT "${PROJECT_SOURCE_DIR}/cmake/PrecompiledHolder.cpp")
    target_include_directories(${holder} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/generated")
    target_link_libraries(${holder} PRIVATE ${qt})
    if(test)
      target_link_libraries(${holder} PRIVATE GTest::gtest)
      target_compile_definitions(${holder} PRIVATE QORIN_TEST_PROGRAM)
    endif()
    qorin_warnings(${holder})
    target_precompile_headers(${holder} PRIVATE "${PROJECT_SOURCE_DIR}/cmake/PrecompiledHeaders.h")
  endif()
  target_precompile_headers(${target} REUSE_FROM ${holder})
endfunction()

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
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/generated")
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  qorin_warnings(${name})
  qorin_precompiled_headers(${name})
endfunction()

# qorin_test(NAME LIBS ... [GUI | QT_MAIN] [LABELS ...] [TIMEOUT s]
#            [THREAD_SOURCES f...] [SLOW_SOURCES f...] [BOUNDED_SOURCES f... BOUND s])
# One GoogleTest program from every .cpp in the current folder; each test
# case becomes a CTest test. GUI gives it the shared QApplication main
# (tests/support/main.cpp), QT_MAIN the QCoreApplication one; without either
# gtest's own main is used (or the folder's main.cpp, when it has one).
# Labels say what kind of test it is: `unit` (the default), `gui` (the
# default with GUI), `thread`, `pty`, `slow`. The files named in
# THREAD_SOURCES, SLOW_SOURCES and BOUNDED_SOURCES go into programs of their
# own (NAME_threads labelled `thread`, NAME_slow labelled `slow`,
# NAME_bounded with a CTest timeout of BOUND seconds per test), together
# with the folder's helper sources (every .cpp that is not a test file).
function(qorin_test name)
  cmake_parse_arguments(ARG "GUI;QT_MAIN" "TIMEOUT;BOUND"
                        "LIBS;EXTRA_SOURCES;LABELS;THREAD_SOURCES;SLOW_SOURCES;BOUNDED_SOURCES" ${ARGN})
  if(NOT TARGET test_support)
    add_subdirectory("${PROJECT_SOURCE_DIR}/tests/support" "${PROJECT_BINARY_DIR}/tests/support")
  endif()
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  set(helpers "")
  foreach(source IN LISTS sources)
    get_filename_component(file "${source}" NAME)
    if(NOT file MATCHES "(_test\\.cpp|^test_.*\\.cpp|^main\\.cpp)$")
      list(APPEND helpers "${source}")
    endif()
  endforeach()
  set(labels ${ARG_LABELS})
  if(NOT labels)
    set(labels unit)
    if(ARG_GUI)
      set(labels gui)
    endif()
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  foreach(kind THREAD SLOW BOUNDED)
    set(split_${kind} "")
    foreach(file IN LISTS ARG_${kind}_SOURCES)
      list(APPEND split_${kind} "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
    endforeach()
    if(split_${kind})
      list(REMOVE_ITEM sources ${split_${kind}})
    endif()
  endforeach()
  _qorin_test_program(${name} "${sources};${ARG_EXTRA_SOURCES}" "${labels}" ${ARG_TIMEOUT})
  if(split_THREAD)
    # Widget programs also carry `gui`, so a run of the widget tests alone
    # still finds them.
    set(thread_labels thread)
    if(ARG_GUI)
      list(APPEND thread_labels gui)
    endif()
    _qorin_test_program(${name}_threads "${split_THREAD};${helpers};${ARG_EXTRA_SOURCES}" "${thread_labels}" ${ARG_TIMEOUT})
  endif()
  if(split_SLOW)
    # A slow test takes minutes alone and several times that on a machine
    # busy with the rest of the suite; its timeout is there to catch a hang.
    set(slow_timeout ${ARG_TIMEOUT})
    if(slow_timeout LESS 900)
      set(slow_timeout 900)
    endif()
    _qorin_test_program(${name}_slow "${split_SLOW};${helpers};${ARG_EXTRA_SOURCES}" slow ${slow_timeout})
  endif()
  if(split_BOUNDED)
    _qorin_test_program(${name}_bounded "${split_BOUNDED};${helpers};${ARG_EXTRA_SOURCES}" "${labels}" ${ARG_BOUND})
  endif()
endfunction()

# One program of qorin_test; reads ARG_LIBS, ARG_GUI and ARG_QT_MAIN of the
# caller.
macro(_qorin_test_program program program_sources program_labels program_timeout)
  set(_main_sources ${program_sources})
  set(_main_libs "")
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/main.cpp")
    list(APPEND _main_sources "${CMAKE_CURRENT_SOURCE_DIR}/main.cpp")
  elseif(ARG_GUI OR ARG_QT_MAIN)
    list(APPEND _main_sources "${PROJECT_SOURCE_DIR}/tests/support/main.cpp")
  else()
    set(_main_libs GTest::gtest_main)
  endif()
  list(REMOVE_DUPLICATES _main_sources)
  add_executable(${program} ${_main_sources})
  # `thread_tests` builds what the ThreadSanitizer stage runs: every program
  # labelled `thread`, widget programs included.
  if(NOT TARGET thread_tests)
    add_custom_target(thread_tests)
  endif()
  set(_program_labels ${program_labels}) # a macro argument is no variable for IN_LIST
  if("thread" IN_LIST _program_labels)
    add_dependencies(thread_tests ${program})
  endif()
  target_link_libraries(${program} PRIVATE ${ARG_LIBS} test_support Qt6::Core GTest::gtest ${_main_libs} GTest::gmock)
  if(ARG_GUI)
    # The shared main gives widget tests the program's fonts.
    target_link_libraries(${program} PRIVATE platform_ui Qt6::Widgets)
    target_compile_definitions(${program} PRIVATE QORIN_TEST_WIDGETS)
  endif()
  target_include_directories(${program} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
  target_compile_definitions(${program} PRIVATE QORIN_TEST_PROGRAM)
  qorin_warnings(${program})
  qorin_precompiled_headers(${program})
  # gtest_discover_tests (CMake 3.25) writes a list-valued property as
  # separate words, which shifts every property after it; the properties
  # are set here instead, once the test list is known at test time.
  gtest_discover_tests(${program}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${program}_TESTS)
  set(_properties_file "${CMAKE_CURRENT_BINARY_DIR}/${program}_properties.cmake")
  file(WRITE "${_properties_file}"
    "if(${program}_TESTS)\n"
    "  set_tests_properties(\${${program}_TESTS} PROPERTIES\n"
    "    ENVIRONMENT \"TZ=Europe/Prague;QT_QPA_PLATFORM=offscreen;QORIN_SOURCE_DIR=${PROJECT_SOURCE_DIR};QORIN_BINARY_DIR=${PROJECT_BINARY_DIR}\"\n"
    "    LABELS \"${program_labels}\"\n"
    "    TIMEOUT ${program_timeout})\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_properties_file}")
endmacro()
