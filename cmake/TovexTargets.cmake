# Helpers shared by every folder's CMakeLists.txt.
#
# Each area of the code base is one static library built from the .cpp files
# of its folder; files under a win32/ subfolder join it only in the Windows
# build, files under a posix/ subfolder only in the native build. Globbing keeps
# the build lists out of the way of people adding files to different areas.

function(tovex_area name folder)
  file(GLOB portable CONFIGURE_DEPENDS "${folder}/*.cpp")
  if(TOVEX_WINDOWS)
    file(GLOB specific CONFIGURE_DEPENDS "${folder}/win32/*.cpp")
  else()
    file(GLOB specific CONFIGURE_DEPENDS "${folder}/posix/*.cpp")
  endif()
  if(NOT portable AND NOT specific)
    # An area that has no code yet still links.
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp "")
    set(portable ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
  endif()
  add_library(${name} STATIC ${portable} ${specific})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
endfunction()

# Every area library, for executables that want the whole core. CMake repeats
# static libraries that depend on each other in a cycle, so the order only has
# to be plausible.
set(TOVEX_CORE_LIBRARIES
  tovex_setup tovex_ui tovex_upgrade tovex_system tovex_package
  tovex_localization tovex_platform tovex_common
  CACHE INTERNAL "")

# A native or Windows unit-test executable from every *_test.cpp of a folder,
# registered with CTest under the given label.
function(tovex_gtest name folder label)
  file(GLOB sources CONFIGURE_DEPENDS "${folder}/*_test.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${ARGN})
  target_link_libraries(${name} PRIVATE tovex_fakes ${TOVEX_CORE_LIBRARIES} GTest::gmock_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} TIMEOUT 120)
endfunction()
