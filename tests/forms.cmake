# The bound forms walked generically and the hooks of the child lists.
dravik_test(tst_boundforms tst_boundforms.cpp LIBS app engine)
set_tests_properties(tst_boundforms PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=60000")
