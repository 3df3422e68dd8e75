#include "base/pictavel_error.h"
#include "project/gallery_record.h"
#include "test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestGalleryRecord : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void roundTrip();
    void oneRecordPerFolder();
    void refusesWhatIsNotItsRecord_data();
    void refusesWhatIsNotItsRecord();
    void leavesOutMissingFiles();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    GalleryRecord sample() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestGalleryRecord::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(path("project/gal")));
}

GalleryRecord TestGalleryRecord::sample() const
{
    return {QFileInfo(path("project")).canonicalFilePath(),
            QStringLiteral("Летний отпуск"),
            QStringLiteral("\\big"),
            QStringLiteral("small"),
            {true, QStringLiteral("P_"), QStringLiteral("T_")},
            {{path("src/a.jpg"), {}, QStringLiteral("P_01.jpg"), false},
             {path("src/b c.bmp"), path("project/gal/P_02.jpg"), QStringLiteral("P_02.jpg"), true},
             {path("src/ü.gif"), {}, QStringLiteral("P_03.jpg"), true}}};
}

void TestGalleryRecord::roundTrip()
{
    QVERIFY(!loadGalleryRecord(path("project")));
    const GalleryRecord record = sample();
    saveGalleryRecord(record);
    const std::optional<GalleryRecord> loaded = loadGalleryRecord(path("project"));
    QVERIFY(loaded && *loaded == record);
    removeGalleryRecord(path("project"));
    QVERIFY(!loadGalleryRecord(path("project")));
}

void TestGalleryRecord::oneRecordPerFolder()
{
    // The folder is known by its canonical path, however it is spelt; a
    // folder that does not exist has none.
    QVERIFY(QFile::link(path("project"), path("link")));
    const QString recordPath = galleryRecordPath(path("project"));
    QVERIFY(recordPath.contains(QStringLiteral("/galleries/")));
    QCOMPARE(galleryRecordPath(path("link")), recordPath);
    QCOMPARE(galleryRecordPath(path("project/gal/..")), recordPath);
    QVERIFY(galleryRecordPath(path("project/gal")) != recordPath);
    QVERIFY(galleryRecordPath(path("nowhere")).isEmpty());
    QVERIFY(!loadGalleryRecord(path("nowhere")));
}

void TestGalleryRecord::refusesWhatIsNotItsRecord_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not JSON") << QByteArray("{") << QByteArray("[ oops") << "";
    QTest::newRow("another program")
        << QByteArray("pictavel-gallery") << QByteArray("photo-album") << "not a Pictavel";
    QTest::newRow("another version")
        << QByteArray("\"version\": 1") << QByteArray("\"version\": 2") << "version 2";
    QTest::newRow("a folder that moved")
        << QByteArray("\"projectFolder\": \"") << QByteArray("\"projectFolder\": \"/old")
        << "belongs to the folder /old";
    QTest::newRow("a picture without its source")
        << QByteArray("\"source\"") << QByteArray("\"origin\"") << "\"source\" is missing";
    QTest::newRow("a flag that is a text") << QByteArray("\"renaming\": true")
                                           << QByteArray("\"renaming\": \"yes\"") << "\"renaming\"";
    QTest::newRow("two pictures under one name")
        << QByteArray("P_03.jpg") << QByteArray("p_01.JPG") << "two pictures";
}

void TestGalleryRecord::refusesWhatIsNotItsRecord()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, reason);
    saveGalleryRecord(sample());
    const QString file = galleryRecordPath(path("project"));
    QByteArray bytes = readBytes(file);
    QVERIFY(bytes.contains(from));
    writeBytes(file, bytes.replace(from, to));
    try {
        loadGalleryRecord(path("project"));
        QFAIL("a record that is not this folder's was read");
    } catch (const PictavelError &error) {
        QVERIFY2(error.message().contains(file) && error.message().contains(reason),
                 qPrintable(error.message()));
    }
    QCOMPARE(readBytes(file), bytes);
}

void TestGalleryRecord::leavesOutMissingFiles()
{
    QVERIFY(QDir().mkpath(path("src")));
    const GalleryRecord record = sample();
    for (const QString &file : {path("src/a.jpg"), path("src/b c.bmp"), path("src/ü.gif")})
        writeBytes(file, "a picture");
    // The edited copy of the second is gone.
    QStringList leftOut;
    const QList<SetPicture> pictures = recordedPictures(record, leftOut);
    QCOMPARE(leftOut, QStringList{path("project/gal/P_02.jpg") + ": no such file"});
    QCOMPARE(pictures.size(), 2);
    QCOMPARE(pictures[1], record.pictures[2]);

    writeBytes(path("project/gal/P_02.jpg"), "an edited copy");
    QVERIFY(QFile::remove(path("src/a.jpg")));
    leftOut.clear();
    const QList<SetPicture> second = recordedPictures(record, leftOut);
    QCOMPARE(leftOut, QStringList{path("src/a.jpg") + ": no such file"});
    QCOMPARE(second[0], record.pictures[1]);
    QCOMPARE(second[0].picture(), path("project/gal/P_02.jpg"));
}

QTEST_MAIN(TestGalleryRecord)
#include "tst_gallery_record.moc"
