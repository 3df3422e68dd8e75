#include "build_tool/progress_line.h"

#include <cstdio>
#include <unistd.h>

ProgressLine::ProgressLine(int total, bool quiet)
    : m_total(total), m_quiet(quiet), m_terminal(isatty(STDERR_FILENO) == 1)
{
    m_clock.start();
}

ProgressLine::~ProgressLine()
{
    // Whatever is printed next starts on a line of its own.
    if (m_lineOpen)
        std::fputc('\n', stderr);
}

void ProgressLine::show(int done)
{
    if (m_quiet)
        return;
    const double seconds = double(m_clock.nsecsElapsed()) / 1e9;
    const double rate = seconds > 0 ? done / seconds : 0.0;
    const int percent = m_total > 0 ? done * 100 / m_total : 100;
    std::fprintf(stderr, "%s%d/%d pictures  %3d%%  %.1f pictures/s%s", m_terminal ? "\r" : "", done,
                 m_total, percent, rate, m_terminal ? "\033[K" : "\n");
    std::fflush(stderr);
    m_lineOpen = m_terminal;
}
