# End-to-end tests of the real Windows programs under Wine, run by CTest from
# the Windows build tree.
enable_testing()
# Debian's interpreter, which has python3-pytest, before any other on PATH.
find_program(PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(PYTHON3 python3 REQUIRED)
file(GLOB E2E_HELPERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/helpers/*.cpp)
foreach(helper ${E2E_HELPERS})
  get_filename_component(helper_name ${helper} NAME_WE)
  add_executable(${helper_name} ${helper})
  set_target_properties(${helper_name} PROPERTIES SUFFIX ".exe")
  target_link_options(${helper_name} PRIVATE ${STATIC_RUNTIME})
endforeach()
add_test(NAME wine_end_to_end
  COMMAND ${PYTHON3} -m pytest -q -p no:cacheprovider ${PROJECT_SOURCE_DIR}/tests/e2e
          --bindir=${CMAKE_BINARY_DIR} --srcdir=${PROJECT_SOURCE_DIR})
set_tests_properties(wine_end_to_end PROPERTIES TIMEOUT 900)
