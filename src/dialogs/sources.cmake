# The console's dialogs (Qt).
target_sources(ovix_widgets PRIVATE
  dialogs/DisplayDlg.cpp
  dialogs/VersionDlg.cpp
)
