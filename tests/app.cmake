# Preset file formats.
ovix_add_test(preset_tests app/PresetFileTest.cpp)
target_link_libraries(preset_tests PRIVATE ovix_engine)

ovix_add_test(doc_tests app/DocTest.cpp)
target_link_libraries(doc_tests PRIVATE ovix_engine)
