# add_project_test(NAME name SOURCES ... LIBS ... [WIDGETS])
#
# One test executable per area. It links the shared test main (QGuiApplication, or QApplication
# with WIDGETS), runs offscreen, and knows where the shared fixtures and our own test data are
# through compile definitions, never through literal paths.
function(add_project_test)
  cmake_parse_arguments(T "WIDGETS" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  project_warnings(${T_NAME})
  if(T_WIDGETS)
    target_link_libraries(${T_NAME} PRIVATE test_support_widgets ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE test_support_gui ${T_LIBS})
  endif()
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${T_NAME}")
endfunction()
