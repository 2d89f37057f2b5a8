# The label helpers, the report layer, the print window and its pages.
dravik_test(tst_labelhelpers tst_labelhelpers.cpp LIBS app engine tablesource)
