# The unit information: the unit page with its memo editors and code lists,
# the discipline leaders list and dialog (the first user of the child-list
# base). A dialog left open fails the test instead of hanging it.
foreach(t tst_unitpage tst_leaders)
  dravik_test(${t} ${t}.cpp LIBS app engine tablesource)
  set_tests_properties(${t} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
endforeach()
