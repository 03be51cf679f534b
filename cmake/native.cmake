# Native Linux configuration: unit tests, fwprobe, benchmarks, fuzz targets.
enable_testing()

if(MP_FUZZ)
  add_subdirectory(tests/fuzz)
  return()
endif()

foreach(dir tools tests/native bench)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()
