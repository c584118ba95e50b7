# Preset file formats.
ovix_add_test(preset_tests app/PresetFileTest.cpp)
target_link_libraries(preset_tests PRIVATE ovix_engine)
