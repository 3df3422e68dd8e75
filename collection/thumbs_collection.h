#pragma once

#include <QString>

class QFrame;
class QLabel;
class TImage32;

// One thumbnail of the set. The strings belong to the record; the three
// controls belong to the window, and each carries the thumbnail's index in its
// "Tag" property.
struct TThumbsCollection
{
    // The picture the thumbnail stands for: the source file, or the edited copy
    // in the picture folder once an edit has been saved.
    QString PicturePath;
    // The source file of an edited picture; empty while the picture is unedited.
    QString OriginalPath;
    // Whether the thumbnail's pixels were made again from the file after the
    // cell's first making, linearly rather than by the nearest pixels; it
    // travels with the pixels when thumbnails exchange places or move down.
    bool ThumbRemade = false;
    QFrame *CellPanel = nullptr;
    TImage32 *ThumbImage = nullptr;
    QLabel *CaptionLabel = nullptr;
};
