#pragma once

#include <QProgressBar>

// The export's progress: a total of parts and a count of completed ones,
// shown as the completed share in per cent, rounded half to even. The count
// is held at the total; a new total starts again from 0; a total of 0 shows
// 0% rather than a busy bar. Every change is painted at once, as the export
// does not let the window's events in.
//
// Drawn from the palette: the Base colour behind, the Highlight colour for
// the bar and for the number where it lies over the empty part, the Base
// colour for the number where the bar lies under it, so the number reads the
// same over both parts.
class GalleryProgressBar : public QProgressBar
{
    Q_OBJECT
public:
    explicit GalleryProgressBar(QWidget *parent = nullptr);

    int total() const { return m_total; }
    int completed() const { return m_completed; }
    void setTotal(int total);
    void setCompleted(int completed);
    // Total and count both 0.
    void empty();

    QString text() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showPercent(int percent);

    int m_total = 0;
    int m_completed = 0;
};
