# Run by cpack after it made the packages (CPACK_POST_BUILD_SCRIPTS). CPack's -dbgsym
# packages lack two things Debian expects of them: their md5sums name the files by CPack's
# staging path instead of their place in the package, and they have no documentation folder.
# Each is unpacked, given correct md5sums and the folder /usr/share/doc/<package>-dbgsym as a
# link to the documentation of the package it belongs to (as debhelper makes it), and packed
# again.
set(debug_packages ${CPACK_PACKAGE_FILES})
list(FILTER debug_packages INCLUDE REGEX "-dbgsym_[^/]*\\.ddeb$")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: ${error}")
  endif()
endfunction()

foreach(debug_package IN LISTS debug_packages)
  get_filename_component(name ${debug_package} NAME)
  string(REGEX REPLACE "-dbgsym_.*" "" package "${name}")
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/complete-dbgsym/${package})
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  run(dpkg-deb --raw-extract ${debug_package} ${tree})
  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${package} ${tree}/usr/share/doc/${package}-dbgsym SYMBOLIC)
  file(GLOB_RECURSE debug_files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/usr/*)
  list(SORT debug_files)
  set(md5sums "")
  foreach(debug_file IN LISTS debug_files)
    if(NOT IS_SYMLINK ${tree}/${debug_file})
      # Symbols are data, read by the debugger, as debhelper ships them.
      file(CHMOD ${tree}/${debug_file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
      file(MD5 ${tree}/${debug_file} sum)
      string(APPEND md5sums "${sum}  ${debug_file}\n")
    endif()
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${md5sums}")
  run(dpkg-deb --root-owner-group --build ${tree} ${debug_package})
  file(REMOVE_RECURSE ${tree})
endforeach()
