#pragma once
// The equaliser editor of one output channel: 31 band strips (band number, gain fader,
// "BY" toggle, frequency, Q and gain fields with their spinners) hosted in the console's
// tab frame. Every edit goes to the band records of the selected channel and of the
// channels linked with it, redraws the response graph and reaches the processor through
// the records' change marks. It also carries out the console's "Bypass All EQ" /
// "Restore All EQ" and "PEQ Mode" / "GEQ Mode" requests and keeps those two buttons lit
// as the channel is.

#include <QWidget>

#include <array>
#include <functional>
#include <vector>

namespace ovix {

class BitmapSlider;
class CKTV_Data;
class NumEdit;
class NumSpin;
class XPButton;

// What the editor asks of the console: the record edits with their mirroring to linked
// channels and the whole-EQ rewrites (the console's engine does them), and graph redraws.
class IOutputEditHost {
public:
    virtual ~IOutputEditHost() = default;
    virtual void SetBandFrequency(int channel, int band, int hz) = 0;
    virtual void SetBandWidth(int channel, int band, int index) = 0;
    virtual void SetBandGain(int channel, int band, int code) = 0;
    virtual void SetBandBypass(int channel, int band, int bypass) = 0;
    virtual void BandDragged(int channel, int band) = 0;
    virtual bool AllBandsBypassed(int channel) = 0;
    virtual void SetGroupBypass(int channel, bool on) = 0;
    virtual void RewriteBypassAll(int channel, bool on) = 0;
    virtual void ConvertEqMode(int channel, int mode) = 0;
    // Band 0..30 shown filled and labelled, or -1 for the whole graph.
    virtual void RedrawGraph(int filter) = 0;
};

class COutputDlg final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBands = 31;
    static constexpr int kStripWidth = 38;

    struct BandStrip {
        BitmapSlider* slider = nullptr;
        XPButton* bypass = nullptr;
        NumEdit* freq = nullptr;
        NumSpin* freqSpin = nullptr;
        NumEdit* q = nullptr;
        NumSpin* qSpin = nullptr;
        NumEdit* gain = nullptr;
        NumSpin* gainSpin = nullptr;
    };

    // bypassAll, eqMode: the console's "Bypass All EQ" and "PEQ Mode" buttons.
    COutputDlg(CKTV_Data& records, IOutputEditHost& host, XPButton* bypassAll, XPButton* eqMode,
               QWidget* parent);

    // Shows the selected channel (g_nCurChannel): its mode with the fields locked or not,
    // every band's values and bypass state; no highlight.
    void LoadChannel();
    // The toggles' captions and every control's name in the language of the moment.
    void RefreshLanguage();
    // Band 0..30 was dragged on the graph; its record holds the new values.
    void OnGraphPointMoved(int band);
    // The console's "Bypass All EQ" / "Restore All EQ" and "PEQ Mode" / "GEQ Mode".
    void OnBypassAll();
    void OnEqModeConvert();

    // Per-strip events (band 0..30).
    void OnFreq(int band);
    void OnQ(int band);
    void OnGain(int band);
    void OnSlider(int band);
    void OnBypass(int band);

    BandStrip& Strip(int band) { return m_strips[std::size_t(band)]; }
    // The strips' controls in Tab order: band 1's fader, "BY", frequency, Q and gain
    // field, then band 2's, and so on.
    std::vector<QWidget*> TabChain() const;
    int ShownEqMode() const { return m_geqMode; }
    int HighlightedBand() const { return m_highlightBand; }
    NumEdit* HighlightedField() const { return m_highlightField; }

    // Tests answer the questions (true for Yes / OK) without a modal window.
    std::function<bool(const QString&)> m_askHook;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CKTV_Data& Records() { return m_records; }
    int Channel() const;
    void BuildStrip(int band);
    void ShowBypassState(int band);
    void ShowGainCode(int band, int code);
    void UpdateAllBypassIndicator();
    void Highlight(int band, NumEdit* field);
    void ClearHighlight();
    void LockFields(bool locked);
    void GainEdited(int band, int code);
    // yesNo: Yes/No buttons in Chinese (OK/Cancel in English); else OK/Cancel in both.
    bool Ask(const QString& question, bool yesNo);
    QRect NumberRect(int band) const;

    CKTV_Data& m_records;
    IOutputEditHost& m_host;
    XPButton* m_bypassAll;
    XPButton* m_eqMode;
    std::array<BandStrip, kBands> m_strips{};
    int m_geqMode = 1;
    int m_highlightBand = -1;
    NumEdit* m_highlightField = nullptr;
};

} // namespace ovix
