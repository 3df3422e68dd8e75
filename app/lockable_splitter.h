#pragma once

#include <QSplitter>

// A splitter whose bar can be locked against the mouse; the program can still
// move it with setSizes().
class LockableSplitter : public QSplitter
{
    Q_OBJECT
public:
    using QSplitter::QSplitter;

    bool lockBar() const { return m_lockBar; }
    void setLockBar(bool locked) { m_lockBar = locked; }

    // Places the bar at p per cent of the splitter's extent.
    void setPercent(double percent);
    // Places the bar at `position` pixels from the splitter's start.
    void setPosition(int position);
    // Whether the first pane has any room (its percentage is not 0).
    bool firstPaneOpen() const { return sizes().value(0) > 0; }

protected:
    QSplitterHandle *createHandle() override;

private:
    bool m_lockBar = false;
};
