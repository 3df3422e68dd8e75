#include "app/growing_layout.h"

#include <algorithm>

void GrowingLayout::add(QWidget *widget, int follow)
{
    m_entries.append({widget, widget->geometry(), follow});
}

void GrowingLayout::apply(const QSize &extra) const
{
    const int wider = std::max(0, extra.width());
    const int taller = std::max(0, extra.height());
    for (const Entry &entry : m_entries) {
        if (!entry.widget)
            continue;
        QRect place = entry.base;
        if (entry.follow & GrowWidth)
            place.setWidth(place.width() + wider);
        if (entry.follow & GrowHeight)
            place.setHeight(place.height() + taller);
        if (entry.follow & MoveDown)
            place.translate(0, taller);
        entry.widget->setGeometry(place);
    }
}
