# Every folder of the importer is a library of its own. Sources include
# headers as "folder/name.h"; each library puts on the include path a folder
# that holds one link, named as its own folder, to its sources. A library
# sees its own headers and those of the libraries it links, so an include of
# a higher folder does not compile.
function(varnel_layer target folder)
  set(root ${PROJECT_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>
                                              $<INSTALL_INTERFACE:include/varnel>
                                              $<INSTALL_INTERFACE:include>)
endfunction()

# The folder's sources; those under stand_in/ stand in for the system's own
# functions off Windows and are built only there.
function(varnel_sources target)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT WIN32)
    file(GLOB _stand_ins CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/stand_in/*.cpp)
    list(APPEND _srcs ${_stand_ins})
  endif()
  target_sources(${target} PRIVATE ${_srcs})
endfunction()

# The version of project() as a header, for the command and the resources.
configure_file(${CMAKE_CURRENT_LIST_DIR}/varnel_version.h.in
               ${PROJECT_BINARY_DIR}/generated/varnel_version.h @ONLY)
add_library(varnel_version INTERFACE)
target_include_directories(varnel_version INTERFACE $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated>)
