// One repaint of the editor view showing a 12-megapixel picture, at the
// zooms the editor offers most: 50% and 100%.
//
// pictavel-bench-view [repaints]

#include "imaging/view_geometry.h"
#include "ui/img_view32.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPictureWidth = 4000;
constexpr int kPictureHeight = 3000;
// About the editor view's size in the fixed 772 x 554 window.
constexpr int kViewWidth = 640;
constexpr int kViewHeight = 500;

void fillPicture(TBitmap32 &b)
{
    b.setSize(kPictureWidth, kPictureHeight);
    for (int y = 0; y < kPictureHeight; ++y) {
        TColor32 *row = b.scanLine(y);
        for (int x = 0; x < kPictureWidth; ++x)
            row[x] = 0xFF000000u | TColor32(x & 0xFF) << 16 | TColor32(y & 0xFF) << 8 |
                     TColor32((x ^ y) & 0xFF);
    }
}

// Milliseconds of each repaint: the whole widget, scroll bars included,
// rendered the way the window system asks for it.
std::vector<double> repaintTimes(TImgView32 &view, int repaints)
{
    QImage target(view.size(), QImage::Format_RGB32);
    std::vector<double> times;
    for (int i = 0; i < repaints; ++i) {
        QElapsedTimer timer;
        timer.start();
        view.render(&target);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

void report(const char *label, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-28s median %7.3f ms  best %7.3f ms  worst %7.3f ms  (goal < 16 ms)\n", label,
                times[times.size() / 2], times.front(), times.back());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repaints = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 50;

    TImgView32 view;
    view.resize(kViewWidth, kViewHeight);
    view.show();
    fillPicture(view.bitmap());
    std::printf("picture %d x %d, view %d x %d, %d repaints each\n", kPictureWidth, kPictureHeight,
                kViewWidth, kViewHeight, repaints);

    view.setScale(ViewScaleOf(0, ZoomFactorOf(-30)));
    report("zoom 50%", repaintTimes(view, repaints));
    view.setScale(ViewScaleOf(0, ZoomFactorOf(1)));
    report("zoom 100%", repaintTimes(view, repaints));
    view.setScale(ViewScaleOf(-1, ZoomFactorOf(1)));
    report("zoom 100%, scale bar at -1", repaintTimes(view, repaints));
    return 0;
}
