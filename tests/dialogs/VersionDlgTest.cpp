#include "dialogs/VersionDlg.h"
#include "../controls/WidgetTestUtil.h"

#include <QFontMetrics>
#include <QLabel>

#include <cstring>
#include <memory>

namespace ovix {
namespace {

using test::WidgetTestP;

// The About dialog in either language: the console's fixed software text stays as it is and
// this program's release, from the build's project version, stands beside it.
class AboutVersion : public WidgetTestP<bool> {};

TEST_P(AboutVersion, ShowsTheReleaseBesideTheFixedSoftwareText)
{
    test::UseChinese(GetParam());
    auto image = std::make_unique<DeviceImage>();
    ResetImage(*image);
    std::memcpy(image->version, "QX907-V1.00", 11);
    CVersionDlg dlg(nullptr, *image, false, {});

    EXPECT_EQ(dlg.SoftwareVersionText(), "LS907-V1.01(F)     2016");
    EXPECT_EQ(dlg.ProgramVersionText(), QStringLiteral("OVIX " OVIX_PROJECT_VERSION));
    EXPECT_EQ(dlg.DeviceVersionText(), "QX907-V1.00");

    // Every text is readable: inside the dialog, wide enough for its text, over no other control.
    const QList<QWidget*> children = dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    bool releaseShown = false;
    for (QWidget* w : children) {
        EXPECT_TRUE(dlg.rect().contains(w->geometry())) << w->metaObject()->className();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
            releaseShown = releaseShown || label->text() == dlg.ProgramVersionText();
        }
        for (QWidget* other : children)
            if (other != w)
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << w->metaObject()->className() << " over " << other->metaObject()->className();
    }
    EXPECT_TRUE(releaseShown) << "a label of the dialog shows the release";
}

INSTANTIATE_TEST_SUITE_P(Languages, AboutVersion, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Chinese" : "English"; });

} // namespace
} // namespace ovix
