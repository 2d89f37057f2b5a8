# Exchange text files and the archiver.
dravik_test(tst_exchangefile tst_exchangefile.cpp LIBS exchangecore tablesource)
dravik_test(tst_archiver tst_archiver.cpp LIBS exchangecore)
