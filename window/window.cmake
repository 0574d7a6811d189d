# The main window: the widgets built from the form's table, their binding to the score
# sheet, the key filters and the fonts.

add_library(pelmora_window STATIC
    accessible.cpp accessible.h
    clickablelabel.h
    fonts.cpp fonts.h
    frame.cpp frame.h
    keyfilter.cpp keyfilter.h
    mainwindow.cpp mainwindow.h)
target_include_directories(pelmora_window PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pelmora_window PUBLIC pelmora_form pelmora_assets Qt6::Widgets)
set_target_properties(pelmora_window PROPERTIES AUTOMOC ON)

# The bare window the start-up measurement compares Pelmora with.
qt_add_executable(bare_window tools/barewindow.cpp)
target_link_libraries(bare_window PRIVATE Qt6::Widgets)

if(BUILD_TESTING)
    add_executable(mainwindow_test tests/mainwindow_test.cpp)
    target_link_libraries(mainwindow_test PRIVATE pelmora_window Qt6::Test)
    set_target_properties(mainwindow_test PROPERTIES AUTOMOC ON)
    add_test(NAME mainwindow_test COMMAND mainwindow_test)
    set_tests_properties(mainwindow_test PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
