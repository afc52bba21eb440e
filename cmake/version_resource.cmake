# The Windows version resource, application icon and manifest of Dimmscope's
# programs, all taken from DIMMSCOPE_VERSION (set once in the top CMakeLists).
# Included only for Windows builds.
enable_language(RC)

set(DIMMSCOPE_COPYRIGHT_YEAR 2026)

# FILEVERSION wants four numbers: "1.8.0.20" becomes 1,8,0,20, missing parts 0.
string(REPLACE "." ";" _dimmscope_parts "${DIMMSCOPE_VERSION}")
list(LENGTH _dimmscope_parts _dimmscope_count)
if(_dimmscope_count GREATER 4)
  message(FATAL_ERROR "DIMMSCOPE_VERSION '${DIMMSCOPE_VERSION}' has more than four parts")
endif()
while(_dimmscope_count LESS 4)
  list(APPEND _dimmscope_parts 0)
  math(EXPR _dimmscope_count "${_dimmscope_count} + 1")
endwhile()
foreach(_dimmscope_part IN LISTS _dimmscope_parts)
  if(NOT _dimmscope_part MATCHES "^[0-9]+$" OR _dimmscope_part GREATER 65535)
    message(FATAL_ERROR "DIMMSCOPE_VERSION '${DIMMSCOPE_VERSION}': each part must be a number from 0 to 65535")
  endif()
endforeach()
string(REPLACE ";" "," DIMMSCOPE_RC_VERSION_COMMAS "${_dimmscope_parts}")

set(DIMMSCOPE_RC_ICON "${PROJECT_SOURCE_DIR}/app/dimmscope.ico")

# Gives TARGET (an exe) the resource, with its own name and description.
function(dimmscope_version_resource target description)
  set(DIMMSCOPE_RC_NAME "${target}")
  set(DIMMSCOPE_RC_DESCRIPTION "${description}")
  set(DIMMSCOPE_RC_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
  configure_file("${PROJECT_SOURCE_DIR}/app/dimmscope.manifest.in" "${DIMMSCOPE_RC_MANIFEST}" @ONLY)
  configure_file("${PROJECT_SOURCE_DIR}/app/dimmscope.rc.in" "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc" @ONLY)
  target_sources(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
  # windres does not see that the resource reads these files.
  set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/${target}.rc" PROPERTIES
    OBJECT_DEPENDS "${DIMMSCOPE_RC_ICON};${DIMMSCOPE_RC_MANIFEST}")
endfunction()
