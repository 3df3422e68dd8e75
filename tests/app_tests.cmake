pictavel_add_test(tst_form_main pictavel_ui)
pictavel_add_test(tst_form_main_thumbs pictavel_ui)
pictavel_add_test(tst_form_main_export pictavel_ui)
pictavel_add_test(tst_form_main_editor pictavel_ui)
# Not a test: makes the screenshot that scripts/screenshot-window.sh shows.
add_executable(pictavel-window-shot window_shot.cpp)
target_link_libraries(pictavel-window-shot PRIVATE pictavel_ui)
