# The lowest layer of the engine: GBK text, value texts, dBase table and memo files.
dravik_test(tst_gbktext tst_gbktext.cpp LIBS engine)
dravik_test(tst_dbffile tst_dbffile.cpp LIBS engine)
# Damaged files, hostile text and a failure at each write.
dravik_test(tst_damage tst_damage.cpp LIBS engine)
