# CLI11 and nlohmann-json are headers alone, and Debian packages them for the build machine
# only. A cross build uses them through a folder that holds just their headers, copied from the
# build machine's include folder: handing the target compiler /usr/include itself would mix the
# build machine's C library headers into the target's.
function(jf_build_machine_headers target folder)
  find_path(JF_${folder}_ROOT "${folder}" PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT JF_${folder}_ROOT)
    message(FATAL_ERROR "${target}: no ${folder}/ headers in /usr/include or /usr/local/include")
  endif()
  file(COPY "${JF_${folder}_ROOT}/${folder}" DESTINATION "${CMAKE_BINARY_DIR}/build-machine-headers")
  if(NOT TARGET ${target})
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
                          "${CMAKE_BINARY_DIR}/build-machine-headers"
                          INTERFACE_SYSTEM_INCLUDE_DIRECTORIES
                          "${CMAKE_BINARY_DIR}/build-machine-headers")
  endif()
endfunction()
