# The data module, start-up and the main window.
dravik_test(tst_achievementlist tst_achievementlist.cpp LIBS app engine)
dravik_test(tst_datamodule tst_datamodule.cpp LIBS app engine)
dravik_test(tst_mainwindow tst_mainwindow.cpp LIBS app engine)
# Runs real copies of the program.
add_dependencies(tst_mainwindow dravik datadist)
# The completeness lock on every road through the real main window.
dravik_test(tst_listlock tst_listlock.cpp LIBS app engine)
# The query panel of the main window; the classification chooser is modal.
dravik_test(tst_querybuilder tst_querybuilder.cpp LIBS app engine)
set_tests_properties(tst_querybuilder PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
# Records another dBase program wrote, every page and dialog saved untouched.
dravik_test(tst_untouched tst_untouched.cpp LIBS app engine)
# Records whose pages show defaults and rule-cleared values: saved as shown.
dravik_test(tst_shownstored tst_shownstored.cpp LIBS app engine)
# The one error path, under the program's own application object.
dravik_test(tst_guard tst_guard.cpp support/ImportData.cpp LIBS app engine Qt6::Widgets)
