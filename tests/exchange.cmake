# Exchange text files and the archiver.
dravik_test(tst_exchangefile tst_exchangefile.cpp LIBS exchangecore tablesource)
# The archiver also with its progress window, which a test cancels.
dravik_test(tst_archiver tst_archiver.cpp LIBS app)
set_tests_properties(tst_archiver PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
