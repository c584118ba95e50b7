# Preset file formats and the document's file operations: part of the engine (no Qt).
target_sources(ovix_engine PRIVATE
  app/PresetFile.cpp
  app/QamrelDoc.cpp
)
