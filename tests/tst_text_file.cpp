#include "base/pictavel_error.h"
#include "base/text_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

QString errorOf(const QString &path, const QStringList &lines)
{
    try {
        writeTextFile1251(path, lines);
    } catch (const PictavelError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void linesEndWithCrLfInWindows1251();
    void replacesAnExistingFile();
    void failureKeepsWhatWasThere();
};

void TestTextFile::linesEndWithCrLfInWindows1251()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("~thumbs.html"));
    writeTextFile1251(path, {"<title>Привет</title>", "", "x ✓ y", "last"});
    QCOMPARE(readAll(path), QByteArray("<title>\xCF\xF0\xE8\xE2\xE5\xF2</title>\r\n"
                                       "\r\n"
                                       "x &#10003; y\r\n"
                                       "last\r\n"));
    writeTextFile1251(path, {});
    QCOMPARE(readAll(path), QByteArray());
}

void TestTextFile::replacesAnExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    writeTextFile1251(path, {"a much longer first version of the page"});
    writeTextFile1251(path, {"short"});
    QCOMPARE(readAll(path), QByteArray("short\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"page.html"}));
}

void TestTextFile::failureKeepsWhatWasThere()
{
    QTemporaryDir dir;
    // A folder of the page's name cannot be replaced by the page.
    const QString folder = dir.filePath(QStringLiteral("taken.html"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inner")));
    QVERIFY(!errorOf(folder, {"x"}).isEmpty());
    QVERIFY(QFileInfo(folder + QStringLiteral("/inner")).isDir());

    const QString noFolder = dir.filePath(QStringLiteral("missing/page.html"));
    QCOMPARE(errorOf(noFolder, {"x"}),
             QStringLiteral("Cannot create file ") + noFolder + ": No such file or directory");
    QVERIFY(!QFile::exists(noFolder));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "tst_text_file.moc"
