# The installed package: the reader (with the freezes) and the builder with
# its host layer as static libraries, their headers under include/varnel/,
# the varnel command, and a CMake package configuration so that another
# program writes find_package(Varnel) and links Varnel::reader.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Varnel)
set(_layers model process reader host builder)

foreach(layer ${_layers})
  set_target_properties(varnel_${layer} PROPERTIES EXPORT_NAME ${layer})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${layer}/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/varnel/${layer}
          FILES_MATCHING PATTERN "*.h" PATTERN stand_in EXCLUDE PATTERN posix EXCLUDE PATTERN win32 EXCLUDE)
endforeach()
list(TRANSFORM _layers PREPEND varnel_)
install(TARGETS ${_layers} EXPORT VarnelTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS varnel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(EXPORT VarnelTargets NAMESPACE Varnel:: DESTINATION ${_package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VarnelConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/VarnelConfig.cmake
                              INSTALL_DESTINATION ${_package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VarnelConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VarnelConfig.cmake
              ${PROJECT_BINARY_DIR}/VarnelConfigVersion.cmake
        DESTINATION ${_package_dir})
