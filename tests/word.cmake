# Documents from templates: the filler, and the ten templates the build makes.
dravik_test(tst_docx tst_docx.cpp LIBS word wordplans)
