#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

// Keeps controls that were placed for the window's described size where they
// are as the window grows beyond it: each control grows with the extra width
// or height, or moves with it, as it was added.
class GrowingLayout
{
public:
    enum Follow {
        Stay = 0,
        GrowWidth = 1,
        GrowHeight = 2,
        MoveDown = 4,
    };

    // Remembers the control's geometry as it is now, at the described size.
    void add(QWidget *widget, int follow);
    // Places every control for a window `extra` larger than described.
    void apply(const QSize &extra) const;

private:
    struct Entry
    {
        QPointer<QWidget> widget;
        QRect base;
        int follow;
    };
    QList<Entry> m_entries;
};
