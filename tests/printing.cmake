# The label helpers, the report layer, the print window and its pages.
dravik_test(tst_labelhelpers tst_labelhelpers.cpp LIBS app engine)
foreach(t tst_printpages tst_printwindow tst_formpages tst_printedvalues)
  dravik_test(${t} ${t}.cpp LIBS app engine Qt6::Widgets)
  set_tests_properties(${t} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
endforeach()
