# The vendor file (Velmora.json) of this configuration. Where a team's build tool downloads the
# artifacts from and where it looks for a newer vendor file are settings of the release build:
#   -DVELMORA_MAVEN_URL=https://.../maven/release -DVELMORA_JSON_URL=https://.../Velmora.json
# The defaults are placeholders (velmora.example is a reserved name no one can serve) for local
# builds and tests; a published release sets both. The platforms each artifact offers are filled
# in when the release is packed, from the archives it holds (packaging/pack.cmake).
set(VELMORA_MAVEN_URL "https://velmora.example/maven/release" CACHE STRING
    "Maven repository the vendor file points teams to (default: a placeholder)")
set(VELMORA_JSON_URL "https://velmora.example/vendordep/Velmora.json" CACHE STRING
    "Where the vendor file itself is published (default: a placeholder)")
if(VELMORA_MAVEN_URL MATCHES "velmora\\.example" OR VELMORA_JSON_URL MATCHES "velmora\\.example")
  set(VELMORA_URLS_ARE_PLACEHOLDERS TRUE)
else()
  set(VELMORA_URLS_ARE_PLACEHOLDERS FALSE)
endif()
set(VELMORA_VENDORDEP_UUID "95bbbde5-93d5-5774-bb40-689e3a0a2763")
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/Velmora.json.in
               ${PROJECT_BINARY_DIR}/Velmora.json @ONLY)
