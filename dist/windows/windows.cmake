# The Windows programs' icon and version resources, and `make windows-installer`:
# NSIS (makensis) packs the programs, the word set, a sample vocrig.cfg and the
# operator's reference into build/windows/vocrig-<version>-setup.exe.
enable_language(RC)

find_program(VOCRIG_CONVERT NAMES convert magick)
if(NOT VOCRIG_CONVERT)
  message(FATAL_ERROR "ImageMagick's convert makes the programs' icon: install imagemagick (tools/bootstrap does)")
endif()
set(vocrigIcon ${CMAKE_BINARY_DIR}/vocrig.ico)
# A loudspeaker with two waves, white on blue, at 48, 32 and 16 pixels.
add_custom_command(OUTPUT ${vocrigIcon}
  COMMAND ${VOCRIG_CONVERT} -size 256x256 xc:none -fill "#1d3f8f" -draw "roundrectangle 8,8 247,247 40,40"
          -fill white -draw "polygon 40,100 84,100 136,52 136,204 84,156 40,156"
          -stroke white -strokewidth 14 -fill "#1d3f8f" -draw "path 'M 160,88 A 48,48 0 0,1 160,168'"
          -draw "path 'M 180,56 A 84,84 0 0,1 180,200'" -define icon:auto-resize=48,32,16 ${vocrigIcon}
  VERBATIM)
add_custom_target(vocrig_icon DEPENDS ${vocrigIcon})

string(REGEX MATCH "^([0-9]+)\\.([0-9]+)" versionDigits ${VOCRIG_VERSION})
set(versionCommas "${CMAKE_MATCH_1},${CMAKE_MATCH_2},0,0")
set(versionDots "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.0.0")
set(version ${VOCRIG_VERSION})
set(icon ${vocrigIcon})
foreach(entry "voctrans|Vocrig translator: the panel's commands to the radio's CI-V"
              "vocpanel|Vocrig talking front panel" "vocsim|Vocrig simulated ICOM transceiver")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 program)
  list(GET entry 1 description)
  if(TARGET ${program})
    set(rc ${CMAKE_BINARY_DIR}/resources/${program}.rc)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/program.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${vocrigIcon})
    target_sources(${program} PRIVATE ${rc})
    add_dependencies(${program} vocrig_icon)
  endif()
endforeach()

# The setup program. The word set (wave/, built by `make`) and README.md are
# taken as they are when it is built.
find_program(VOCRIG_MAKENSIS makensis)
set(stage ${CMAKE_BINARY_DIR}/installer)
set(setup ${CMAKE_BINARY_DIR}/vocrig-${VOCRIG_VERSION}-setup.exe)
add_custom_target(windows_installer
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DSTAGE=${stage} -DBIN=$<TARGET_FILE_DIR:voctrans>
          -DICON=${vocrigIcon} -DMAKENSIS=${VOCRIG_MAKENSIS} -P ${CMAKE_CURRENT_LIST_DIR}/stage.cmake
  COMMAND ${VOCRIG_MAKENSIS} -V2 -DVERSION=${VOCRIG_VERSION} -DNUMERIC=${versionDots} -DSTAGE=${stage} -DOUTFILE=${setup}
          ${CMAKE_CURRENT_LIST_DIR}/vocrig.nsi
  COMMAND ${CMAKE_COMMAND} -E echo ${setup}
  DEPENDS voctrans vocpanel vocsim vocrig_icon
  VERBATIM)
