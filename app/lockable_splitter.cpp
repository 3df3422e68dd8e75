#include "app/lockable_splitter.h"

#include <QMouseEvent>
#include <cmath>

namespace {

class LockableSplitterHandle : public QSplitterHandle
{
public:
    LockableSplitterHandle(Qt::Orientation orientation, LockableSplitter *parent)
        : QSplitterHandle(orientation, parent), m_splitter(parent)
    {
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (m_splitter->lockBar())
            event->ignore();
        else
            QSplitterHandle::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (m_splitter->lockBar())
            event->ignore();
        else
            QSplitterHandle::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (m_splitter->lockBar())
            event->ignore();
        else
            QSplitterHandle::mouseReleaseEvent(event);
    }

private:
    LockableSplitter *m_splitter;
};

} // namespace

QSplitterHandle *LockableSplitter::createHandle()
{
    return new LockableSplitterHandle(orientation(), this);
}

void LockableSplitter::setPercent(double percent)
{
    const int extent = orientation() == Qt::Horizontal ? width() : height();
    setPosition(int(std::nearbyint(percent / 100.0 * (extent - handleWidth() / 2))));
}

void LockableSplitter::setPosition(int position)
{
    const int extent = orientation() == Qt::Horizontal ? width() : height();
    const int first = qBound(0, position, extent);
    setSizes({first, qMax(0, extent - handleWidth() - first)});
}
