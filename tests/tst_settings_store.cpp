#include "base/pictavel_error.h"
#include "base/windows1251.h"
#include "project/gallery_settings.h"
#include "project/ini_file.h"
#include "project/setting_value.h"
#include "project/settings_store.h"
#include "project/settings_table.h"
#include "test_files.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Settings held in plain variables, standing in for a window's controls.
struct FakeControls
{
    QMap<QString, QVariant> values;
    QMap<QString, SettingKind> kinds;
    QStringList setOrder;
    QString failingEntry;
    std::function<void(const QString &entry)> onRead = [](const QString &) {
    };

    SettingResolver resolver()
    {
        return [this](const QString &entry) -> std::optional<SettingBinding> {
            if (!kinds.contains(entry))
                return std::nullopt;
            return SettingBinding{kinds.value(entry),
                                  [this, entry] {
                                      onRead(entry);
                                      return values.value(entry);
                                  },
                                  [this, entry](const QVariant &value) {
                                      if (entry == failingEntry)
                                          throw PictavelError(QStringLiteral("boom"));
                                      setOrder << entry;
                                      values[entry] = value;
                                  }};
        };
    }
};

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void codePageRoundTrip();
    void iniLayoutIsKeptInPlace();
    void iniReadsLfFilesAndCapsValues();
    void iniWriteFailureKeepsOldFile();
    void valueParsing_data();
    void valueParsing();
    void valueFormatting();
    void saveAndLoadFollowPropsOrder();
    void loadKeepsValuesThatCannotBeRead();
    void saveProblemStopsAndReports();
    void saveWritesTheFileOnceAtTheEnd();
    void loadProblemIsRaisedWithPrefix();
    void listsSplitAndJoin();
    void addedSettingsAreWrittenOnlyWhenOn();
};

void TestSettingsStore::codePageRoundTrip()
{
    const QString text = QStringLiteral("Галерея №1 — €5 日本");
    const QByteArray bytes = encodeWindows1251(text);
    // Cyrillic, the numero sign, the dash and the euro have single bytes; the
    // Japanese characters become references.
    QCOMPARE(bytes, QByteArray("\xC3\xE0\xEB\xE5\xF0\xE5\xFF \xB9"
                               "1 \x97 \x88"
                               "5 &#26085;&#26412;"));
    QCOMPARE(decodeWindows1251(bytes), text);
    // A reference to a character the code page has is the user's own text.
    QCOMPARE(decodeWindows1251("&#1040;&#x41;&#;&#99999999999;"),
             QStringLiteral("&#1040;&#x41;&#;&#99999999999;"));
}

void TestSettingsStore::iniLayoutIsKeptInPlace()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("propstor.ini"));
    IniFile ini(path);
    ini.writeString(QStringLiteral("First"), QStringLiteral("a"), QStringLiteral("1"));
    ini.writeString(QStringLiteral("Second"), QStringLiteral("x"), QStringLiteral("Заголовок"));
    ini.writeString(QStringLiteral("first"), QStringLiteral("b"), QStringLiteral("2"));
    ini.writeString(QStringLiteral("FIRST"), QStringLiteral("A"), QStringLiteral("3"));
    QVERIFY(!QFile::exists(path));
    ini.save();
    QCOMPARE(readBytes(path), QByteArray("[First]\r\na=3\r\nb=2\r\n[Second]\r\nx=\xC7\xE0\xE3\xEE"
                                         "\xEB\xEE\xE2\xEE\xEA\r\n"));
    QCOMPARE(ini.readString(QStringLiteral("second"), QStringLiteral("X"), QString()),
             QStringLiteral("Заголовок"));
    QCOMPARE(
        ini.readString(QStringLiteral("Second"), QStringLiteral("missing"), QStringLiteral("dflt")),
        QStringLiteral("dflt"));
    QCOMPARE(ini.readString(QStringLiteral("Third"), QStringLiteral("a"), QStringLiteral("d")),
             QStringLiteral("d"));

    QVERIFY(ini.eraseSection(QStringLiteral("FIRST")));
    QVERIFY(!ini.eraseSection(QStringLiteral("Third")));
    ini.save();
    QCOMPARE(readBytes(path), QByteArray("[Second]\r\nx=\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA\r\n"));
}

void TestSettingsStore::iniReadsLfFilesAndCapsValues()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("propstor.ini"));
    const QByteArray longValue(3000, 'v');
    writeBytes(path, "[S]\nkey = spaced\nlong=" + longValue + "\n\n[T]\nk=a=b\n");
    IniFile ini(path);
    QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("key"), QString()),
             QStringLiteral(" spaced"));
    QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("long"), QString()).size(), 2047);
    QCOMPARE(ini.readString(QStringLiteral("T"), QStringLiteral("k"), QString()),
             QStringLiteral("a=b"));
    // A new key goes to the end of its section, before the blank line.
    ini.writeString(QStringLiteral("S"), QStringLiteral("new"), QStringLiteral("n"));
    ini.save();
    QCOMPARE(readBytes(path),
             "[S]\r\nkey = spaced\r\nlong=" + longValue + "\r\nnew=n\r\n\r\n[T]\r\nk=a=b\r\n");
}

void TestSettingsStore::iniWriteFailureKeepsOldFile()
{
    QTemporaryDir dir;
    // A folder path running through a plain file cannot be written, even by root.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    writeBytes(blocker, "x");
    IniFile unwritable(blocker + QStringLiteral("/propstor.ini"));
    try {
        unwritable.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
        unwritable.save();
        QFAIL("the write should fail");
    } catch (const PictavelError &error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + blocker +
                                      QStringLiteral("/propstor.ini: Not a directory"));
    }

    // A write-protected file keeps its content.
    const QString path = dir.filePath(QStringLiteral("kept.ini"));
    writeBytes(path, "[S]\r\nk=old\r\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    IniFile readOnly(path);
    if (QFileInfo(path).isWritable())
        QSKIP("running with rights that ignore file permissions");
    readOnly.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new"));
    QVERIFY_THROWS_EXCEPTION(PictavelError, readOnly.save());
    QCOMPARE(readBytes(path), QByteArray("[S]\r\nk=old\r\n"));
}

void TestSettingsStore::valueParsing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QVariant>("value");
    const int integer = int(SettingKind::Integer);
    const int flag = int(SettingKind::Flag);
    const int real = int(SettingKind::Float);
    QTest::newRow("decimal") << integer << "16777215" << true << QVariant(16777215);
    QTest::newRow("negative") << integer << "-5" << true << QVariant(-5);
    QTest::newRow("dollar hex") << integer << "$1E" << true << QVariant(30);
    QTest::newRow("0x hex") << integer << "0x1E" << true << QVariant(30);
    QTest::newRow("0X hex") << integer << "0X1e" << true << QVariant(30);
    QTest::newRow("hex word") << integer << "$FFFFFFFF" << true << QVariant(-1);
    QTest::newRow("letters") << integer << "abc" << false << QVariant();
    QTest::newRow("empty") << integer << "" << false << QVariant();
    QTest::newRow("bare prefix") << integer << "0x" << false << QVariant();
    QTest::newRow("too large") << integer << "99999999999" << false << QVariant();
    QTest::newRow("fraction") << integer << "1.5" << false << QVariant();
    QTest::newRow("flag set") << flag << "1" << true << QVariant(true);
    QTest::newRow("flag other number") << flag << "7" << true << QVariant(true);
    QTest::newRow("flag clear") << flag << "0" << true << QVariant(false);
    QTest::newRow("flag word") << flag << "true" << false << QVariant();
    QTest::newRow("float whole") << real << "400" << true << QVariant(400.0);
    QTest::newRow("float fraction") << real << "12.5" << true << QVariant(12.5);
    QTest::newRow("float exponent") << real << "1E2" << true << QVariant(100.0);
    QTest::newRow("float letters") << real << "abc" << false << QVariant();
    QTest::newRow("float infinite") << real << "inf" << false << QVariant();
}

void TestSettingsStore::valueParsing()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, readable);
    QFETCH(QVariant, value);
    const auto parsed = parseSettingValue(SettingKind(kind), text);
    QCOMPARE(parsed.has_value(), readable);
    if (readable)
        QCOMPARE(*parsed, value);
}

void TestSettingsStore::valueFormatting()
{
    QCOMPARE(formatSettingValue(SettingKind::Flag, true), QStringLiteral("1"));
    QCOMPARE(formatSettingValue(SettingKind::Flag, false), QStringLiteral("0"));
    QCOMPARE(formatSettingValue(SettingKind::Integer, -12), QStringLiteral("-12"));
    QCOMPARE(formatSettingValue(SettingKind::Float, 400.0), QStringLiteral("400"));
    QCOMPARE(formatSettingValue(SettingKind::Float, 12.5), QStringLiteral("12.5"));
    QCOMPARE(formatSettingValue(SettingKind::Text, QStringLiteral("\\gal")),
             QStringLiteral("\\gal"));
}

void TestSettingsStore::saveAndLoadFollowPropsOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("propstor.ini"));
    FakeControls controls;
    controls.kinds = {{"b.Value", SettingKind::Integer},
                      {"a.Text", SettingKind::Text},
                      {"c.Down", SettingKind::Flag}};
    controls.values = {{"b.Value", 5}, {"a.Text", QStringLiteral("x")}, {"c.Down", true}};
    const QStringList props = {"b.Value", "missing.Value", "a.Text", "c.Down"};
    SettingsStore store(path, QStringLiteral("FormMain"), props, controls.resolver(),
                        [](const QString &) { QFAIL("no problem expected"); });

    store.setProfile(QStringLiteral("Trip"));
    store.Save();
    store.setProfile(QString());
    store.Save();
    QCOMPARE(readBytes(path), QByteArray("[TripTrip]\r\nb.Value=5\r\na.Text=x\r\nc.Down=1\r\n"
                                         "[FormMain]\r\nb.Value=5\r\na.Text=x\r\nc.Down=1\r\n"));

    IniFile stored(path);
    stored.writeString(QStringLiteral("TripTrip"), QStringLiteral("a.Text"),
                       QStringLiteral("stored"));
    stored.save();
    controls.values["a.Text"] = QStringLiteral("changed");
    controls.values["b.Value"] = 9;
    store.setProfile(QStringLiteral("Trip"));
    store.Load();
    QCOMPARE(controls.values.value("a.Text").toString(), QStringLiteral("stored"));
    QCOMPARE(controls.values.value("b.Value").toInt(), 5);
    QCOMPARE(controls.setOrder, QStringList({"b.Value", "a.Text", "c.Down"}));
}

void TestSettingsStore::loadKeepsValuesThatCannotBeRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("propstor.ini"));
    writeBytes(path, "[PP]\r\nn.Value=abc\r\nm.Value=0x1E\r\n");
    FakeControls controls;
    controls.kinds = {{"n.Value", SettingKind::Integer},
                      {"m.Value", SettingKind::Integer},
                      {"k.Value", SettingKind::Integer}};
    controls.values = {{"n.Value", 7}, {"m.Value", 1}, {"k.Value", 3}};
    SettingsStore store(path, QStringLiteral("FormMain"), {"n.Value", "m.Value", "k.Value"},
                        controls.resolver(), [](const QString &) {});
    store.setProfile(QStringLiteral("P"));
    store.Load();
    QCOMPARE(controls.values.value("n.Value").toInt(), 7);
    QCOMPARE(controls.values.value("m.Value").toInt(), 30);
    QCOMPARE(controls.values.value("k.Value").toInt(), 3);
}

void TestSettingsStore::saveProblemStopsAndReports()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    writeBytes(blocker, "x");
    FakeControls controls;
    controls.kinds = {{"a.Down", SettingKind::Flag}, {"b.Down", SettingKind::Flag}};
    QStringList reports;
    SettingsStore store(blocker + QStringLiteral("/propstor.ini"), QStringLiteral("FormMain"),
                        {"a.Down", "b.Down"}, controls.resolver(),
                        [&reports](const QString &message) { reports << message; });
    store.setProfile(QStringLiteral("Default"));
    store.Save();
    QCOMPARE(reports, QStringList{QStringLiteral("SettingsStore: проблемы c a.Down")});
}

void TestSettingsStore::saveWritesTheFileOnceAtTheEnd()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("propstor.ini"));
    const QByteArray old = "[PropertyProject]\r\nNameProp=Default|\r\n[DefaultDefault]\r\nb=0\r\n";
    writeBytes(path, old);
    FakeControls controls;
    controls.kinds = {{"a", SettingKind::Integer}, {"b", SettingKind::Integer}};
    controls.values = {{"a", 1}, {"b", 2}};
    // While the entries are gathered the file on disk is still the old one.
    QList<QByteArray> seen;
    controls.onRead = [&](const QString &) {
        seen << readBytes(path);
    };
    QStringList reports;
    SettingsStore store(path, QStringLiteral("FormMain"), {"a", "b"}, controls.resolver(),
                        [&reports](const QString &message) { reports << message; });
    store.setProfile(QStringLiteral("Default"));
    store.Save();
    QCOMPARE(seen, QList<QByteArray>({old, old}));
    QCOMPARE(readBytes(path), QByteArray("[PropertyProject]\r\nNameProp=Default|\r\n"
                                         "[DefaultDefault]\r\nb=2\r\na=1\r\n"));

    // A save that fails at its second entry leaves the whole file as it was.
    const QByteArray saved = readBytes(path);
    controls.values = {{"a", 7}, {"b", 8}};
    controls.onRead = [](const QString &entry) {
        if (entry == u"b")
            throw PictavelError(QStringLiteral("boom"));
    };
    store.Save();
    QCOMPARE(readBytes(path), saved);
    QCOMPARE(reports, QStringList{QStringLiteral("SettingsStore: проблемы c b")});
}

void TestSettingsStore::loadProblemIsRaisedWithPrefix()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("propstor.ini"));
    writeBytes(path, "[FormMain]\r\na.Value=1\r\nb.Value=2\r\nc.Value=3\r\n");
    FakeControls controls;
    controls.kinds = {{"a.Value", SettingKind::Integer},
                      {"b.Value", SettingKind::Integer},
                      {"c.Value", SettingKind::Integer}};
    controls.failingEntry = QStringLiteral("b.Value");
    SettingsStore store(path, QStringLiteral("FormMain"), {"a.Value", "b.Value", "c.Value"},
                        controls.resolver(), [](const QString &) {});
    try {
        store.Load();
        QFAIL("the load should fail");
    } catch (const PictavelError &error) {
        QCOMPARE(error.message(), QStringLiteral("Проблемы c SettingsStoreboom"));
    }
    QCOMPARE(controls.setOrder, QStringList{QStringLiteral("a.Value")});
}

void TestSettingsStore::listsSplitAndJoin()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("propstor.ini"));
    SettingsStore store(
        path, QStringLiteral("FormMain"), {},
        [](const QString &) { return std::optional<SettingBinding>(); }, [](const QString &) {});
    QStringList lines = {QStringLiteral("Default")};
    store.ReadList(QStringLiteral("PropertyProject"), QStringLiteral("NameProp"), lines);
    QCOMPARE(lines, QStringList{QStringLiteral("Default")});

    store.WriteList(QStringLiteral("PropertyProject"), QStringLiteral("NameProp"),
                    {QStringLiteral("Default"), QString(), QStringLiteral("Summer trip")});
    QCOMPARE(readBytes(path),
             QByteArray("[PropertyProject]\r\nNameProp=Default||Summer trip|\r\n"));
    lines.clear();
    store.ReadList(QStringLiteral("PropertyProject"), QStringLiteral("NameProp"), lines);
    QCOMPARE(lines,
             QStringList({QStringLiteral("Default"), QString(), QStringLiteral("Summer trip")}));

    store.setProfile(QStringLiteral("Default"));
    store.EraseProfile(QStringLiteral("Trip"));
    IniFile other(path);
    other.writeString(QStringLiteral("TripTrip"), QStringLiteral("k"), QStringLiteral("v"));
    other.save();
    store.EraseProfile(QStringLiteral("Trip"));
    QCOMPARE(readBytes(path),
             QByteArray("[PropertyProject]\r\nNameProp=Default||Summer trip|\r\n"));
}

void TestSettingsStore::addedSettingsAreWrittenOnlyWhenOn()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("propstor.ini"));
    GallerySettings settings;
    SettingsStore store(ini, QStringLiteral("FormMain"), galleryProps(), settings.resolver(),
                        [](const QString &message) { QFAIL(qPrintable(message)); });
    store.setProfile(QStringLiteral("Trip"));
    store.Save();
    const QByteArray described = readBytes(ini);
    QVERIFY(!described.contains("Smooth") && !described.contains("Keep"));

    // On: appended after the forty; off again: gone, the file as before.
    settings.turnOn(QStringLiteral("chbKeepOriginals.Checked"));
    settings.turnOn(QStringLiteral("chbModernPage.Checked"));
    store.Save();
    QVERIFY(readBytes(ini).endsWith(
        "spinW.Value=400\r\nchbKeepOriginals.Checked=1\r\nchbModernPage.Checked=1\r\n"));
    GallerySettings off;
    SettingsStore offStore(ini, QStringLiteral("FormMain"), galleryProps(), off.resolver(),
                           [](const QString &) {});
    offStore.setProfile(QStringLiteral("Other"));
    offStore.Save();
    offStore.setProfile(QStringLiteral("Trip"));
    offStore.Load();
    QVERIFY(off.layout().options.keepOriginals && off.modernPage());
    // A profile without the key reads it as off, whatever was on before.
    offStore.setProfile(QStringLiteral("Other"));
    offStore.Load();
    QVERIFY(!off.layout().options.keepOriginals && !off.modernPage());
    offStore.setProfile(QStringLiteral("Trip"));
    offStore.Save();
    QCOMPARE(readBytes(ini).count("chbKeepOriginals"), 0);
    QCOMPARE(readBytes(ini).count("chbModernPage"), 0);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
