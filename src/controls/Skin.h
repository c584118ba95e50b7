#pragma once
// The console's look, painted with QPainter: one palette (dark panels, light text, one
// accent colour for everything that is lit) and the drawing of every skinned surface.
// Controls and windows paint through these functions, so there are no artwork files and
// the console looks the same on every platform.

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <Qt>

class QPainter;

namespace ovix::Skin {

// ---- Palette ---------------------------------------------------------------------------
constexpr QColor ConsoleBack() { return QColor(30, 33, 39); }    // behind everything
constexpr QColor Panel() { return QColor(43, 47, 55); }          // panels and strips
constexpr QColor PanelEdge() { return QColor(68, 74, 86); }      // panel outlines
constexpr QColor Well() { return QColor(24, 26, 31); }           // sunken areas (fields, grooves)
constexpr QColor Text() { return QColor(230, 233, 239); }        // light text on dark
constexpr QColor TextDim() { return QColor(146, 152, 165); }     // captions, secondary text
constexpr QColor TextDisabled() { return QColor(104, 109, 120); }
constexpr QColor Accent() { return QColor(72, 148, 226); }       // the one colour of lit states
constexpr QColor AccentText() { return QColor(255, 255, 255); }  // text on the accent
constexpr QColor DialogBack() { return QColor(227, 228, 238); }  // the dialogs' background
constexpr QColor DialogText() { return QColor(28, 30, 36); }
constexpr QColor FieldFocusBack() { return QColor(137, 173, 209); }  // numeric field with focus
constexpr QColor FieldText() { return QColor(244, 244, 244); }       // numeric field without
constexpr QColor TabSelected() { return QColor(127, 168, 222); }
constexpr QColor ProgressBack() { return QColor(73, 72, 72); }
constexpr QColor GroupFill() { return QColor(167, 198, 239); }

// ---- Buttons ---------------------------------------------------------------------------
// The face a skinned button shows; with the lit flag it picks one of eight looks.
enum class Face { Normal, Hover, Pressed, Disabled };

// Disabled wins; then pressed while the button is held down; hover while the pointer is
// over it; normal otherwise.
Face FaceFor(bool enabled, bool hover, bool pressed);

// A button face with its caption centred (elided when too long). Lit faces are filled
// with the accent, unlit ones are grey; hover lightens, pressed darkens and sinks.
void PaintButton(QPainter& p, const QRectF& r, bool lit, Face face, const QString& text,
                 const QFont& font);

// ---- Backgrounds -----------------------------------------------------------------------
// The whole console's background (a quiet vertical gradient).
void PaintConsoleBackground(QPainter& p, const QRectF& r);
// A dialog's plain background in DialogBack().
void PaintDialogBackground(QPainter& p, const QRectF& r);
// A rounded panel with its caption at the top left (no caption strip when empty).
void PaintPanel(QPainter& p, const QRectF& r, const QString& caption);
// The same with the owner's colours and font (group boxes).
void PaintPanel(QPainter& p, const QRectF& r, const QString& caption, const QColor& fill,
                const QColor& edge, const QColor& captionColour, const QFont& captionFont);
// Height taken by a panel's caption strip; contents start below it.
constexpr int kPanelCaptionHeight = 22;
// A sunken rounded well, the place a numeric field sits on.
void PaintFieldWell(QPainter& p, const QRectF& r);

// ---- Fader -----------------------------------------------------------------------------
constexpr int kThumbLength = 14;   // along the fader's axis
constexpr int kThumbBreadth = 26;  // across it (limited by the widget)
// The groove between the thumb's end positions, with scale ticks on both sides.
void PaintFaderTrack(QPainter& p, const QRectF& r, Qt::Orientation o, bool enabled);
// The thumb; active (being moved or focused) shows the accent.
void PaintFaderThumb(QPainter& p, const QRectF& r, Qt::Orientation o, bool active, bool enabled);

// ---- Small pieces ----------------------------------------------------------------------
// One half of a spinner: a small face with an up or down triangle.
void PaintSpinArrow(QPainter& p, const QRectF& r, bool up, Face face);
// A drop-down list's face: the selected text on the left, a chevron on the right.
void PaintDropDown(QPainter& p, const QRectF& r, Face face, bool open, const QString& text,
                   const QFont& font);
// One tab of a tab bar on the dialog background.
void PaintTab(QPainter& p, const QRectF& r, const QString& text, bool selected, bool hover,
              const QFont& font);

} // namespace ovix::Skin
