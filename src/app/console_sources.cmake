# The application shell and the console view (Qt).
target_sources(ovix_widgets PRIVATE
)
