# The packages people install, made by CPack from the install rules:
#   off Windows, a Debian package (cpack -G DEB): the varnel command, its
#   CMake package (cmake/install.cmake) and the documentation;
#   on Windows, a zip (cpack -G ZIP): varnel.exe, the plug-in as Varnel.dli,
#   varnel_host.dll and the documentation. The run-time libraries and libzip
#   are linked in, so no other DLL is needed.
# Each ships the licence texts of the code it carries inside its files,
# from the copyright files of the Debian packages that code comes from.
# tools/package.sh makes all three and checks them.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "Varnel")
set(CPACK_PACKAGE_CONTACT "Varnel developers <varnel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Metasequoia document importer for 3D Studio MAX 9, and the varnel command")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

# Code carried inside the files, by Debian package: name:copyright file.
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_windows x64)
    set(_arch x86-64)
  else()
    set(_windows x86)
    set(_arch i686)
  endif()
  set(_bundled
      libzip:${libzip_DIR}/../../../share/doc/libzip/copyright
      zlib:/usr/share/doc/libz-mingw-w64-dev/copyright
      mingw-w64-runtime:/usr/share/doc/mingw-w64-${_arch}-dev/copyright
      gcc-runtime:/usr/share/doc/g++-mingw-w64-${_arch}-posix/copyright)
  set(_docs .)
  set(_licences licences)
else()
  set(_bundled stb:/usr/share/doc/libstb-dev/copyright
               nlohmann-json:/usr/share/doc/nlohmann-json3-dev/copyright)
  set(_docs ${CMAKE_INSTALL_DOCDIR})
  set(_licences ${CMAKE_INSTALL_DOCDIR}/licences)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${_docs})
foreach(entry ${_bundled})
  string(REGEX MATCH "^[^:]+" name "${entry}")
  string(REGEX REPLACE "^[^:]+:" "" file "${entry}")
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "the licence text of ${name}, ${file}, is missing")
  endif()
  install(FILES ${file} DESTINATION ${_licences} RENAME ${name}.txt)
endforeach()

if(WIN32)
  # The host loads import plug-ins named *.dli: the module, varnel9.dll, is
  # installed under that name, and the command loads it from its own folder,
  # as it does in the build tree.
  # The import libraries of the DLLs are for linking, not for the zip.
  install(TARGETS varnel varnel_host RUNTIME DESTINATION .
          ARCHIVE DESTINATION lib COMPONENT import_libraries EXCLUDE_FROM_ALL)
  install(FILES $<TARGET_FILE:varnel_module> DESTINATION . RENAME Varnel.dli)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME varnel-${PROJECT_VERSION}-windows-${_windows})
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # The shared libraries' packages (libassimp, libzip, libisal, the C++
  # run-time) found by dpkg-shlibdeps from what the command links.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Below the summary line, which CPack writes first.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "The varnel command reads Metasequoia documents (.mqo, and .mqoz archives),\n\
imports them as the 3D Studio MAX 9 plug-in does, and writes the scene as\n\
.glb, .gltf, .obj, .fbx, .dae, .ply or .stl, one at a time or whole folders\n\
at once. The package also holds the reader's static libraries, headers and\n\
CMake package (find_package(Varnel)).")
endif()
include(CPack)
