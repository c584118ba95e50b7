# The application shell and the console view (Qt).
target_sources(ovix_widgets PRIVATE
  app/SettingsStore.cpp
  app/QamrelView.cpp
  app/MainFrm.cpp
  app/QamrelApp.cpp
)
