# Every message box, caused through the window that shows it.
dravik_test(tst_messages tst_messages.cpp support/ImportData.cpp LIBS app engine Qt6::Widgets)
set_tests_properties(tst_messages PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
