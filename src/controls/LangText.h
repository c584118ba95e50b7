#pragma once
// A text in both of the console's languages, chosen when it is shown.

#include "controls/UiGlobals.h"

#include <QString>

namespace ovix {

struct LangText {
    QString en;
    QString zh;

    QString Current() const { return g_bChineseUi ? zh : en; }
    bool IsEmpty() const { return en.isEmpty() && zh.isEmpty(); }
};

} // namespace ovix
