#include "controls/UiGlobals.h"

#include <QStringList>

namespace ovix {

const QString g_strAppTitle = QStringLiteral("OVIX");
int g_nCurChannel = 0;

QFont UiFont(int pixelSize, bool bold)
{
    QFont f;
    QStringList families;
    families << QStringLiteral("Arial") << QStringLiteral("Liberation Sans")
             << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("Noto Sans CJK");
    f.setFamilies(families);
    f.setPixelSize(pixelSize);
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

} // namespace ovix
