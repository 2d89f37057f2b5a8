# New records and their numbers, the section-page machinery, pages 1, 2, 3
# and 9, and dates typed after a click anywhere in them. A dialog left open
# fails the test instead of hanging it.
dravik_test(tst_numbering tst_numbering.cpp LIBS app engine)
foreach(t tst_formnew tst_sectionpage tst_page1 tst_page2 tst_page3 tst_page9 tst_datetyping)
  dravik_test(${t} ${t}.cpp LIBS app engine Qt6::Widgets)
  set_tests_properties(${t} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=60000")
endforeach()
# The rules of pages 2 and 3 that need no window.
dravik_test(tst_sectionrules tst_sectionrules.cpp LIBS app engine)
# Page 8 with the person register and picker, page 7 and the lock they feed.
# Dates typed after a click anywhere in them. A dialog left open fails the
# test instead of hanging it.
dravik_test(tst_persons tst_persons.cpp LIBS app engine Qt6::Widgets)
set_tests_properties(tst_persons PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
# Windows opened again and again stay where they opened: on a screen of
# their own under a window manager, which frames them as a desktop does.
add_executable(tst_windowlook tst_windowlook.cpp)
target_link_libraries(tst_windowlook PRIVATE Qt6::Test app engine Qt6::Widgets)
target_compile_definitions(tst_windowlook PRIVATE
  DRAVIK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" DRAVIK_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_test(NAME tst_windowlook
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/support/with-window-manager.sh $<TARGET_FILE:tst_windowlook>)
set_tests_properties(tst_windowlook PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;QTEST_FUNCTION_TIMEOUT=120000")
# Every page and dialog filled caption by caption as a user finds them.
dravik_test(tst_captions tst_captions.cpp LIBS app engine Qt6::Widgets)
set_tests_properties(tst_captions PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000")
