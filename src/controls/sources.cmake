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
  controls/FontStatic.cpp
  controls/TransparentStatic.cpp
  controls/SxGroupBox.cpp
  controls/HyLink.cpp
  controls/GradientProgressCtrl.cpp
  controls/EnTabCtrl.cpp
  controls/CMsgBox.cpp
  controls/ChEnEdit.cpp
  controls/SN_Edit.cpp
)
