#include "base/pictavel_error.h"
#include "project/settings_location.h"
#include "project/settings_store.h"
#include "test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsLocation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void writableFolderKeepsFileBeside();
    void unwritableFolderUsesConfigFolder_data();
    void unwritableFolderUsesConfigFolder();
    void configFolderThatCannotBeMadeRaises();

private:
    QString configHome() const { return m_home.filePath(QStringLiteral("config")); }
    QString appConfigFolder() const { return configHome() + QStringLiteral("/Pictavel"); }

    QTemporaryDir m_home;
};

void TestSettingsLocation::initTestCase()
{
    QVERIFY(m_home.isValid());
    QCoreApplication::setApplicationName(QStringLiteral("Pictavel"));
    QCoreApplication::setOrganizationName(QString());
}

void TestSettingsLocation::init()
{
    QDir(configHome()).removeRecursively();
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
}

void TestSettingsLocation::writableFolderKeepsFileBeside()
{
    QTemporaryDir exe;
    QVERIFY(exe.isValid());
    QCOMPARE(settingsFilePath(exe.path()), exe.filePath(QStringLiteral("propstor.ini")));
    QCOMPARE(settingsFilePath(exe.path() + u'/'), exe.filePath(QStringLiteral("propstor.ini")));
    QVERIFY(!QFileInfo::exists(configHome()));
}

void TestSettingsLocation::unwritableFolderUsesConfigFolder_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("read-only folder") << true;
    // Even root cannot write into a folder whose path runs through a file.
    QTest::newRow("path through a file") << false;
}

void TestSettingsLocation::unwritableFolderUsesConfigFolder()
{
    QFETCH(bool, readOnlyFolder);
    QTemporaryDir exe;
    QVERIFY(exe.isValid());
    QString exeFolder = exe.filePath(QStringLiteral("bin"));
    if (readOnlyFolder) {
        QVERIFY(QDir().mkdir(exeFolder));
        QVERIFY(QFile::setPermissions(exeFolder, QFile::ReadOwner | QFile::ExeOwner));
        // Root writes into any folder whatever its mode, but not into /proc's.
        if (QFileInfo(exeFolder).isWritable())
            exeFolder = QStringLiteral("/proc/self");
        if (QFileInfo(exeFolder).isWritable())
            QSKIP("no read-only folder for root here");
    } else {
        writeBytes(exeFolder, "not a folder");
        exeFolder += QStringLiteral("/usr/bin");
    }

    const QString path = settingsFilePath(exeFolder);
    QFile::setPermissions(exe.filePath(QStringLiteral("bin")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(path, appConfigFolder() + QStringLiteral("/propstor.ini"));
    QVERIFY(QFileInfo(appConfigFolder()).isDir());

    // The first start there writes the file as it would beside the program.
    SettingsStore store(path, QStringLiteral("FormMain"), {}, {}, {});
    store.WriteList(QStringLiteral("Projects"), QStringLiteral("List"),
                    {QStringLiteral("Default")});
    QStringList profiles;
    store.ReadList(QStringLiteral("Projects"), QStringLiteral("List"), profiles);
    QCOMPARE(profiles, QStringList{QStringLiteral("Default")});
}

void TestSettingsLocation::configFolderThatCannotBeMadeRaises()
{
    QTemporaryDir exe;
    QVERIFY(exe.isValid());
    const QString plainFile = exe.filePath(QStringLiteral("file"));
    writeBytes(plainFile, "x");
    qputenv("XDG_CONFIG_HOME", plainFile.toLocal8Bit());
    try {
        settingsFilePath(plainFile + QStringLiteral("/bin"));
        QFAIL("no error raised");
    } catch (const PictavelError &error) {
        QVERIFY2(error.message().contains(plainFile + QStringLiteral("/Pictavel")),
                 qPrintable(error.message()));
    }
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settings_location.moc"
