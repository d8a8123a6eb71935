# Gathers what the setup program holds into STAGE (run by the windows_installer
# target): the programs, the word set, the sample vocrig.cfg, the operator's
# reference as text with Windows line ends, the icon, and the lists of words
# the installer puts in and the uninstaller takes out again.
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis is not installed (Debian's nsis package; tools/bootstrap installs it)")
endif()
file(GLOB words RELATIVE ${SOURCE}/wave ${SOURCE}/wave/*.wav)
if(NOT words)
  message(FATAL_ERROR "no word set in ${SOURCE}/wave: build it first (make, or tools/make-voice wave)")
endif()
list(SORT words)

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/wave)
foreach(program voctrans vocpanel vocsim)
  file(COPY ${BIN}/${program}.exe DESTINATION ${STAGE})
endforeach()
file(COPY ${SOURCE}/dist/vocrig.cfg ${ICON} DESTINATION ${STAGE})

file(READ ${SOURCE}/README.md readme)
string(REPLACE "\r\n" "\n" readme "${readme}")
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${STAGE}/README.txt "${readme}")

set(install "")
set(uninstall "")
foreach(word ${words})
  file(COPY ${SOURCE}/wave/${word} DESTINATION ${STAGE}/wave)
  string(APPEND install "File \"${STAGE}/wave/${word}\"\n")
  string(APPEND uninstall "Delete \"$INSTDIR\\wave\\${word}\"\n")
endforeach()
file(WRITE ${STAGE}/words_install.nsh "${install}")
file(WRITE ${STAGE}/words_uninstall.nsh "${uninstall}")
