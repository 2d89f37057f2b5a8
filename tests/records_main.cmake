# The data module, start-up and the main window.
dravik_test(tst_achievementlist tst_achievementlist.cpp LIBS app engine)
dravik_test(tst_datamodule tst_datamodule.cpp LIBS app engine tablesource)
dravik_test(tst_mainwindow tst_mainwindow.cpp LIBS app engine tablesource)
