# The unit information: the unit page with its memo editors and code lists,
# the discipline leaders list and dialog (the first user of the child-list
# base). A dialog left open fails the test instead of hanging it.
foreach(t tst_unitpage tst_leaders)
  dravik_test(${t} ${t}.cpp LIBS app engine)
  set_tests_properties(${t} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
endforeach()
# Page 4 with the own-unit profile, page 5 (cooperating units) and the
# second-level units. A dialog left open fails the test instead of hanging it.
foreach(t tst_page4 tst_page5 tst_secondlevel)
  dravik_test(${t} ${t}.cpp LIBS app engine)
  set_tests_properties(${t} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
endforeach()
