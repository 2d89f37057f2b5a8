# Shared entry routines, entry widgets, the classification chooser and the
# help windows. A dialog left open fails the test instead of hanging it.
foreach(t tst_entryroutines tst_widgets tst_formtree)
  dravik_test(${t} ${t}.cpp LIBS app engine Qt6::Widgets)
  set_tests_properties(${t} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=60000")
endforeach()
