#pragma once

#include <QElapsedTimer>

// The build's progress on stderr: one line rewritten in place on a terminal,
// a line per count otherwise, nothing when quiet. Each shows the count, the
// percentage and the pictures per second so far.
class ProgressLine
{
public:
    ProgressLine(int total, bool quiet);
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    void show(int done);

private:
    int m_total;
    bool m_quiet;
    bool m_terminal;
    bool m_lineOpen = false;
    QElapsedTimer m_clock;
};
