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
