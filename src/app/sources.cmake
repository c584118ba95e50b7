# Preset file formats: part of the engine (no Qt), used by the console and the tests.
target_sources(ovix_engine PRIVATE app/PresetFile.cpp)
