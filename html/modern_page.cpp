#include "html/modern_page.h"

QString thumbnail2xName(const QString &thumbName)
{
    const qsizetype dot = thumbName.lastIndexOf(u'.');
    return dot < 0 ? thumbName + QStringLiteral("@2x")
                   : thumbName.left(dot) + QStringLiteral("@2x") + thumbName.mid(dot);
}
