# The API reference: `docs` runs Doxygen (Debian: doxygen) over the public headers and writes
# HTML to <build>/docs/html/index.html. Any Doxygen warning (an undocumented public class, member
# or enumerator, a broken reference) fails the target. Never part of the default build.
find_program(VELMORA_DOXYGEN doxygen)
set(VELMORA_DOCS_OUTPUT ${PROJECT_BINARY_DIR}/docs)
if(VELMORA_DOXYGEN)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${PROJECT_BINARY_DIR}/Doxyfile @ONLY)
  add_custom_target(docs
                    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORA_DOCS_OUTPUT}
                    COMMAND ${VELMORA_DOXYGEN} ${PROJECT_BINARY_DIR}/Doxyfile
                    COMMAND ${CMAKE_COMMAND} -E echo
                            "API reference: ${VELMORA_DOCS_OUTPUT}/html/index.html"
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    COMMENT "Writing the API reference with Doxygen"
                    VERBATIM)
else()
  add_custom_target(docs
                    COMMAND ${CMAKE_COMMAND} -E echo
                            "docs: Doxygen not found; install it (Debian: doxygen) and configure again"
                    COMMAND ${CMAKE_COMMAND} -E false
                    VERBATIM)
endif()

# Every relative link in the Markdown (README.md, docs/, ...) resolves, and the check finds a
# broken one.
if(VELMORA_BUILD_TESTS)
  add_test(NAME docs.relative_links
           COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}
                   -P ${PROJECT_SOURCE_DIR}/tests/docs/check_links.cmake)
  add_test(NAME docs.link_check_finds_broken_links
           COMMAND ${CMAKE_COMMAND} -DSELF_TEST=ON -DWORK=${PROJECT_BINARY_DIR}/link-check
                   -P ${PROJECT_SOURCE_DIR}/tests/docs/check_links.cmake)
  # The robot project guide shows the files of tests/robot_project as they are.
  add_test(NAME docs.guides_show_their_files
           COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DGUIDES=docs/robot-project.md
                   -P ${PROJECT_SOURCE_DIR}/tests/docs/check_shown_files.cmake)
  add_test(NAME docs.shown_files_check_finds_changes
           COMMAND ${CMAKE_COMMAND} -DSELF_TEST=ON -DWORK=${PROJECT_BINARY_DIR}/shown-files-check
                   -P ${PROJECT_SOURCE_DIR}/tests/docs/check_shown_files.cmake)
  set_tests_properties(docs.relative_links docs.link_check_finds_broken_links
                       docs.guides_show_their_files docs.shown_files_check_finds_changes
                       PROPERTIES LABELS docs)
endif()
