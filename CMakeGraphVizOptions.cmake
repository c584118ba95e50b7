# `cmake --graphviz` (scripts/layers) draws only our layers and executables.
set(GRAPHVIZ_GRAPH_NAME "OVIX layers")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "_tests$" "^bench_" "^ovix_warnings$" "^controls_gallery$" "^ovix_screenshot$" "^ovix_layer_check$" "gtest" "gmock" "_resources_")
