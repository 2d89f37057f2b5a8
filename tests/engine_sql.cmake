# SQL over the table files, datasets and the grid model.
dravik_test(tst_sql tst_sql.cpp LIBS engine)
dravik_test(tst_dataset tst_dataset.cpp LIBS engine)
