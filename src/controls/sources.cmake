# The skinned controls and their painted skins (Qt).
target_sources(ovix_widgets PRIVATE
  controls/UiGlobals.cpp
  controls/Skin.cpp
  controls/ControlMessage.cpp
  controls/NumFormat.cpp
  controls/NumEdit.cpp
  controls/NumSpin.cpp
  controls/BitmapSlider.cpp
  controls/XPButton.cpp
  controls/ButtonRadio.cpp
  controls/DropBtn.cpp
  controls/ComBoxBtn.cpp
)
