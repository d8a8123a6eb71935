# The Windows build (VOCRIG_WINDOWS_DIR, made by `make windows`) run under Wine:
# a private prefix under this build folder, made afresh by the first test and
# ended by the last; Wine missing or failing fails these tests, never skips them.
set(wineRun ${PROJECT_SOURCE_DIR}/tools/wine-run)
set(winePrefix ${CMAKE_BINARY_DIR}/wine/prefix)
set(winePorts ${CMAKE_BINARY_DIR}/wine/ports)
set(wineEnvironment
  "VOCRIG_WINE_RUN=${wineRun}" "VOCRIG_WINE_PREFIX=${winePrefix}" "VOCRIG_WINE_PORTS=${winePorts}"
  "VOCTRANS_EXE=${VOCRIG_WINDOWS_DIR}/bin/voctrans.exe" "VOCRIG_WINDOWS_DIR=${VOCRIG_WINDOWS_DIR}"
  "VOCRIG_WINDOWS_SETUP=${VOCRIG_WINDOWS_DIR}/vocrig-${VOCRIG_VERSION}-setup.exe")

add_test(NAME windows.wine_start COMMAND ${wineRun} ${winePrefix} setup ${winePorts})
set_tests_properties(windows.wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 240)
add_test(NAME windows.wine_stop COMMAND ${wineRun} ${winePrefix} stop)
set_tests_properties(windows.wine_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# The serial contract and the Windows-only cases, with COM30 and COM31 joined.
add_test(NAME windows.platform
  COMMAND wine_null_modem ${winePorts} -- ${wineRun} ${winePrefix} run
          ${VOCRIG_WINDOWS_DIR}/bin/platform_win32_tests.exe)
set_tests_properties(windows.platform PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 180)

# voctrans.exe answering the link process test over a COM20 pair (as com0com
# gives one), with vocsim (Linux) as the radio.
add_test(NAME windows.voctrans COMMAND e2e_link_process_tests --gtest_filter=LinkProcess.IdentifiesSetsPollsAndQuits)
# The setup program, and the installed programs over their named pipe, driven by keys.
add_test(NAME windows.installer COMMAND ${VOCRIG_WITH_XVFB} $<TARGET_FILE:wine_program_tests>)
foreach(test windows.voctrans windows.installer)
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 240 RESOURCE_LOCK wine_ports
    ENVIRONMENT "${wineEnvironment}")
endforeach()

# The translator's, the panel's and the radio's logic tests, as built for Windows.
foreach(area translator panel radiosim)
  add_test(NAME windows.${area} COMMAND ${wineRun} ${winePrefix} run ${VOCRIG_WINDOWS_DIR}/bin/${area}_tests.exe)
  set_tests_properties(windows.${area} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120)
endforeach()
