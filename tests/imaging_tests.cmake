pictavel_add_test(tst_stretch_copy pictavel_core)
pictavel_add_test(tst_picture_file pictavel_core)
target_link_libraries(tst_picture_file PRIVATE JPEG::JPEG GIF::GIF)
pictavel_add_test(tst_image32 pictavel_ui)
