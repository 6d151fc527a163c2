# WPILib's debug libraries carry a "d" before the suffix (libwpilibcd.so, libwpiHald.so,
# libntcored.so, libwpiutild.so), and a team's debug build extracts those only: a debug library
# of ours must ask the loader for these names. They have the ABI of the release libraries, so a
# machine without a debug WPILib build links against copies of the release ones under the debug
# names: each copy gets its debug name as SONAME and asks for the other libraries by their debug
# names, so a program never loads a release and a debug WPILib side by side.
#
#   velmora_use_wpilib_debug_names(<folder>)
#
# After find_package(wpilibc): makes the copies in <folder> (with patchelf) and points WPILib's
# imported targets at them, so everything the build links against WPILib gets the debug names.
set(VELMORA_WPILIB_DEBUG_NAME_TARGETS wpilibc hal ntcore wpiutil)

function(velmora_use_wpilib_debug_names folder)
  find_program(VELMORA_PATCHELF patchelf)
  if(NOT VELMORA_PATCHELF)
    message(FATAL_ERROR "WPILib's debug library names need patchelf (Debian: apt install patchelf)")
  endif()
  file(MAKE_DIRECTORY ${folder})
  set(renames "")
  set(copies "")
  foreach(target ${VELMORA_WPILIB_DEBUG_NAME_TARGETS})
    if(NOT TARGET ${target})
      continue()
    endif()
    get_target_property(location ${target} LOCATION)
    get_filename_component(location "${location}" REALPATH)
    get_filename_component(name "${location}" NAME)
    string(REGEX REPLACE "\\.so$" "d.so" debug_name "${name}")
    list(APPEND renames --replace-needed ${name} ${debug_name})
    list(APPEND copies "${target}|${location}|${folder}/${debug_name}")
  endforeach()
  foreach(copy ${copies})
    string(REPLACE "|" ";" copy "${copy}")
    list(GET copy 0 target)
    list(GET copy 1 location)
    list(GET copy 2 debug_library)
    get_filename_component(debug_name "${debug_library}" NAME)
    if(NOT EXISTS ${debug_library} OR ${location} IS_NEWER_THAN ${debug_library})
      file(COPY_FILE ${location} ${debug_library}.tmp)
      file(CHMOD ${debug_library}.tmp PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
      # One change per run: patchelf 0.14 mixes up a new SONAME with replaced needs in one run.
      foreach(change "${renames}" "--set-soname;${debug_name}" "--set-rpath;$ORIGIN")
        execute_process(COMMAND ${VELMORA_PATCHELF} ${change} ${debug_library}.tmp
                        RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
          message(FATAL_ERROR "patchelf could not rename ${location} to ${debug_name}")
        endif()
      endforeach()
      file(RENAME ${debug_library}.tmp ${debug_library})
    endif()
    get_target_property(configs ${target} IMPORTED_CONFIGURATIONS)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${debug_library}
                          IMPORTED_SONAME ${debug_name})
    foreach(config ${configs})
      set_target_properties(${target} PROPERTIES IMPORTED_LOCATION_${config} ${debug_library}
                            IMPORTED_SONAME_${config} ${debug_name})
    endforeach()
  endforeach()
endfunction()
