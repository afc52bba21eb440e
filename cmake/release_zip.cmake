# The release zip of the i686 build: dist/dimmscope-<version>-win32.zip with
# both exes, the user's read-me and the licence, a copy of each exe beside it
# and SHA256SUMS over all three, and the package managers' manifests
# (tools/make_manifests.py: Scoop's dimmscope.json, winget's under winget/,
# with the zip's address and hash). The name takes DIMMSCOPE_VERSION, as the
# version resource and the About dialog do. scripts/package builds it in a
# build folder of its own and copies it to dist/; every i686 build writes it
# too, so the test run (tests/release_zip.sh, tools/check_release.py) checks
# what would ship.
#
# tools/make_release_zip.py writes the zip rather than CPack's ZIP generator,
# whose entry order and owner ids cannot be fixed (the script says why). Every
# file is given with its entry name, so a build folder whose path holds '='
# still packs.

find_program(DIMMSCOPE_PYTHON3 python3 REQUIRED)

# Windows users open these with Notepad: CRLF line ends.
configure_file("${PROJECT_SOURCE_DIR}/docs/user-readme.txt.in" "${CMAKE_BINARY_DIR}/release/README.txt"
               @ONLY NEWLINE_STYLE CRLF)
configure_file("${PROJECT_SOURCE_DIR}/LICENSE" "${CMAKE_BINARY_DIR}/release/LICENSE.txt" @ONLY NEWLINE_STYLE CRLF)

set(DIMMSCOPE_DIST_DIR "${CMAKE_BINARY_DIR}/dist")
# A target rather than a command with outputs: it runs at every build, so the
# entries' date follows the last commit even when no file changed.
add_custom_target(release_zip ALL
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${DIMMSCOPE_DIST_DIR}"
  COMMAND "${DIMMSCOPE_PYTHON3}" "${PROJECT_SOURCE_DIR}/tools/make_release_zip.py"
          "${DIMMSCOPE_DIST_DIR}" "dimmscope-${DIMMSCOPE_VERSION}-win32.zip" "${PROJECT_SOURCE_DIR}"
          "$<TARGET_FILE:dimmscope>=dimmscope.exe" "$<TARGET_FILE:dimmscope-report>=dimmscope-report.exe"
          "${CMAKE_BINARY_DIR}/release/README.txt=README.txt" "${CMAKE_BINARY_DIR}/release/LICENSE.txt=LICENSE.txt"
  COMMAND "${DIMMSCOPE_PYTHON3}" "${PROJECT_SOURCE_DIR}/tools/make_manifests.py" "${DIMMSCOPE_DIST_DIR}"
  COMMENT "Writing dist/dimmscope-${DIMMSCOPE_VERSION}-win32.zip, SHA256SUMS and the Scoop and winget manifests"
  VERBATIM)
add_dependencies(release_zip dimmscope dimmscope-report)
