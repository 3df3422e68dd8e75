#include "collection/grid_layout.h"
#include "collection/picture_folder.h"
#include "collection/thumb_set.h"
#include "project/output_names.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The files of a folder, sorted, as "name=content".
QStringList folderState(const QString &folder)
{
    QStringList state;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
        state << name + u'=' + QString::fromUtf8(readBytes(folder + u'/' + name));
    return state;
}

void writeFiles(const QString &folder, const QStringList &names)
{
    QDir().mkpath(folder);
    for (const QString &name : names)
        writeBytes(folder + u'/' + name, name.toUtf8());
}

} // namespace

class TestCollection : public QObject
{
    Q_OBJECT
private slots:
    void listingMatchesMaskAndSortsByName();
    void fileSizeTexts_data();
    void fileSizeTexts();
    void cellPositions_data();
    void cellPositions();
    void thumbPlacement_data();
    void thumbPlacement();
    void stripPosition();
    void outputNames_data();
    void outputNames();
    void removalMovesFilesDown();
    void exchangeWithRenaming();
    void namesTakenEarlierGetNumbers_data();
    void namesTakenEarlierGetNumbers();
    void renamingPassBothWays();
    void sourcesAreNeverTouched();
    void filesOutsideTheFoldersAreNeverTouched_data();
    void filesOutsideTheFoldersAreNeverTouched();
};

void TestCollection::listingMatchesMaskAndSortsByName()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {"d.gif", "e.png", "b.jpeg", "a.JPG", "c.bmp", "B2.Gif", "notes.txt"});
    QDir().mkpath(dir.filePath(QStringLiteral("folder.jpg")));
    QCOMPARE(listPictureFiles(dir.path()),
             QStringList({"a.JPG", "b.jpeg", "B2.Gif", "c.bmp", "d.gif"}));
    QCOMPARE(listPictureFiles(dir.filePath(QStringLiteral("missing"))), QStringList());
}

void TestCollection::fileSizeTexts_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.5 KB") << qint64(1536) << "1.5 KB";
    QTest::newRow("100 bytes") << qint64(100) << "0.1 KB";
    QTest::newRow("empty") << qint64(0) << "0.0 KB";
    QTest::newRow("half rounds up") << qint64(2304) << "2.3 KB";
    QTest::newRow("five digits first") << qint64(12641894) << "12346.0 KB";
    QTest::newRow("exponent from 100000 KB") << qint64(102400000) << "1.0000E+5 KB";
    QTest::newRow("exponent rounded") << qint64(126418944) << "1.2346E+5 KB";
}

void TestCollection::fileSizeTexts()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(fileSizeText(bytes, QLocale::c()), text);
    // The separator is the locale's.
    QCOMPARE(fileSizeText(bytes, QLocale(QLocale::German)),
             QString(text).replace(u'.', QLocale(QLocale::German).decimalPoint()));
}

void TestCollection::cellPositions_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("count");
    QTest::addColumn<QPoint>("last");
    QTest::newRow("first") << 5 << 1 << QPoint(2, 2);
    QTest::newRow("fifth") << 5 << 5 << QPoint(466, 2);
    QTest::newRow("sixth") << 5 << 6 << QPoint(2, 131);
    QTest::newRow("twelfth of three a row") << 3 << 12 << QPoint(234, 389);
    QTest::newRow("one a row") << 1 << 3 << QPoint(2, 260);
}

void TestCollection::cellPositions()
{
    QFETCH(int, columns);
    QFETCH(int, count);
    QFETCH(QPoint, last);
    const GridMetrics metrics{columns, 110, 110};
    QCOMPARE(metrics.cellSize(), QSize(114, 127));
    GridCursor stepped;
    QList<QPoint> steps;
    for (int k = 1; k <= count; ++k) {
        advanceForNewCell(stepped, metrics, k);
        steps << stepped.position();
    }
    QCOMPARE(steps.last(), last);
    GridCursor relaid;
    QCOMPARE(relayoutPositions(relaid, metrics, count), steps);
    QCOMPARE(relaid, stepped);
}

void TestCollection::thumbPlacement_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("offset");
    QTest::newRow("400x300 thumb") << QSize(110, 83) << QPoint(0, 25);
    QTest::newRow("640x480 thumb") << QSize(110, 82) << QPoint(0, 26);
    QTest::newRow("300x400 thumb") << QSize(83, 110) << QPoint(13, -2);
    QTest::newRow("50x40 thumb") << QSize(110, 88) << QPoint(0, 20);
}

void TestCollection::thumbPlacement()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, offset);
    QCOMPARE(thumbOffset(QSize(110, 110), size), offset);

    // No columns: each added cell starts a row, the first included, while a
    // relayout puts them all side by side on row 2.
    const GridMetrics none{0, 110, 110};
    GridCursor added;
    advanceForNewCell(added, none, 1);
    QCOMPARE(added.position(), QPoint(2, 131));
    advanceForNewCell(added, none, 2);
    QCOMPARE(added.position(), QPoint(2, 260));
    GridCursor relaid;
    QCOMPARE(relayoutPositions(relaid, none, 3),
             QList<QPoint>({QPoint(2, 131), QPoint(118, 131), QPoint(234, 131)}));
}

void TestCollection::stripPosition()
{
    const GridMetrics metrics{5, 110, 110};
    // Five cells need 5 x 112 + 2 pixels; a narrower grid needs room for its bar.
    QCOMPARE(thumbStripPosition(500, 21, 562, metrics, 7), 500 - 110 - 21 - 23);
    QCOMPARE(thumbStripPosition(500, 21, 561, metrics, 7), 500 - 110 - 21 - 34);
    QCOMPARE(thumbStripPosition(500, 21, 116, metrics, 1), 500 - 110 - 21 - 23);
}

void TestCollection::outputNames_data()
{
    QTest::addColumn<bool>("renaming");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("thumbnail");
    QTest::newRow("third numbered") << true << 2 << "x.bmp"
                                    << "A_03.jpg"
                                    << "B_03.jpg";
    QTest::newRow("ninth, tenth") << true << 9 << ""
                                  << "A_10.jpg"
                                  << "B_10.jpg";
    QTest::newRow("hundredth") << true << 99 << ""
                               << "A_100.jpg"
                               << "B_100.jpg";
    QTest::newRow("source stem") << false << 0 << "photo.bmp"
                                 << "photo.jpg"
                                 << "photo.jpg";
    QTest::newRow("cut at first dot") << false << 4 << "holiday.photo.bmp"
                                      << "holiday.jpg"
                                      << "holiday.jpg";
    QTest::newRow("no dot") << false << 0 << "README"
                            << "jpg"
                            << "jpg";
    QTest::newRow("hidden name made visible") << false << 0 << ".jpg"
                                              << "picture.jpg"
                                              << "picture.jpg";
    QTest::newRow("two dots first") << false << 0 << "..jpg"
                                    << "picture.jpg"
                                    << "picture.jpg";
}

void TestCollection::namesTakenEarlierGetNumbers_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("one stem, three files")
        << QStringList{"holiday.2019.jpg", "holiday.2020.jpg", "holiday.bmp"}
        << QStringList{"holiday.jpg", "holiday_2.jpg", "holiday_3.jpg"};
    QTest::newRow("a free name is kept") << QStringList{"a.jpg", "a_2.gif", "a.bmp", "A.JPG"}
                                         << QStringList{"a.jpg", "a_2.jpg", "a_3.jpg", "A_4.jpg"};
    QTest::newRow("hidden sources") << QStringList{".jpg", "..jpg", "picture.bmp"}
                                    << QStringList{"picture.jpg", "picture_2.jpg", "picture_3.jpg"};
}

void TestCollection::namesTakenEarlierGetNumbers()
{
    QFETCH(QStringList, sources);
    QFETCH(QStringList, captions);
    const NamingSettings plain{false, QStringLiteral("A_"), QStringLiteral("B_")};
    QStringList added;
    QList<SetPicture> entries;
    for (int i = 0; i < sources.size(); ++i) {
        added << finalCaption(i, plain, "/src/" + sources[i], added);
        entries.append({"/src/" + sources[i], {}, QStringLiteral("A_0%1.jpg").arg(i + 1)});
    }
    QCOMPARE(added, captions);
    // Renaming switched off again gives the same names.
    QTemporaryDir dir;
    ThumbSet(entries, plain, {dir.path(), dir.filePath("gal"), dir.filePath("thumb")})
        .renameToSources();
    for (int i = 0; i < entries.size(); ++i)
        QCOMPARE(entries[i].caption, captions[i]);
}

void TestCollection::outputNames()
{
    QFETCH(bool, renaming);
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, picture);
    QFETCH(QString, thumbnail);
    const NamingSettings naming{renaming, QStringLiteral("A_"), QStringLiteral("B_")};
    QCOMPARE(outputFileName(index, TFileKind::Picture, naming, caption), picture);
    QCOMPARE(outputFileName(index, TFileKind::Thumbnail, naming, caption), thumbnail);
    QCOMPARE(provisionalCaption(index, naming, QStringLiteral("/src/") + caption),
             renaming ? picture : caption);
}

void TestCollection::removalMovesFilesDown()
{
    QTemporaryDir dir;
    const ProjectFolders folders{dir.path(), dir.filePath("gal"), dir.filePath("thumb")};
    writeFiles(folders.gallery, {"A_01.jpg", "A_02.jpg", "A_03.jpg", "A_04.jpg", "A_05.jpg"});
    writeFiles(folders.thumbs, {"B_01.jpg", "B_02.jpg", "B_03.jpg", "B_04.jpg", "B_05.jpg"});
    QList<SetPicture> entries;
    for (int i = 1; i <= 5; ++i)
        entries.append(
            {QStringLiteral("/src/%1.jpg").arg(i), {}, QStringLiteral("A_0%1.jpg").arg(i)});
    // The fourth was edited: its copy lies in the picture folder.
    entries[3].edited = folders.gallery + QStringLiteral("/A_04.jpg");
    ThumbSet set(entries, {true, QStringLiteral("A_"), QStringLiteral("B_")}, folders);
    set.remove(1);
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[1].picture(), QStringLiteral("/src/3.jpg"));
    QCOMPARE(entries[2].source, QStringLiteral("/src/4.jpg"));
    QCOMPARE(entries[2].edited, folders.gallery + QStringLiteral("/A_03.jpg"));
    QCOMPARE(folderState(folders.gallery), QStringList({"A_01.jpg=A_01.jpg", "A_02.jpg=A_03.jpg",
                                                        "A_03.jpg=A_04.jpg", "A_04.jpg=A_05.jpg"}));
    QCOMPARE(folderState(folders.thumbs), QStringList({"B_01.jpg=B_01.jpg", "B_02.jpg=B_03.jpg",
                                                       "B_03.jpg=B_04.jpg", "B_04.jpg=B_05.jpg"}));

    // Renaming off: captions move down, nothing is renamed.
    ThumbSet plain(entries, {false, QStringLiteral("A_"), QStringLiteral("B_")}, folders);
    plain.remove(3);
    plain.remove(0);
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].caption, QStringLiteral("A_02.jpg"));
    QCOMPARE(entries[1].caption, QStringLiteral("A_03.jpg"));
    QCOMPARE(entries[1].edited, folders.gallery + QStringLiteral("/A_03.jpg"));
    QCOMPARE(folderState(folders.gallery), QStringList({"A_02.jpg=A_03.jpg", "A_03.jpg=A_04.jpg"}));
}

void TestCollection::exchangeWithRenaming()
{
    QTemporaryDir dir;
    const ProjectFolders folders{dir.path(), dir.filePath("gal"), dir.filePath("thumb")};
    writeFiles(folders.gallery, {"A_01.jpg", "A_02.jpg", "A_03.jpg"});
    writeFiles(folders.thumbs, {"B_01.jpg", "B_02.jpg", "B_03.jpg"});
    QList<SetPicture> entries;
    for (int i = 1; i <= 3; ++i)
        entries.append(
            {QStringLiteral("/src/%1.jpg").arg(i), {}, QStringLiteral("A_0%1.jpg").arg(i)});
    entries[0].edited = folders.gallery + QStringLiteral("/A_01.jpg");
    const QList<SetPicture> before = entries;
    ThumbSet set(entries, {true, QStringLiteral("A_"), QStringLiteral("B_")}, folders);

    set.beginExchange(0);
    QCOMPARE(folderState(folders.gallery),
             QStringList({"A_01.jpg~=A_01.jpg", "A_02.jpg=A_02.jpg", "A_03.jpg=A_03.jpg"}));
    set.finishExchange(0, before[0], 2);
    QCOMPARE(entries[2].source, QStringLiteral("/src/1.jpg"));
    QCOMPARE(entries[2].edited, folders.gallery + QStringLiteral("/A_03.jpg"));
    QCOMPARE(entries[0].source, QStringLiteral("/src/3.jpg"));
    QVERIFY(!entries[0].isEdited());
    QCOMPARE(folderState(folders.gallery),
             QStringList({"A_01.jpg=A_03.jpg", "A_02.jpg=A_02.jpg", "A_03.jpg=A_01.jpg"}));
    QCOMPARE(folderState(folders.thumbs),
             QStringList({"B_01.jpg=B_03.jpg", "B_02.jpg=B_02.jpg", "B_03.jpg=B_01.jpg"}));

    // With itself: everything as it was.
    const QList<SetPicture> exchanged = entries;
    const SetPicture second = entries[1];
    set.beginExchange(1);
    set.finishExchange(1, second, 1);
    QCOMPARE(entries, exchanged);
    QCOMPARE(folderState(folders.gallery).value(1), QStringLiteral("A_02.jpg=A_02.jpg"));
}

void TestCollection::renamingPassBothWays()
{
    QTemporaryDir dir;
    // One folder for pictures and thumbnails: the edited copy must never end
    // up under a thumbnail's name.
    const ProjectFolders folders{dir.path(), dir.filePath("gal"), dir.filePath("gal")};
    writeFiles(folders.gallery, {"photo.jpg", "other.jpg"});
    QList<SetPicture> entries = {
        {QStringLiteral("/src/photo.bmp"), folders.gallery + QStringLiteral("/photo.jpg"),
         QStringLiteral("photo.jpg")},
        {QStringLiteral("/src/other.gif"), {}, QStringLiteral("other.jpg")}};
    const NamingSettings on{true, QStringLiteral("A_"), QStringLiteral("B_")};
    ThumbSet numbered(entries, on, folders);
    numbered.renameToNumbers({QStringLiteral("photo.jpg"), QStringLiteral("other.jpg")});
    QCOMPARE(entries[0].caption, QStringLiteral("A_01.jpg"));
    QCOMPARE(entries[0].edited, folders.gallery + QStringLiteral("/A_01.jpg"));
    QCOMPARE(entries[1].caption, QStringLiteral("A_02.jpg"));
    // The edited copy moved to its number; the unedited picture's export copy
    // under the old name is gone.
    QCOMPARE(folderState(folders.gallery), QStringList({"A_01.jpg=photo.jpg"}));

    // Run again while on (as the forced switch does): nothing moves.
    numbered.renameToNumbers({QStringLiteral("B_01.jpg"), QStringLiteral("B_02.jpg")});
    QCOMPARE(folderState(folders.gallery), QStringList({"A_01.jpg=photo.jpg"}));

    writeFiles(folders.thumbs, {"B_01.jpg", "B_02.jpg"});
    ThumbSet plain(entries, {false, on.picturePrefix, on.thumbnailPrefix}, folders);
    plain.renameToSources();
    QCOMPARE(entries[0].caption, QStringLiteral("photo.jpg"));
    QCOMPARE(entries[0].edited, folders.gallery + QStringLiteral("/photo.jpg"));
    QCOMPARE(entries[1].caption, QStringLiteral("other.jpg"));
    QCOMPARE(folderState(folders.gallery), QStringList({"photo.jpg=photo.jpg"}));
}

void TestCollection::sourcesAreNeverTouched()
{
    QTemporaryDir dir;
    // Pictures added from the picture folder itself, under their output names.
    const ProjectFolders folders{dir.path(), dir.filePath("gal"), dir.filePath("thumb")};
    writeFiles(folders.gallery, {"a.jpg", "b.jpg"});
    QList<SetPicture> entries = {{folders.gallery + QStringLiteral("/a.jpg"), {}, "a.jpg"},
                                 {folders.gallery + QStringLiteral("/b.jpg"), {}, "b.jpg"}};
    ThumbSet set(entries, {false, QStringLiteral("A_"), QStringLiteral("B_")}, folders);
    set.remove(0);
    set.deleteProjectFiles();
    QCOMPARE(folderState(folders.gallery), QStringList({"a.jpg=a.jpg", "b.jpg=b.jpg"}));
}

void TestCollection::filesOutsideTheFoldersAreNeverTouched_data()
{
    QTest::addColumn<QString>("gallery");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("picture folder out of the project") << "project/../outside"
                                                       << "A_";
    QTest::newRow("no project folder") << ""
                                       << "A_";
    QTest::newRow("prefix leading out") << "project/gal"
                                        << "../../outside/A_";
}

void TestCollection::filesOutsideTheFoldersAreNeverTouched()
{
    QFETCH(QString, gallery);
    QFETCH(QString, prefix);
    QTemporaryDir dir;
    const QString outside = dir.filePath("outside");
    writeFiles(outside, {"a.jpg", "b.jpg", "A_01.jpg", "A_02.jpg", "~thumbs.html"});
    const QStringList before = folderState(outside);
    const ProjectFolders folders{gallery.isEmpty() ? QString() : dir.filePath("project"),
                                 gallery.isEmpty() ? outside : dir.filePath(gallery),
                                 gallery.isEmpty() ? outside : dir.filePath("project/thumb")};
    QList<SetPicture> entries{{"/src/a.jpg", {}, "a.jpg"}, {"/src/b.jpg", {}, "b.jpg"}};
    const NamingSettings on{true, prefix, QStringLiteral("B_")};
    ThumbSet numbered(entries, on, folders);
    numbered.renameToNumbers({"a.jpg", "b.jpg"});
    numbered.remove(0);
    ThumbSet(entries, {false, prefix, QStringLiteral("B_")}, folders).renameToSources();
    ThumbSet(entries, on, folders).deleteProjectFiles();
    QCOMPARE(folderState(outside), before);
}

QTEST_APPLESS_MAIN(TestCollection)
#include "tst_collection.moc"
