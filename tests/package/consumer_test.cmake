# Run by CTest with cmake -P; see CMakeLists.txt beside this file.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(header varnel/reader/mqo_loader.h varnel/model/mqo_model.h varnel/builder/scene_builder.h
               varnel/host/max.h lib/cmake/Varnel/VarnelConfig.cmake)
  if(NOT EXISTS ${prefix}/include/${header} AND NOT EXISTS ${prefix}/${header})
    message(FATAL_ERROR "the install tree lacks ${header}")
  endif()
endforeach()

run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_CXX_FLAGS=${CXX_FLAGS}
    -DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS} -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/load_totals ${DOCUMENT})
set(printed "${out}")

# The same document through the installed command, frozen the same way.
run(${prefix}/bin/varnel read --freeze-mirror --json ${DOCUMENT})
string(JSON objects LENGTH "${out}" objects)
string(JSON materials LENGTH "${out}" materials)
string(JSON faces GET "${out}" totals face)
string(JSON vertices GET "${out}" totals vertex)
string(JSON triangles GET "${out}" totals triangle)
set(expected "objects ${objects}, materials ${materials}, faces ${faces}, vertices ${vertices}, triangles ${triangles}\n")
if(NOT printed STREQUAL expected)
  message(FATAL_ERROR "load_totals printed\n  ${printed}the command's dump says\n  ${expected}")
endif()
message(STATUS "consumer printed: ${printed}")
