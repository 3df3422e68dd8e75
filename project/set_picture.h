#pragma once

#include <QString>

// One picture of a gallery's set, in the one vocabulary the window, the set
// record, the page, the export and pictavel-build share.
struct SetPicture
{
    // The picture file the user added.
    QString source;
    // The edited copy the window keeps in the picture folder; empty while the
    // picture is unedited.
    QString edited;
    // Its caption, from which its output names follow when renaming is off.
    QString caption;
    // Whether its thumbnail was made again from its picture after its cell's
    // first making (an edit saved, a restore, a refresh), which resamples
    // linearly where the first making takes the nearest pixels.
    bool thumbRemade = false;

    bool isEdited() const { return !edited.isEmpty(); }
    // The file the picture is published from: the edited copy, or the source.
    const QString &picture() const { return isEdited() ? edited : source; }

    bool operator==(const SetPicture &) const = default;
};
