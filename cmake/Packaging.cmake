# Installed like a tool, and packaged for Debian.
#
# Everything sits at a fixed place relative to the prefix, and each part finds the others
# relative to its own file, so an installation works under any prefix and wherever a package is
# unpacked:
#   bin/jitterforge
#   lib/jitterforge/                the effect module, and libraries only Jitterforge uses
#   lib/frei0r-1/jitterforge.so     the frei0r filter, where ffmpeg and MLT look under /usr and
#                                   /usr/local (lib/, not Debian's multiarch lib/<triplet>/)
#   share/jitterforge/looks/
#   share/man/man1/jitterforge.1.gz
#   share/bash-completion/completions/jitterforge
#   share/zsh/vendor-completions/_jitterforge
#
# The manual page and completion scripts are written at build time by the command itself from
# its option definitions, so they cannot fall behind them. A cross build cannot run the command
# it makes and goes without.

if(TARGET jitterforge AND NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
  # A library installed beside the module is found by the command from wherever it is installed.
  set_property(TARGET jitterforge APPEND PROPERTY INSTALL_RPATH "$ORIGIN/../lib/jitterforge")

  find_program(JF_GZIP gzip)
  set(JF_DOCS_DIR "${CMAKE_BINARY_DIR}/share")
  set(JF_MAN_PAGE "${JF_DOCS_DIR}/jitterforge.1")
  set(JF_BASH_COMPLETION "${JF_DOCS_DIR}/jitterforge.bash")
  set(JF_ZSH_COMPLETION "${JF_DOCS_DIR}/_jitterforge")
  set(JF_GENERATE_DOCS "${CMAKE_CURRENT_LIST_DIR}/GenerateDocs.cmake")
  set(JF_MAN_OUTPUTS "${JF_MAN_PAGE}")
  if(JF_GZIP)
    list(APPEND JF_MAN_OUTPUTS "${JF_MAN_PAGE}.gz")
  endif()
  add_custom_command(
    OUTPUT ${JF_MAN_OUTPUTS} "${JF_BASH_COMPLETION}" "${JF_ZSH_COMPLETION}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${JF_DOCS_DIR}"
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=$<TARGET_FILE:jitterforge>" -DKIND=man
            "-DOUTPUT=${JF_MAN_PAGE}" "-DGZIP=${JF_GZIP}" -P "${JF_GENERATE_DOCS}"
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=$<TARGET_FILE:jitterforge>" -DKIND=bash
            "-DOUTPUT=${JF_BASH_COMPLETION}" -P "${JF_GENERATE_DOCS}"
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=$<TARGET_FILE:jitterforge>" -DKIND=zsh
            "-DOUTPUT=${JF_ZSH_COMPLETION}" -P "${JF_GENERATE_DOCS}"
    DEPENDS jitterforge "${JF_GENERATE_DOCS}"
    VERBATIM
    COMMENT "Writing the manual page and shell completion from the command's options")
  add_custom_target(jf_command_docs ALL DEPENDS ${JF_MAN_OUTPUTS} "${JF_BASH_COMPLETION}"
                                                "${JF_ZSH_COMPLETION}")

  if(JF_GZIP)
    install(FILES "${JF_MAN_PAGE}.gz" DESTINATION share/man/man1)
  else()
    install(FILES "${JF_MAN_PAGE}" DESTINATION share/man/man1)
  endif()
  install(FILES "${JF_BASH_COMPLETION}" DESTINATION share/bash-completion/completions
          RENAME jitterforge)
  install(FILES "${JF_ZSH_COMPLETION}" DESTINATION share/zsh/vendor-completions)
endif()

# ---- The Debian package: cpack -G DEB (from the build folder) ----------------------------
set(JITTERFORGE_MAINTAINER "Jitterforge maintainers <maintainers@jitterforge.invalid>" CACHE STRING
    "The Debian package's Maintainer field: a name and an address")
set(CPACK_PACKAGE_NAME jitterforge)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Jitterforge")
set(CPACK_PACKAGE_CONTACT "${JITTERFORGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "glitch video effect: plug-in module, command and frei0r filter")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${JITTERFORGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description below the summary line, one control-file line per line here.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Seven glitch stages (Basic Blocks, Pixel Sorter, Elements Scatter, Blur Blocks,"
       "Noise, Warp, Split RGB) at 8, 16 or 32-bit float per channel, every random layout"
       "from explicit seeds. The package holds the effect plug-in module, the jitterforge"
       "command for images, image sequences and ffmpeg pipes, curated looks, and a frei0r"
       "filter that ffmpeg and MLT (Kdenlive, Shotcut) find in /usr/lib/frei0r-1.")
# Depends is what the installed programs link, as dpkg-shlibdeps finds it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, melt")
include(CPack)
