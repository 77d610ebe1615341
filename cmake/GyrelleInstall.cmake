# cmake --install puts both formats where Linux hosts look for them: the VST 2
# libraries in ~/.vst, the LV2 bundle in ~/.lv2. Other folders:
# cmake -B build -DGYRELLE_VST_DIR=/some/dir -DGYRELLE_LV2_DIR=/other/dir
set(GYRELLE_VST_DIR "$ENV{HOME}/.vst" CACHE PATH "Folder that cmake --install puts the VST 2 plug-ins into")
set(GYRELLE_LV2_DIR "$ENV{HOME}/.lv2" CACHE PATH "Folder that cmake --install puts the LV2 bundle into")

if(NOT (TARGET gyrelle_mono AND TARGET gyrelle_stereo AND TARGET gyrelle_lv2_dsp))
  return()
endif()

install(TARGETS gyrelle_mono gyrelle_stereo LIBRARY DESTINATION "${GYRELLE_VST_DIR}" COMPONENT user)
install(DIRECTORY ${GYRELLE_LV2_BUNDLE} DESTINATION "${GYRELLE_LV2_DIR}" COMPONENT user USE_SOURCE_PERMISSIONS)

# The Debian package holds both formats in the system folders, /usr/lib/vst
# and /usr/lib/lv2; only CPack installs this component.
install(TARGETS gyrelle_mono gyrelle_stereo LIBRARY DESTINATION lib/vst COMPONENT system EXCLUDE_FROM_ALL)
install(DIRECTORY ${GYRELLE_LV2_BUNDLE} DESTINATION lib/lv2 COMPONENT system EXCLUDE_FROM_ALL
  USE_SOURCE_PERMISSIONS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gyrelle)
set(CPACK_PACKAGE_VENDOR "QuillfenSoundSoftware")
set(CPACK_PACKAGE_CONTACT "QuillfenSoundSoftware")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Endless-glissando audio effect (VST 2 and LV2)")
set(CPACK_PACKAGE_DESCRIPTION "Gyrelle makes sounds seem to rise or fall for ever: pitch-shifted copies of\
 the input move together around a cycle. Mono and stereo builds, as VST 2 plug-ins in /usr/lib/vst and as\
 an LV2 bundle in /usr/lib/lv2.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL system)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
