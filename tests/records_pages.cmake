# New records and their numbers, the section-page machinery and page 1.
# A dialog left open fails the test instead of hanging it.
dravik_test(tst_numbering tst_numbering.cpp LIBS app engine tablesource)
foreach(t tst_formnew tst_sectionpage tst_page1 tst_page2 tst_page3 tst_page9)
  dravik_test(${t} ${t}.cpp LIBS app engine tablesource Qt6::Widgets)
  set_tests_properties(${t} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=60000")
endforeach()
# The rules of pages 2 and 3 that need no window.
dravik_test(tst_sectionrules tst_sectionrules.cpp LIBS app engine)
# Page 8 with the person register and picker, page 7 and the lock they feed.
# A dialog left open fails the test instead of hanging it.
dravik_test(tst_persons tst_persons.cpp LIBS app engine tablesource Qt6::Widgets)
set_tests_properties(tst_persons PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
