# Common compile options and the helpers every folder uses.

add_library(sprallion_options INTERFACE)
target_compile_options(sprallion_options INTERFACE -Wall -Wextra)
if(SPRALLION_WERROR)
  target_compile_options(sprallion_options INTERFACE -Werror)
endif()
target_include_directories(sprallion_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_definitions(sprallion_options INTERFACE
  SPRALLION_VERSION="${PROJECT_VERSION}"
  SPRALLION_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

if(SPRALLION_SANITIZE STREQUAL "address")
  # float-cast-overflow is not part of GCC's "undefined": a real converted to an integer
  # that cannot hold it must stop the run as well.
  target_compile_options(sprallion_options INTERFACE -fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined,float-cast-overflow)
  target_link_options(sprallion_options INTERFACE -fsanitize=address,undefined,float-cast-overflow)
elseif(SPRALLION_SANITIZE STREQUAL "thread")
  target_compile_options(sprallion_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(sprallion_options INTERFACE -fsanitize=thread)
elseif(SPRALLION_SANITIZE)
  message(FATAL_ERROR "Unknown SPRALLION_SANITIZE value '${SPRALLION_SANITIZE}'")
endif()
if(SPRALLION_FUZZ)
  # Instrument everything for coverage; the targets add the fuzzer driver.
  target_compile_options(sprallion_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow)
  target_link_options(sprallion_options INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()

# sprallion_library(<target> [DIRS d...] [DEPS t...])
# A static library of every .cpp in the given folders (default: the current one).
function(sprallion_library target)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  if(NOT ARG_DIRS)
    set(ARG_DIRS ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(sources)
  foreach(dir ${ARG_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    # An empty folder still gets its target, so later folders can depend on it.
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE sprallion_options ${ARG_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_link_libraries(${target} PUBLIC sprallion_options ${ARG_DEPS})
endfunction()

# sprallion_version_block(<target>)
# Links the program's version note (cmake/VersionBlock.cpp.in) into an executable or library.
function(sprallion_version_block target)
  get_target_property(VERSION_TARGET ${target} OUTPUT_NAME)
  if(NOT VERSION_TARGET)
    set(VERSION_TARGET ${target})
  endif()
  set(VERSION_RELEASE ${PROJECT_VERSION_PATCH})
  if(NOT VERSION_RELEASE)
    set(VERSION_RELEASE 0)
  endif()
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_VersionBlock.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionBlock.cpp.in ${generated} @ONLY)
  target_sources(${target} PRIVATE ${generated})
endfunction()

# The main of every test program (tests/TestMain.cpp).
add_library(sprallion_test_main STATIC EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/tests/TestMain.cpp)
target_link_libraries(sprallion_test_main PUBLIC GTest::gtest)
target_link_libraries(sprallion_test_main PRIVATE sprallion_options)
target_compile_definitions(sprallion_test_main PRIVATE SPRALLION_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin")

# sprallion_test(<name> DIRS d... DEPS t... [LABELS l...])
# One GoogleTest executable; every case becomes a CTest test.
function(sprallion_test name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS;LABELS" ${ARGN})
  if(NOT ARG_DIRS)
    set(ARG_DIRS ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(sources)
  foreach(dir ${ARG_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  sprallion_version_block(${name})
  target_link_libraries(${name} PRIVATE sprallion_options ${ARG_DEPS} sprallion_test_main GTest::gtest GTest::gmock Threads::Threads)
  set(properties TIMEOUT 300)
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()

# Adds every sub-folder of the current folder that has a CMakeLists.txt, in name order.
function(sprallion_add_subdirectories)
  file(GLOB dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT dirs)
  foreach(dir ${dirs})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
