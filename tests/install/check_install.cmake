# cmake -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... [-DCPACK=... -DDPKG_DEB=...] -P check_install.cmake

set(expected
  usr/bin/ostrel
  usr/bin/ostrel-cli
  usr/lib/udev/rules.d/60-kov-ftdi.rules
  usr/share/applications/com.brenvik.Ostrel.desktop
  usr/share/icons/hicolor/scalable/apps/com.brenvik.Ostrel.svg
  usr/share/metainfo/com.brenvik.Ostrel.metainfo.xml)
list(SORT expected)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# Every file under root, relative to it, sorted; exactly the expected ones.
function(check_tree root what)
  file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
  list(SORT found)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${what} holds:\n  ${found}\nexpected:\n  ${expected}")
  endif()
  file(READ ${root}/usr/share/applications/com.brenvik.Ostrel.desktop desktop)
  foreach(line "Exec=ostrel %F" "Icon=com.brenvik.Ostrel" "Type=Application")
    string(FIND "${desktop}" "${line}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what}: the desktop entry lacks '${line}'")
    endif()
  endforeach()
  file(READ ${root}/usr/share/metainfo/com.brenvik.Ostrel.metainfo.xml metainfo)
  string(FIND "${metainfo}" "<release version=\"${VERSION}\"" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: the AppStream file does not name version ${VERSION}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/root/usr)
check_tree(${WORK_DIR}/root "cmake --install")
# The installed programs run from where they landed.
foreach(program ostrel ostrel-cli)
  run(${WORK_DIR}/root/usr/bin/${program} --version)
  string(FIND "${out}" "${VERSION}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "installed ${program} --version printed: ${out}")
  endif()
endforeach()

if(CPACK AND DPKG_DEB)
  run(${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/package)
  file(GLOB debs ${WORK_DIR}/package/ostrel_${VERSION}_*.deb)
  list(LENGTH debs count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one ostrel_${VERSION}_*.deb, found: ${debs}")
  endif()
  run(${DPKG_DEB} -x ${debs} ${WORK_DIR}/deb)
  check_tree(${WORK_DIR}/deb ".deb")
  run(${DPKG_DEB} -f ${debs} Depends)
  foreach(dependency libqt6widgets6 libqt6serialport6 qt6-qpa-plugins)
    string(FIND "${out}" "${dependency}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR ".deb Depends lacks ${dependency}: ${out}")
    endif()
  endforeach()
endif()
