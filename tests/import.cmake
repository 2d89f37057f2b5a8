# The import: staging, storing and the import window with real packages.
dravik_test(tst_importstore tst_importstore.cpp support/ImportData.cpp LIBS app engine)
dravik_test(tst_importwindow tst_importwindow.cpp support/ImportData.cpp LIBS app engine Qt6::Widgets)
set_tests_properties(tst_importwindow PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
# The store in a process of its own, for the test that kills it at each write.
add_executable(importstore_child support/StoreChild.cpp)
target_link_libraries(importstore_child PRIVATE app engine)
add_dependencies(tst_importstore importstore_child)
# The order of writes and syncs of every write path, and a delete killed at
# each of its writes (through the store's child program).
dravik_test(tst_durability tst_durability.cpp support/ImportData.cpp LIBS app engine)
add_dependencies(tst_durability importstore_child)
# Packages written by hand and packed by the real arj.
dravik_test(tst_handpackages tst_handpackages.cpp support/ImportData.cpp LIBS app engine)
