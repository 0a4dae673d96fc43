# Lays out the Windows program as a user unpacks it and packs it as a zip:
#
#   KorvanSensorSetup-win64/
#     KorvanSensorSetup.exe, korvan.exe
#     Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the compiler's runtime DLLs
#     platforms/qwindows.dll, styles/qwindowsvistastyle.dll
#     translations/qtbase_ru.qm (Qt's own texts in Russian)
#     qt.conf (Qt looks for its plugins and translations beside the program)
#
# Run with cmake -P; src/app/CMakeLists.txt passes, as ;-lists with | for ;,
#   KORVAN_DEPLOY_DIR     the folder to lay out (made anew)
#   KORVAN_DEPLOY_ZIP     the zip to write
#   KORVAN_DEPLOY_FILES   files for the folder itself
#   KORVAN_DEPLOY_SUBDIRS pairs subfolder=file
#   KORVAN_DEPLOY_STRIP   the strip program for the copies (optional)
foreach(var KORVAN_DEPLOY_DIR KORVAN_DEPLOY_ZIP KORVAN_DEPLOY_FILES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "DeployWindows.cmake: ${var} not given")
  endif()
endforeach()
string(REPLACE "|" ";" files "${KORVAN_DEPLOY_FILES}")
string(REPLACE "|" ";" subdirs "${KORVAN_DEPLOY_SUBDIRS}")

file(REMOVE_RECURSE "${KORVAN_DEPLOY_DIR}")
file(MAKE_DIRECTORY "${KORVAN_DEPLOY_DIR}")
foreach(f IN LISTS files)
  if(NOT EXISTS "${f}")
    message(FATAL_ERROR "DeployWindows.cmake: ${f} is missing")
  endif()
  file(COPY "${f}" DESTINATION "${KORVAN_DEPLOY_DIR}")
endforeach()
foreach(pair IN LISTS subdirs)
  string(FIND "${pair}" "=" eq)
  string(SUBSTRING "${pair}" 0 ${eq} sub)
  math(EXPR start "${eq} + 1")
  string(SUBSTRING "${pair}" ${start} -1 f)
  if(NOT EXISTS "${f}")
    message(FATAL_ERROR "DeployWindows.cmake: ${f} is missing")
  endif()
  file(COPY "${f}" DESTINATION "${KORVAN_DEPLOY_DIR}/${sub}")
endforeach()
# Symbols are of no use to the user and would double the download.
if(KORVAN_DEPLOY_STRIP)
  file(GLOB_RECURSE binaries "${KORVAN_DEPLOY_DIR}/*.exe" "${KORVAN_DEPLOY_DIR}/*.dll")
  foreach(b IN LISTS binaries)
    execute_process(COMMAND "${KORVAN_DEPLOY_STRIP}" --strip-unneeded "${b}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "DeployWindows.cmake: stripping ${b} failed")
    endif()
  endforeach()
endif()
file(WRITE "${KORVAN_DEPLOY_DIR}/qt.conf" "[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n")

get_filename_component(parent "${KORVAN_DEPLOY_DIR}" DIRECTORY)
get_filename_component(name "${KORVAN_DEPLOY_DIR}" NAME)
file(REMOVE "${KORVAN_DEPLOY_ZIP}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${KORVAN_DEPLOY_ZIP}" --format=zip "${name}"
                WORKING_DIRECTORY "${parent}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "DeployWindows.cmake: packing ${KORVAN_DEPLOY_ZIP} failed")
endif()
message(STATUS "Windows package: ${KORVAN_DEPLOY_ZIP}")
