#include "ui/thumb_cell.h"

#include "ui/image32.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int BorderWidth = 2;
constexpr int CaptionHeight = 13;
const char *const TagProperty = "Tag";

// A one-line caption that, when longer than its cell, is shown cut at its end
// with an ellipsis; its text stays the whole caption.
class CaptionLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect box = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(box, int(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, box.width()));
    }
};

} // namespace

int thumbIndexOf(const QObject *control)
{
    return control ? control->property(TagProperty).toInt() : -1;
}

ThumbCell::ThumbCell(QWidget *parent, int index, int maxWidth, int maxHeight) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Raised);
    setLineWidth(1);
    setMidLineWidth(0);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    m_caption = new CaptionLabel(this);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setAutoFillBackground(true);
    m_caption->installEventFilter(this);

    m_image = new TImage32(this);
    m_image->setBitmapAlign(baCustom);
    m_image->setScaleMode(smResize);
    m_image->setColor(Qt::black);
    m_image->installEventFilter(this);

    for (QObject *control : {static_cast<QObject *>(this), static_cast<QObject *>(m_caption),
                             static_cast<QObject *>(m_image)})
        control->setProperty(TagProperty, index);
    setCurrent(false);
    setBoxSize(maxWidth, maxHeight);
}

void ThumbCell::setBoxSize(int maxWidth, int maxHeight)
{
    resize(maxWidth + 2 * BorderWidth, maxHeight + CaptionHeight + 2 * BorderWidth);
    m_image->setGeometry(BorderWidth, BorderWidth, maxWidth, maxHeight);
    m_caption->setGeometry(BorderWidth, BorderWidth + maxHeight, maxWidth, CaptionHeight);
}

void ThumbCell::setCurrent(bool current)
{
    // Taken from the application, not the black grid the cell sits in.
    QPalette colours = QApplication::palette();
    colours.setColor(QPalette::Window,
                     current ? colours.color(QPalette::Highlight) : QColor(0, 255, 0));
    colours.setColor(QPalette::WindowText,
                     current ? colours.color(QPalette::Base) : QColor(Qt::black));
    m_caption->setPalette(colours);
}

bool ThumbCell::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            if (event->type() == QEvent::MouseButtonPress)
                emit clicked(watched);
            else
                emit doubleClicked(watched);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
