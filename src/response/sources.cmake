# Filter responses and the graph's pixel mapping: part of the engine (no Qt).
target_sources(ovix_engine PRIVATE
  response/FilterResponse.cpp
  response/PixelMap.cpp
)
