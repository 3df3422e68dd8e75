#include "icc_pictures.h"
#include "imaging/bitmap32.h"
#include "imaging/matrix_shaper.h"
#include "imaging/picture_file.h"

#include <QTemporaryDir>
#include <QTest>

#include <thread>

namespace {

// Photo-like numbers that span the range: smooth ramps in each channel.
uint8_t rampSample(int x, int y, int k)
{
    return uint8_t(k == 0 ? x * 4 : k == 1 ? y * 4 : (x + y) * 2);
}

int largestDifference(const TBitmap32 &b, const std::vector<uint32_t> &expected)
{
    int worst = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        for (int shift : {0, 8, 16, 24})
            worst = std::max(worst, std::abs(int((b.bits()[i] >> shift) & 255) -
                                             int((expected[i] >> shift) & 255)));
    return worst;
}

bool carriesProfile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.readAll().contains(QByteArray("ICC_PROFILE", 12));
}

} // namespace

class TestColourProfile : public QObject
{
    Q_OBJECT

private slots:
    void matrixShaperTablesMatchLcms_data();
    void matrixShaperTablesMatchLcms();
    void rgbProfilesConvertToSrgb_data();
    void rgbProfilesConvertToSrgb();
    void greyProfileConvertsEveryLevel();
    void cmykProfile_data();
    void cmykProfile();
    void unusableProfilesAreIgnored_data();
    void unusableProfilesAreIgnored();
    void threadsShareConversions();

private:
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};

void TestColourProfile::matrixShaperTablesMatchLcms_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<bool>("tables");
    cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    const icc::Curve curve(cmsBuildParametricToneCurve(nullptr, 4, srgbCurve));
    cmsToneCurve *curves[3] = {curve.get(), curve.get(), curve.get()};
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE p3{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const icc::Profile displayP3(cmsCreateRGBProfile(&d65, &p3, curves));
    QTest::newRow("Adobe RGB") << icc::bytes(icc::adobeRgb().get()) << true;
    QTest::newRow("ProPhoto-like") << icc::bytes(icc::proPhoto().get()) << true;
    QTest::newRow("Display P3-like") << icc::bytes(displayP3.get()) << true;
    QTest::newRow("RGB through a grid") << icc::bytes(icc::rgbGridProfile().get()) << false;
    QTest::newRow("CMYK") << icc::bytes(icc::cmykProfile().get()) << false;
    QTest::newRow("grey") << icc::bytes(icc::greyProfile(2.2).get()) << false;
}

// The tables that stand in for lcms on RGB matrix-shaper profiles give its
// numbers within one level, over colours between the ones checked when the
// tables are made.
void TestColourProfile::matrixShaperTablesMatchLcms()
{
    QFETCH(QByteArray, profile);
    QFETCH(bool, tables);
    const icc::Profile from(
        cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size())));
    const std::unique_ptr<MatrixShaperToSrgb> m = MatrixShaperToSrgb::make(from.get());
    QCOMPARE(bool(m), tables);
    if (!m)
        return;
    // Every colour, in rows whose widths leave some pixels over from any
    // block: the faster ways give the sums' numbers exactly.
    std::vector<uint32_t> cube(size_t(1) << 24), bySums;
    for (uint32_t c = 0; c < cube.size(); ++c)
        cube[c] = c << 8 | c >> 16 | 0x5Au << 24;
    bySums = cube;
    for (size_t at = 0, width = 4093; at < cube.size(); at += width) {
        width = std::min(width, cube.size() - at);
        m->convertRow(reinterpret_cast<uint8_t *>(cube.data() + at), width);
    }
    m->convertRowBySums(reinterpret_cast<uint8_t *>(bySums.data()), bySums.size());
    QVERIFY(cube == bySums);
    std::vector<uint32_t> colours;
    for (uint32_t r = 1; r < 256; r += 3)
        for (uint32_t g = 2; g < 256; g += 3)
            for (uint32_t b = 0; b < 256; b += 3)
                colours.push_back(0xFF000000u | r << 16 | g << 8 | b);
    const std::vector<uint32_t> expected =
        icc::toSrgb(from.get(), TYPE_BGRA_8, colours.data(), colours.size());
    m->convertRow(reinterpret_cast<uint8_t *>(colours.data()), colours.size());
    int worst = 0;
    for (size_t i = 0; i < colours.size(); ++i)
        for (int shift : {0, 8, 16, 24})
            worst = std::max(worst, std::abs(int((colours[i] >> shift) & 255) -
                                             int((expected[i] >> shift) & 255)));
    QVERIFY2(worst <= 1, qPrintable(QString::number(worst)));
}

void TestColourProfile::rgbProfilesConvertToSrgb_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<int>("parts");
    const QByteArray adobe = icc::bytes(icc::adobeRgb().get());
    const QByteArray wide = icc::bytes(icc::proPhoto().get());
    QTest::newRow("Adobe RGB") << adobe << 1;
    QTest::newRow("ProPhoto-like") << wide << 1;
    QTest::newRow("split over two markers, the second first") << wide << 2;
    QTest::newRow("through a grid") << icc::bytes(icc::rgbGridProfile().get()) << 1;
}

// The tagged picture decodes to lcms's conversion of the numbers the same
// picture gives without its profile.
void TestColourProfile::rgbProfilesConvertToSrgb()
{
    QFETCH(QByteArray, profile);
    QFETCH(int, parts);
    const icc::JpegShape shape{64, 48, 3, false, 95};
    QVERIFY(icc::writeJpeg(path("plain.jpg"), shape, rampSample));
    QVERIFY(icc::writeJpeg(path("tagged.jpg"), shape, rampSample,
                           icc::markers(profile, parts, parts > 1)));
    TBitmap32 plain, tagged;
    LoadPicture(path("plain.jpg"), plain);
    QString warning;
    LoadPicture(path("tagged.jpg"), tagged, &warning);
    QVERIFY2(warning.isEmpty(), qPrintable(warning));
    const icc::Profile from(
        cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size())));
    const size_t count = size_t(64 * 48);
    const std::vector<uint32_t> expected =
        icc::toSrgb(from.get(), TYPE_BGRA_8, plain.bits(), count);
    QCOMPARE(tagged.width(), 64);
    QVERIFY2(largestDifference(tagged, expected) <= 1,
             qPrintable(QString::number(largestDifference(tagged, expected))));
    // The conversion really moves colours: unconverted numbers would be far off.
    QVERIFY(largestDifference(plain, expected) > 10);
    // A bitmap of the picture's size keeps its pixels until the decode
    // succeeds, so there the picture is decoded into a second area.
    LoadPicture(path("tagged.jpg"), tagged);
    QVERIFY(largestDifference(tagged, expected) <= 1);
    // What is written holds sRGB numbers and says nothing else.
    WriteJpegFile(path("out.jpg"), tagged, 90);
    QVERIFY(!carriesProfile(path("out.jpg")));
}

// Each 8 x 8 block of a quality 100 greyscale file decodes to exactly its
// level, so the expected colours come straight from the levels.
void TestColourProfile::greyProfileConvertsEveryLevel()
{
    const icc::Profile grey = icc::greyProfile(1.6);
    const icc::JpegShape shape{256 * 8, 8, 1, false, 100};
    QVERIFY(icc::writeJpeg(
        path("grey.jpg"), shape, [](int x, int, int) { return uint8_t(x / 8); },
        icc::markers(icc::bytes(grey.get()))));
    TBitmap32 b;
    LoadPicture(path("grey.jpg"), b);
    uint8_t levels[256];
    for (int v = 0; v < 256; ++v)
        levels[v] = uint8_t(v);
    const std::vector<uint32_t> expected = icc::toSrgb(grey.get(), TYPE_GRAY_8, levels, 256);
    int worst = 0, moved = 0;
    for (int v = 0; v < 256; ++v)
        for (int shift : {0, 8, 16, 24}) {
            const int got = int((b.pixel(v * 8 + 3, 4) >> shift) & 255);
            worst = std::max(worst, std::abs(got - int((expected[size_t(v)] >> shift) & 255)));
            moved = std::max(moved, std::abs(got - (shift == 24 ? 255 : v)));
        }
    QVERIFY2(worst <= 1, qPrintable(QString::number(worst)));
    QVERIFY(moved > 5);
}

void TestColourProfile::cmykProfile_data()
{
    QTest::addColumn<bool>("adobeInverted");
    QTest::newRow("inks as Adobe stores them") << true;
    QTest::newRow("inks as they are") << false;
}

// Blocks of flat inks at quality 100 decode to exactly their numbers.
void TestColourProfile::cmykProfile()
{
    QFETCH(bool, adobeInverted);
    const uint8_t inks[4][4] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {40, 200, 90, 30}, {0, 0, 0, 255}};
    std::vector<uint8_t> stored;
    for (const auto &block : inks)
        for (uint8_t ink : block)
            stored.push_back(adobeInverted ? uint8_t(255 - ink) : ink);
    const icc::Profile cmyk = icc::cmykProfile();
    const icc::JpegShape shape{32, 8, 4, adobeInverted, 100};
    QVERIFY(icc::writeJpeg(
        path("cmyk.jpg"), shape, [&](int x, int, int k) { return stored[size_t(x / 8 * 4 + k)]; },
        icc::markers(icc::bytes(cmyk.get()))));
    TBitmap32 b;
    LoadPicture(path("cmyk.jpg"), b);
    const std::vector<uint32_t> expected =
        icc::toSrgb(cmyk.get(), adobeInverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, stored.data(), 4);
    for (int i = 0; i < 4; ++i) {
        const TColor32 got = b.pixel(i * 8 + 4, 4);
        for (int shift : {0, 8, 16, 24})
            QVERIFY2(std::abs(int((got >> shift) & 255) -
                              int((expected[size_t(i)] >> shift) & 255)) <= 1,
                     qPrintable(QStringLiteral("block %1: %2 not %3")
                                    .arg(i)
                                    .arg(got, 8, 16)
                                    .arg(expected[size_t(i)], 8, 16)));
    }
    // No ink is paper white, full black ink is dark.
    QVERIFY((b.pixel(4, 4) & 0xFFFFFF) >= 0xF0F0F0);
    QVERIFY(((b.pixel(28, 4) >> 8) & 255) < 40);
}

void TestColourProfile::unusableProfilesAreIgnored_data()
{
    QTest::addColumn<int>("components");
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<bool>("mentioned");
    const QByteArray adobe = icc::bytes(icc::adobeRgb().get());
    QByteArray badSignature = adobe;
    badSignature.replace(36, 4, "xxxx");
    QByteArray badTags = adobe;
    for (qsizetype i = 132; i < badTags.size(); ++i)
        badTags[i] = char(0xEE);
    const icc::Profile srgb(cmsCreate_sRGBProfile());
    QTest::newRow("not a profile") << 3 << badSignature << true;
    QTest::newRow("tags damaged") << 3 << badTags << true;
    QTest::newRow("cut short") << 3 << adobe.left(adobe.size() / 2) << true;
    QTest::newRow("CMYK profile on an RGB picture")
        << 3 << icc::bytes(icc::cmykProfile().get()) << true;
    QTest::newRow("RGB profile on a grey picture") << 1 << adobe << true;
    QTest::newRow("sRGB itself") << 3 << icc::bytes(srgb.get()) << false;
}

// The picture loads exactly as it would without the profile; only the
// warning that pictavel-build prints mentions it.
void TestColourProfile::unusableProfilesAreIgnored()
{
    QFETCH(int, components);
    QFETCH(QByteArray, profile);
    QFETCH(bool, mentioned);
    const icc::JpegShape shape{40, 24, components, false, 90};
    QVERIFY(icc::writeJpeg(path("plain.jpg"), shape, rampSample));
    QVERIFY(icc::writeJpeg(path("tagged.jpg"), shape, rampSample, icc::markers(profile)));
    TBitmap32 plain, tagged;
    LoadPicture(path("plain.jpg"), plain);
    QString warning;
    LoadPicture(path("tagged.jpg"), tagged, &warning);
    QCOMPARE(tagged.width(), plain.width());
    QVERIFY(std::equal(plain.bits(), plain.bits() + 40 * 24, tagged.bits()));
    QCOMPARE(warning.contains(QStringLiteral("colour profile")), mentioned);
}

// Threads meeting the same new profiles at once all get the conversion.
void TestColourProfile::threadsShareConversions()
{
    const icc::JpegShape shape{48, 32, 3, false, 90};
    const QByteArray profiles[2] = {
        icc::bytes(icc::rgbProfile({0.3127, 0.3290, 1.0},
                                   {{0.68, 0.32, 1}, {0.265, 0.69, 1}, {0.15, 0.06, 1}}, 2.4)
                       .get()),
        icc::bytes(icc::proPhoto().get())};
    for (int i = 0; i < 2; ++i)
        QVERIFY(icc::writeJpeg(m_dir.filePath(QStringLiteral("t%1.jpg").arg(i)), shape, rampSample,
                               icc::markers(profiles[i])));
    TBitmap32 reference[2];
    std::vector<std::thread> threads;
    std::vector<TBitmap32> results(8);
    for (int n = 0; n < 8; ++n)
        threads.emplace_back([&, n] {
            LoadPicture(m_dir.filePath(QStringLiteral("t%1.jpg").arg(n % 2)), results[size_t(n)]);
        });
    for (std::thread &t : threads)
        t.join();
    for (int i = 0; i < 2; ++i)
        LoadPicture(m_dir.filePath(QStringLiteral("t%1.jpg").arg(i)), reference[i]);
    for (int n = 0; n < 8; ++n)
        QVERIFY(std::equal(reference[n % 2].bits(), reference[n % 2].bits() + 48 * 32,
                           results[size_t(n)].bits()));
}

QTEST_GUILESS_MAIN(TestColourProfile)
#include "tst_colour_profile.moc"
