# The floors refuse includes against their direction. Each probe is a library
# left out of the normal build; the test builds it and expects the compiler's
# verdict. The allowed probe proves the probes fail for the include alone.
if(NOT WIN32)
  function(dravik_layer_probe name floor expect_failure)
    add_library(${name} OBJECT EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/layers/${name}.cpp)
    target_link_libraries(${name} PRIVATE ${floor})
    add_test(NAME layers_${name}
      COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${name})
    set_tests_properties(layers_${name} PROPERTIES WILL_FAIL ${expect_failure}
      RESOURCE_LOCK layer_probes)
  endfunction()
  dravik_layer_probe(page_includes_forms pages FALSE)
  dravik_layer_probe(page_includes_main pages TRUE)
  dravik_layer_probe(engine_includes_data engine TRUE)
endif()
