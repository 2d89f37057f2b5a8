# Documents from templates: the filler, and the ten templates the build makes.
dravik_test(tst_docx tst_docx.cpp LIBS word wordplans)
# The six buttons' documents, read back by a real word processor.
dravik_test(tst_worddocs tst_worddocs.cpp LIBS app engine tablesource Qt6::Widgets)
target_include_directories(tst_worddocs PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
