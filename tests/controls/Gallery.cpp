// Draws every skinned control, in both languages and its states, into PNG files, so the
// look can be checked by eye: controls_gallery [output folder].

#include "controls/BitmapSlider.h"
#include "controls/ButtonRadio.h"
#include "controls/CMsgBox.h"
#include "controls/ChEnEdit.h"
#include "controls/ComBoxBtn.h"
#include "controls/DropBtn.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/HyLink.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/SN_Edit.h"
#include "controls/Skin.h"
#include "controls/SxGroupBox.h"
#include "controls/TransparentStatic.h"
#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <cstdio>

using namespace ovix;

namespace {

// The gallery's own sample texts come in both languages; the controls' texts come from the
// translations the language switch installs.
bool s_chinese = false;
QString L(const char* en, const char* zh) { return QString::fromUtf8(s_chinese ? zh : en); }

// Every button face: unlit and lit rows, normal / hover / pressed / disabled columns.
QImage ButtonFaces()
{
    const int w = 150, h = 34, gap = 10;
    QImage img(4 * (w + gap) + gap, 2 * (h + gap) + gap + 20, QImage::Format_ARGB32);
    QPainter p(&img);
    Skin::PaintConsoleBackground(p, img.rect());
    const Skin::Face faces[] = {Skin::Face::Normal, Skin::Face::Hover, Skin::Face::Pressed, Skin::Face::Disabled};
    const char* names[] = {"normal", "hover", "pressed", "disabled"};
    p.setPen(Skin::TextDim());
    p.setFont(UiFont(12));
    for (int c = 0; c < 4; ++c)
        p.drawText(QRect(gap + c * (w + gap), 2, w, 16), Qt::AlignCenter, QString::fromLatin1(names[c]));
    for (int lit = 0; lit < 2; ++lit)
        for (int c = 0; c < 4; ++c)
            Skin::PaintButton(p, QRectF(gap + c * (w + gap), 20 + gap + lit * (h + gap), w, h), lit != 0,
                              faces[c], lit ? L("Restore All EQ", "恢复所有均衡") : L("Bypass All EQ", "直通所有均衡"),
                              UiFont(15, true));
    return img;
}

// A console corner: panels with a gain strip (fader, field, spinner), delay and
// frequency fields, buttons, a list, captions and a progress bar.
class ConsoleCorner : public QWidget {
public:
    ConsoleCorner()
    {
        resize(760, 330);
        auto* fader = new BitmapSlider(Qt::Vertical, this);
        fader->setGeometry(30, 40, 36, 200);
        fader->SetRange(0, 60);
        fader->SetValue(48);
        auto* gain = new NumEdit(this);
        gain->setGeometry(18, 250, 60, 24);
        gain->SetKind(kKindGainDb);
        gain->SetScaleOffset(1, 60);
        auto* spin = new NumSpin(this);
        spin->setGeometry(80, 250, 14, 24);
        spin->SetBuddy(gain);
        spin->SetRange(0, 60);
        spin->SetPos(48);
        fader->SetLinkedField(gain);

        auto* off = new NumEdit(this);
        off->setGeometry(18, 282, 60, 24);
        off->SetKind(kKindGainDb);
        off->SetScaleOffset(1, 60);
        off->SetRange(0, 60);

        auto* fader2 = new BitmapSlider(Qt::Vertical, this);
        fader2->setGeometry(110, 40, 36, 200);
        fader2->SetRange(0, 60);
        fader2->SetValue(60);
        fader2->Enable(false);

        int y = 40;
        const int kinds[] = {kKindDelayMs, kKindDelayCm, kKindDelayInch};
        for (int k : kinds) {
            auto* d = new NumEdit(this);
            d->setGeometry(190, y, 90, 24);
            d->SetKind(k);
            d->SetRange(0, 960);
            d->SetCode(960);
            m_wells << d->geometry();
            y += 32;
        }
        auto* freq = new NumEdit(this);
        freq->setGeometry(190, y, 90, 24);
        freq->SetKind(kKindFrequency);
        freq->SetRange(20, 20000);
        freq->SetCode(1000);
        m_wells << freq->geometry();
        auto* fspin = new NumSpin(this);
        fspin->setGeometry(282, y, 14, 24);
        fspin->SetBuddy(freq);
        fspin->SetRange(20, 20000);
        fspin->SetPos(1000);
        y += 32;
        auto* focused = new NumEdit(this);
        focused->setGeometry(190, y, 90, 24);
        focused->SetKind(kKindQ);
        focused->SetRange(0, 295);
        focused->SetCode(95);
        focused->SetFocusedLook(true);
        m_wells << gain->geometry() << off->geometry();

        auto* unit = new ComBoxBtn(this);
        unit->setGeometry(190, 250, 110, 28);
        unit->AddItem(L("Ms", "毫秒"));
        unit->AddItem(L("Cm", "厘米"));
        unit->AddItem(L("In", "英寸"));
        unit->SetSel(1);
        m_combo = unit;

        auto* bypass = new XPButton(this);
        bypass->setGeometry(340, 40, 160, 34);
        bypass->SetCaption(L("Bypass All EQ", "直通所有均衡"));
        bypass->SetLitCaption(L("Restore All EQ", "恢复所有均衡"));
        auto* bypassLit = new XPButton(this);
        bypassLit->setGeometry(340, 82, 160, 34);
        bypassLit->SetCaption(L("Bypass All EQ", "直通所有均衡"));
        bypassLit->SetLitCaption(L("Restore All EQ", "恢复所有均衡"));
        bypassLit->SetLit(true);
        auto* way1 = new XPButton(this);
        way1->setGeometry(340, 124, 78, 30);
        way1->SetCaption(L("1-Way", "全频"));
        way1->SetLit(true);
        auto* way2 = new XPButton(this);
        way2->setGeometry(422, 124, 78, 30);
        way2->SetCaption(L("2-Way", "二分频"));
        auto* disabled = new XPButton(this);
        disabled->setGeometry(340, 162, 160, 30);
        disabled->SetCaption(L("Reset All EQ", "重置所有均衡"));
        disabled->setEnabled(false);

        auto* radio = new ButtonRadio(this);
        radio->setGeometry(340, 200, 160, 24);
        radio->SetCaption(L("Group&Front", "前声道联调"));
        radio->setChecked(true);

        auto* caption = new TransparentStatic(this);
        caption->setGeometry(540, 40, 200, 24);
        caption->SetText(L("Transparent caption", "透明标题"));
        auto* fontStatic = new FontStatic(this);
        fontStatic->setGeometry(540, 70, 200, 28);
        fontStatic->SetFontHeight(18);
        fontStatic->SetColours(Skin::Text(), Skin::Well());
        fontStatic->setText(L("Font caption 18 px", "字体标题 18 像素"));
        auto* link = new HyLink(this);
        link->setGeometry(540, 104, 200, 28);
        link->setText(QStringLiteral("www.example.com"));
        auto* progress = new GradientProgressCtrl(this);
        progress->setGeometry(540, 140, 200, 22);
        progress->setRange(0, 100);
        progress->setValue(62);
        progress->SetShowPercent(true);
        auto* horizontal = new BitmapSlider(Qt::Horizontal, this);
        horizontal->setGeometry(540, 176, 200, 36);
        horizontal->SetRange(0, 100);
        horizontal->SetValue(70);
    }
    ComBoxBtn* m_combo = nullptr;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        Skin::PaintConsoleBackground(p, rect());
        Skin::PaintPanel(p, QRectF(8, 8, 160, 312), L("CH3 Rear L", "CH3 后左"));
        Skin::PaintPanel(p, QRectF(176, 8, 140, 312), L("Delay / Freq", "延时 / 频率"));
        Skin::PaintPanel(p, QRectF(326, 8, 190, 312), L("Buttons", "按钮"));
        Skin::PaintPanel(p, QRectF(526, 8, 226, 312), QString());
        for (const QRect& r : m_wells)
            Skin::PaintFieldWell(p, r.adjusted(-2, -1, 2, 1));
    }

private:
    QList<QRect> m_wells;
};

// A dialog page: tabs, a group box, name and serial fields, the message box.
QWidget* DialogPage()
{
    auto* page = new QWidget;
    page->resize(560, 300);
    page->setAutoFillBackground(true);
    QPalette pal = page->palette();
    pal.setColor(QPalette::Window, Skin::DialogBack());
    page->setPalette(pal);
    auto* tabs = new EnTabCtrl(page);
    tabs->setGeometry(10, 10, 540, 130);
    tabs->AddTab(new QWidget, L("Output EQ", "输出均衡"));
    tabs->AddTab(new QWidget, L("Program", "程序"));
    tabs->AddTab(new QWidget, L("Link", "联调"));
    auto* group = new SxGroupBox(page);
    group->setGeometry(10, 150, 300, 140);
    group->SetCaption(L("Program name", "程序名称"));
    auto* name = new ChEnEdit(group);
    name->setGeometry(16, 34, 200, 26);
    name->setText(QStringLiteral("Jazz 中"));
    auto* sn = new SN_Edit(group);
    sn->setGeometry(16, 70, 200, 26);
    sn->setText(QStringLiteral("QX-0042-7781"));
    sn->selectAll();
    return page;
}

bool Save(const QImage& img, const QString& dir, const QString& name)
{
    const QString path = QDir(dir).filePath(name);
    const bool ok = img.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/ovix-controls");
    QDir().mkpath(dir);
    bool ok = true;
    for (int chinese : {0, 1}) {
        s_chinese = chinese != 0;
        SetUiLanguage(chinese ? UiLanguage::Chinese : UiLanguage::English);
        const QString lang = chinese ? QStringLiteral("zh") : QStringLiteral("en");
        ok &= Save(ButtonFaces(), dir, QStringLiteral("buttons_%1.png").arg(lang));

        ConsoleCorner corner;
        corner.show();
        QApplication::processEvents();
        ok &= Save(corner.grab().toImage(), dir, QStringLiteral("console_%1.png").arg(lang));
        corner.m_combo->ShowPopup();
        QApplication::processEvents();
        ok &= Save(corner.m_combo->Popup()->grab().toImage(), dir, QStringLiteral("dropdown_%1.png").arg(lang));
        corner.m_combo->HidePopup();

        std::unique_ptr<QWidget> page(DialogPage());
        page->show();
        QApplication::processEvents();
        ok &= Save(page->grab().toImage(), dir, QStringLiteral("dialog_%1.png").arg(lang));

        CMsgBox box;
        QMetaObject::invokeMethod(&box, [&box] { box.done(QDialog::Accepted); }, Qt::QueuedConnection);
        QObject::connect(&box, &CMsgBox::shown, &box, [&box, &ok, &dir, &lang] {
            ok &= Save(box.grab().toImage(), dir, QStringLiteral("msgbox_%1.png").arg(lang));
        });
        box.Show(MessageText(kMsgConnectionFailure));
    }
    return ok ? 0 : 1;
}
