# The import: staging, storing and the import window with real packages.
dravik_test(tst_importstore tst_importstore.cpp LIBS app engine tablesource)
