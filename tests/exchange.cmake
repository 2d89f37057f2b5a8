# Exchange text files and the archiver.
dravik_test(tst_exchangefile tst_exchangefile.cpp LIBS exchangecore tablesource)
dravik_test(tst_archiver tst_archiver.cpp LIBS exchangecore)
# The export and code-table windows, with the real arj.
foreach(t tst_export tst_codemanage)
  dravik_test(${t} ${t}.cpp LIBS app engine tablesource)
endforeach()
