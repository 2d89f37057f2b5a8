# Exchange text files and the archiver.
dravik_test(tst_exchangefile tst_exchangefile.cpp LIBS exchangecore)
# The archiver also with its progress window, which a test cancels.
dravik_test(tst_archiver tst_archiver.cpp LIBS app)
set_tests_properties(tst_archiver PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
# The export and code-table windows, with the real arj.
foreach(t tst_export tst_codemanage)
  dravik_test(${t} ${t}.cpp LIBS app engine)
endforeach()
