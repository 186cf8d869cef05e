# Builds the Debian package from a build tree into SCRATCH/deb, after making sure the installed
# programs are up to date. Run by CTest as the set-up of the package tests.
#   cmake -DBUILD_DIR=... -DSCRATCH=... -DCPACK=... -P package_build.cmake

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target vespian2002 vespian-recorder vespian-report vespian-icons
  RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "building the programs failed")
endif()
execute_process(
  COMMAND ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${SCRATCH}/deb
  RESULT_VARIABLE packed OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "cpack failed")
endif()
file(GLOB debs ${SCRATCH}/deb/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one .deb in ${SCRATCH}/deb, found ${count}")
endif()
