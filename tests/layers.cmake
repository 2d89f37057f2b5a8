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
  # A climb with ".." out of a root's folder finds nothing there either. The
  # verdict must be about the climbing include itself: the data module's own
  # includes would fail in the engine all the same.
  function(dravik_climb_probe name floor include)
    dravik_layer_probe(${name} ${floor} TRUE)
    string(REPLACE "." "\\." pattern " ${include}: ")
    set_tests_properties(layers_${name} PROPERTIES WILL_FAIL FALSE
      PASS_REGULAR_EXPRESSION "${pattern}")
  endfunction()
  dravik_climb_probe(page_climbs_to_main pages "records/pages/../../app/Unit1.h")
  dravik_climb_probe(engine_climbs_to_data engine "engine/../records/data/UnitDM.h")
endif()

# A climb from the including file's own folder ("../../app/Unit1.h" in a
# page) is found beside the file, before any root is asked: no include under
# src/ may climb. The probes show the check refuses both spellings.
set(DRAVIK_CLIMB_CHECK ${CMAKE_CURRENT_SOURCE_DIR}/layers/no_climbing_includes.cmake)
add_test(NAME layers_no_climbing_includes
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR}/src -P ${DRAVIK_CLIMB_CHECK})
foreach(probe page_climbs_to_main engine_climbs_to_data)
  add_test(NAME layers_check_refuses_${probe}
    COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_CURRENT_SOURCE_DIR}/layers/climbing/${probe}.cpp
      -P ${DRAVIK_CLIMB_CHECK})
  set_tests_properties(layers_check_refuses_${probe} PROPERTIES
    PASS_REGULAR_EXPRESSION "climbing/${probe}\\.cpp: #include")
endforeach()

# The program builds without the build tools: no include under src/ reaches
# a header of tools/. The probes show the check refuses both spellings.
set(DRAVIK_TOOL_CHECK ${CMAKE_CURRENT_SOURCE_DIR}/layers/no_tool_includes.cmake)
add_test(NAME layers_no_tool_includes
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR}/src -DSRC=${CMAKE_SOURCE_DIR}/src
    -DTOOLS=${CMAKE_SOURCE_DIR}/tools -P ${DRAVIK_TOOL_CHECK})
foreach(probe data_includes_tool data_includes_tools_folder)
  add_test(NAME layers_tool_check_refuses_${probe}
    COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_CURRENT_SOURCE_DIR}/layers/reaching/${probe}.cpp
      -DSRC=${CMAKE_SOURCE_DIR}/src -DTOOLS=${CMAKE_SOURCE_DIR}/tools -P ${DRAVIK_TOOL_CHECK})
  set_tests_properties(layers_tool_check_refuses_${probe} PROPERTIES
    PASS_REGULAR_EXPRESSION "reaching/${probe}\\.cpp: #include")
endforeach()
