// Linked into every test program: what the program keeps for itself outside
// the project folder (a recorded set, the window's place) goes to a temporary
// data, cache and configuration folder of the test run, never to the user's
// own, and the tool that a test starts inherits them.

#include <QFile>
#include <QTemporaryDir>

namespace {

struct TestDataFolders
{
    TestDataFolders()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    }

    QTemporaryDir dir;
};

const TestDataFolders testDataFolders;

} // namespace
