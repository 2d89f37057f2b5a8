# Documents from templates: the filler, and the ten templates the build makes.
dravik_test(tst_docx tst_docx.cpp LIBS word wordplans)
# The six buttons' documents, read back by a real word processor.
dravik_test(tst_worddocs tst_worddocs.cpp LIBS app engine Qt6::Widgets)
target_include_directories(tst_worddocs PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
# Every bookmark of the ten documents against the field it stands for.
dravik_test(tst_wordbookmarks tst_wordbookmarks.cpp LIBS app engine Qt6::Widgets)
target_include_directories(tst_wordbookmarks PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
# Both read the templates of the shipped data folder.
add_dependencies(tst_worddocs datadist)
add_dependencies(tst_wordbookmarks datadist)
