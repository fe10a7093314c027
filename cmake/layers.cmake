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

# A library's sources, listed by name: the portable ones, then those for one
# kind of system, each in a folder of its own: posix/ built off Windows,
# win32/ on Windows. Off Windows the functions of the host's SDK and of
# Windows that the importer calls are stood in for by files under stand_in/,
# listed with the POSIX ones.
function(varnel_sources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "POSIX;WIN32")
  target_sources(${target} PRIVATE ${arg_UNPARSED_ARGUMENTS})
  if(WIN32)
    target_sources(${target} PRIVATE ${arg_WIN32})
  else()
    target_sources(${target} PRIVATE ${arg_POSIX})
  endif()
endfunction()

# The version of project() as a header, for the command and the resources.
configure_file(${CMAKE_CURRENT_LIST_DIR}/varnel_version.h.in
               ${PROJECT_BINARY_DIR}/generated/varnel_version.h @ONLY)
add_library(varnel_version INTERFACE)
target_include_directories(varnel_version INTERFACE $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated>)
