#pragma once
// Pieces of the console view that paint their own region: a channel strip, the car with
// the speaker map, a crossover panel, and the ring that shows where the keyboard focus
// is. They hold controls only; what an edit does is the console view's business, which
// connects to the controls directly.
//
// All their texts belong to the console view's translation context, so the console's
// captions, control names and messages live together in the translations.

#include <QString>
#include <QWidget>

#include <array>

namespace ovix {

class BitmapSlider;
class ComBoxBtn;
class NumEdit;
class NumSpin;
class XPButton;

// A text of the console in the language of the moment.
QString ConsoleText(const char* source);

// One output channel's strip: select button with the channel's name, on/off, polarity,
// gain fader coupled with its gain field (an invisible spinner steps it from the field's
// Up and Down keys), and the delay field with its invisible spinner.
class CChannelStrip final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 58;
    static constexpr int kHeight = 354;

    CChannelStrip(int channel, QWidget* parent);

    int Channel() const { return m_channel; }

    // Captions and accessible names in the language of the moment.
    void Retranslate();
    void ShowSoundOn(bool on);
    void ShowPolarity(bool inverted);
    // Fader, field and spinner at one gain code (0..60).
    void ShowGain(int code);
    void ShowDelay(int code);
    // The delay unit: 0 ms, 1 cm, 2 inches (the field's value kinds 0, 1, 2).
    void SetDelayKind(int unit);

    XPButton* select;
    XPButton* on;
    XPButton* polarity;
    BitmapSlider* fader;
    NumEdit* gain;
    NumSpin* gainSpin;
    NumEdit* delay;
    NumSpin* delaySpin;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_channel;
};

// The master "Volume" area's fader and field use the same coupling as a strip's gain.
void CoupleGain(BitmapSlider* fader, NumEdit* field, NumSpin* spin);

// The car seen from above with a speaker button for each channel where it plays: CH1/CH2
// at the front doors, CH3/CH4 at the rear doors, CH5/CH6 the subwoofers in the boot.
class CCarMap final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 116;
    static constexpr int kHeight = 196;

    explicit CCarMap(QWidget* parent);
    void Retranslate();

    std::array<XPButton*, 6> speakers{};

protected:
    void paintEvent(QPaintEvent* event) override;
};

// "High-pass filter" or "Low-pass filter": "Type", "Freq" and "Oct" of the selected
// channel's crossover filter.
class CCrossoverPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 174;

    CCrossoverPanel(bool highPass, QWidget* parent);
    bool IsHighPass() const { return m_highPass; }

    // Refills both lists in the language of the moment, keeping their selections, and
    // names the controls.
    void Retranslate();

    ComBoxBtn* type;
    NumEdit* freq;
    NumSpin* freqSpin;
    ComBoxBtn* slope;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_highPass;
};

// An outline around the control that has the keyboard focus inside its host, drawn above
// everything and transparent to the mouse. Numeric fields show their focus themselves.
class CFocusRing final : public QWidget {
    Q_OBJECT
public:
    explicit CFocusRing(QWidget* host);
    void Follow(QWidget* focused);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ovix
