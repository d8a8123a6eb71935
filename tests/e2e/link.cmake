# The panel, the translator and the simulated radio joined in one process.
add_executable(e2e_link_tests link_bench_test.cpp)
target_link_libraries(e2e_link_tests PRIVATE panel_core translator_core radiosim platform_fake GTest::gtest_main)
target_compile_definitions(e2e_link_tests PRIVATE VOCRIG_DOC_DIR="${PROJECT_SOURCE_DIR}/doc")
gtest_discover_tests(e2e_link_tests TEST_PREFIX "e2e.link." WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DISCOVERY_TIMEOUT 60)

# The real programs over pseudo-terminals.
add_executable(e2e_link_process_tests link_process_test.cpp)
target_link_libraries(e2e_link_process_tests PRIVATE platform_posix GTest::gtest_main)
target_compile_definitions(e2e_link_process_tests PRIVATE VOCRIG_BIN_DIR="$<TARGET_FILE_DIR:voctrans>")
add_dependencies(e2e_link_process_tests voctrans vocsim)
gtest_discover_tests(e2e_link_process_tests TEST_PREFIX "e2e.link.process." WORKING_DIRECTORY
  ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60)

# The three real programs, the panel in a window on a private X server.
if(TARGET vocpanel)
  add_executable(e2e_panel_process_tests panel_process_test.cpp)
  target_link_libraries(e2e_panel_process_tests PRIVATE platform_posix PkgConfig::X11 GTest::gtest_main)
  target_compile_definitions(e2e_panel_process_tests PRIVATE VOCRIG_BIN_DIR="$<TARGET_FILE_DIR:voctrans>")
  add_dependencies(e2e_panel_process_tests voctrans vocsim vocpanel)
  add_test(NAME e2e.panel.process
    COMMAND ${VOCRIG_WITH_XVFB} ${VOCRIG_UNPRIVILEGED} --with $<TARGET_FILE:voctrans> --with $<TARGET_FILE:vocsim>
    --with $<TARGET_FILE:vocpanel> $<TARGET_FILE:e2e_panel_process_tests>)
  set_tests_properties(e2e.panel.process PROPERTIES TIMEOUT 240)
endif()
