#include "base/atomic_file.h"
#include "base/pictavel_error.h"
#include "base/text_file.h"
#include "imaging/picture_file.h"
#include "project/ini_file.h"
#include "test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <ctime>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Writer = std::function<void(const QString &path)>;

// Every writer that replaces a file the user keeps, each with content far
// larger than the limit below.
QList<QPair<const char *, Writer>> writers()
{
    return {
        {"page",
         [](const QString &path) {
             writeTextFile1251(path, QStringList(4000, QStringLiteral("<td>cell</td>")));
         }},
        {"settings",
         [](const QString &path) {
             IniFile ini(path);
             for (int i = 0; i < 2000; ++i)
                 ini.writeString(QStringLiteral("DefaultDefault"), QString::number(i),
                                 QStringLiteral("value"));
             ini.save();
         }},
        {"picture",
         [](const QString &path) {
             TBitmap32 noise;
             noise.setSize(300, 300);
             quint32 seed = 7;
             for (int y = 0; y < 300; ++y)
                 for (int x = 0; x < 300; ++x)
                     noise.setPixel(x, y, 0xFF000000u | (seed = seed * 1664525u + 1013904223u));
             WriteJpegFile(path, noise, 90);
         }},
    };
}

// A file system that is full past `bytes` for every file this process
// writes, as a full disk is for the writer: writes beyond it fail.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    bool m_set = false;
};

} // namespace

class TestFileWrites : public QObject
{
    Q_OBJECT
private slots:
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void linkAtThePathIsReplaced_data();
    void linkAtThePathIsReplaced();
    void abandonedTemporariesAreRemoved();
    void batchPublishesTogether();
    void batchSyncsWhileFilesCome();
};

void TestFileWrites::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<Writer>("write");
    for (const auto &[name, write] : writers())
        QTest::newRow(name) << write;
}

void TestFileWrites::failedWriteKeepsTheOldFile()
{
    QFETCH(Writer, write);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept"));
    const QByteArray old(3000, 'o');
    writeBytes(path, old);
    QString message;
    {
        const FileSizeLimit full(8192);
        if (!full.isSet())
            QSKIP("the file size limit cannot be set here");
        try {
            write(path);
        } catch (const PictavelError &error) {
            message = error.message();
        }
    }
    QVERIFY2(message.contains(path) && message.endsWith(QStringLiteral(": File too large")),
             qPrintable(message));
    QCOMPARE(readBytes(path), old);
    // The temporary file is gone too.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept"});
    // The same write succeeds once there is room.
    write(path);
    QVERIFY(readBytes(path) != old);
}

void TestFileWrites::linkAtThePathIsReplaced_data()
{
    failedWriteKeepsTheOldFile_data();
}

void TestFileWrites::linkAtThePathIsReplaced()
{
    QFETCH(Writer, write);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("elsewhere")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("gal")));
    const QString target = dir.filePath(QStringLiteral("elsewhere/target.jpg"));
    const QString link = dir.filePath(QStringLiteral("gal/pic01.jpg"));
    writeBytes(target, "someone else's file");
    QVERIFY(QFile::link(target, link));
    write(link);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(readBytes(link).size() > 1000);
    QCOMPARE(readBytes(target), QByteArray("someone else's file"));
}

namespace {

// The id of a process that has ended.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace

void TestFileWrites::abandonedTemporariesAreRemoved()
{
    QTemporaryDir dir;
    const QByteArray ended = QByteArray::number(endedProcess());
    const QByteArray own = QByteArray::number(::getpid());
    const struct
    {
        QByteArray name;
        bool old; // untouched for more than an hour
        bool removed;
    } files[] = {
        {".pictavel-" + ended + "-1a2b.part", false, true},
        {".pictavel-" + own + "-1a2b.part", true, false}, // this process writes it
        {".pictavel-1-1a2b.part", true, false},           // a running process
        {".pictavel-1a2b3c.part", true, true},            // an earlier version's
        {".pictavel-1a2b3c.part.keep", true, false},
        {".pictavel-1a2b3d.part", false, false},
        {".pictavel-" + ended + "-notes.part", false, false},
        {".pictavel-" + ended + "-1a2b.jpg", false, false},
        {"pictavel-" + ended + "-1a2b.part", false, false},
    };
    for (const auto &file : files) {
        const QString path = dir.filePath(QString::fromLatin1(file.name));
        writeBytes(path, "part");
        if (file.old)
            setModified(path, {std::time(nullptr) - 2 * 3600, 0});
    }
    QVERIFY(QDir(dir.path()).mkdir(".pictavel-" + ended + "-1a2c.part"));
    removeAbandonedTemporaries(dir.path());
    for (const auto &file : files)
        QVERIFY2(QFileInfo::exists(dir.filePath(QString::fromLatin1(file.name))) != file.removed,
                 file.name.constData());
    QVERIFY(QFileInfo(dir.filePath(".pictavel-" + ended + "-1a2c.part")).isDir());
}

void TestFileWrites::batchPublishesTogether()
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const auto write = [&](AtomicBatch &batch, const QString &name, const QByteArray &bytes) {
        AtomicFile file(folder.filePath(name), &batch);
        QVERIFY(file.open() && file.write(bytes.constData(), size_t(bytes.size())) &&
                file.commit());
    };
    const QStringList names{"a", "b", "c"};
    for (const QString &name : names)
        writeBytes(folder.filePath(name), "old " + name.toLatin1());
    {
        // Unpublished, the old files stay and the new ones go.
        AtomicBatch batch;
        for (const QString &name : names)
            write(batch, name, "new " + name.toLatin1());
        QVERIFY(!batch.empty());
        QCOMPARE(readBytes(folder.filePath("a")), QByteArray("old a"));
    }
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), names);

    AtomicBatch batch;
    for (const QString &name : names)
        write(batch, name, "new " + name.toLatin1());
    // "b" cannot be published any more: a folder stands at its name.
    QVERIFY(QFile::remove(folder.filePath("b")) && folder.mkdir("b"));
    const std::vector<AtomicBatch::Published> published = batch.publish();
    QVERIFY(batch.empty());
    QCOMPARE(published.size(), size_t(3));
    for (const AtomicBatch::Published &file : published) {
        const bool blocked = file.path.endsWith(u'b');
        QCOMPARE(file.error.isEmpty(), !blocked);
        QCOMPARE(file.stamp.has_value(), !blocked);
        if (blocked) {
            QVERIFY2(file.error.startsWith(QStringLiteral("Cannot write file ") + file.path),
                     qPrintable(file.error));
        } else {
            QCOMPARE(file.stamp, statStamp(file.path));
            QVERIFY(readBytes(file.path).startsWith("new "));
        }
    }
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), (QStringList{"a", "c"}));

    // A file written before its name is known takes it when committed, and
    // gives up when a folder stands there.
    AtomicFile later(AtomicFile::NamedLater{dir.path()}, &batch);
    QVERIFY(later.open() && later.write("later", 5));
    QVERIFY(!later.commit());
    AtomicFile named(AtomicFile::NamedLater{dir.path()}, &batch);
    QVERIFY(named.open() && named.write("named", 5) && named.name(folder.filePath("c")) &&
            named.commit());
    AtomicFile blocked(AtomicFile::NamedLater{dir.path()}, &batch);
    QVERIFY(blocked.open() && !blocked.name(folder.filePath("b")));
    QVERIFY(blocked.error().message().endsWith(QStringLiteral(": Is a directory")));
    QCOMPARE(batch.publish().size(), size_t(1));
    QCOMPARE(readBytes(folder.filePath("c")), QByteArray("named"));
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), (QStringList{"a", "c"}));
}

// Megabytes committed from two threads start the batch's background syncs,
// after which the files committed before each are published without waiting
// for publish(); it publishes the rest and reports every file once, whole.
void TestFileWrites::batchSyncsWhileFilesCome()
{
    QTemporaryDir dir;
    const QByteArray megabyte(1 << 20, 'x');
    AtomicBatch batch;
    const auto writeFiles = [&](int first) {
        for (int i = first; i < 16; i += 2) {
            AtomicFile file(dir.filePath(QString::number(i)), &batch);
            if (!file.open() || !file.write(megabyte.constData(), size_t(megabyte.size())) ||
                !file.commit())
                return;
        }
    };
    std::thread other(writeFiles, 1);
    writeFiles(0);
    other.join();
    // The first file was committed before the first background sync began.
    for (int wait = 0; wait < 1000 && !QFileInfo::exists(dir.filePath("0")); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    QCOMPARE(readBytes(dir.filePath("0")), megabyte);
    const std::vector<AtomicBatch::Published> published = batch.publish();
    QSet<QString> paths;
    for (const AtomicBatch::Published &file : published) {
        QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
        QCOMPARE(file.stamp, statStamp(file.path));
        QCOMPARE(readBytes(file.path), megabyte);
        paths.insert(file.path);
    }
    QCOMPARE(paths.size(), 16);
    QCOMPARE(published.size(), size_t(16));
    QVERIFY(batch.empty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 16);
}

QTEST_APPLESS_MAIN(TestFileWrites)
#include "tst_file_writes.moc"
