# The shipped table files and the mktables tool.
dravik_test(tst_tables tst_tables.cpp LIBS engine)
# The test runs the tool itself.
add_dependencies(tst_tables mktables)
