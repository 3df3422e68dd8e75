#include "html/colour_text.h"
#include "html/modern_page.h"
#include "html/page_generator.h"
#include "project/gallery_settings.h"
#include "project/project_folders.h"

#include <QTest>

namespace {

PageSettings defaultSettings()
{
    PageSettings s;
    s.title = QStringLiteral("Untitled Document");
    s.bgColorPage = QStringLiteral("#FFFFFF");
    s.textColorPage = QStringLiteral("#000000");
    s.leftMargin.text = QStringLiteral("0");
    s.topMargin.text = QStringLiteral("0");
    s.border.text = QStringLiteral("0");
    s.cellPad.text = QStringLiteral("2");
    s.cellSpac.text = QStringLiteral("0");
    s.bgColor = QStringLiteral("#FFFFFF");
    s.borderImg.text = QStringLiteral("0");
    return s;
}

QList<ThumbOutputNames> numberedThumbs(int count)
{
    QList<ThumbOutputNames> thumbs;
    for (int i = 1; i <= count; ++i) {
        const QString number = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        thumbs.append({QStringLiteral("A_") + number + QStringLiteral(".jpg"),
                       QStringLiteral("B_") + number + QStringLiteral(".jpg")});
    }
    return thumbs;
}

// The table's rows written as "[" for a row opened, "c" for a cell, "]" for a
// row closed.
QString rowShape(const QStringList &page)
{
    QString shape;
    for (const QString &line : page) {
        if (line == QLatin1String("    <tr>"))
            shape += u'[';
        else if (line == QLatin1String("    </tr>"))
            shape += u']';
        else if (line.startsWith(QLatin1String("        <td ")))
            shape += u'c';
    }
    return shape;
}

QString lineStartingWith(const QStringList &page, const QString &start)
{
    for (const QString &line : page) {
        if (line.startsWith(start))
            return line;
    }
    return QString();
}

} // namespace

class TestPageGenerator : public QObject
{
    Q_OBJECT
private slots:
    void holidayPageLineForLine();
    void emptySetGivesNoTable();
    void rowRule_data();
    void rowRule();
    void headerStyleTags_data();
    void headerStyleTags();
    void headerOfBlanksIsKept();
    void alignmentWordReachesHeaderAndTable_data();
    void alignmentWordReachesHeaderAndTable();
    void spinTexts_data();
    void spinTexts();
    void settingTextsAreWrittenAsTyped();
    void addressFileNamesAreEscaped_data();
    void addressFileNamesAreEscaped();
    void folderTextsGiveRelativeAddresses_data();
    void folderTextsGiveRelativeAddresses();
    void folderSpellingsOfOneFolder_data();
    void folderSpellingsOfOneFolder();
    void modernPageEscapesAndSizesItsThumbnails();
    void largeSetGoesOnInFurtherPages();
    void colourTexts_data();
    void colourTexts();
};

void TestPageGenerator::holidayPageLineForLine()
{
    PageSettings s = defaultSettings();
    s.header = QStringLiteral("Holiday");
    s.bold = true;
    s.underline = true;
    s.fontHeader = QStringLiteral("Arial, Helvetica, sans-serif");
    s.fontSize = QStringLiteral("3");
    s.colorFont = QStringLiteral("#000000");
    s.border.text = QStringLiteral("1");
    s.bordColor = QStringLiteral("#000000");
    s.bordColorD = QStringLiteral("#808080");
    s.bordColorL = QStringLiteral("#C0C0C0");
    s.columnCount = 2;
    s.href = QStringLiteral("gal/");
    s.src = QStringLiteral("thumb/");
    s.target = QStringLiteral("_blank");

    const QStringList expected = {
        "<html>",
        "",
        "<head>",
        "<title>Untitled Document</title>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">",
        "</head>",
        "",
        "<body bgcolor=\"#FFFFFF\" text=\"#000000\" leftmargin=\"0\" topmargin=\"0\">",
        "",
        "<div align=\"center\"> <font face=\"Arial, Helvetica, sans-serif\" size=\"3\" "
        "color=\"#000000\"><b><u>Holiday</u></b></font></div>",
        "",
        "<table align=\"center\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\" "
        "bgcolor=\"#FFFFFF\" bordercolor=\"#000000\" bordercolordark=\"#808080\" "
        "bordercolorlight=\"#C0C0C0\">",
        "    <tr>",
        "        <td align=\"center\" valign=\"bottom\"><a href=\"gal/A_01.jpg\" "
        "target=\"_blank\"><img src=\"thumb/B_01.jpg\" border=\"0\"></a></td>",
        "        <td align=\"center\" valign=\"bottom\"><a href=\"gal/A_02.jpg\" "
        "target=\"_blank\"><img src=\"thumb/B_02.jpg\" border=\"0\"></a></td>",
        "    </tr>",
        "    <tr>",
        "        <td align=\"center\" valign=\"bottom\"><a href=\"gal/A_03.jpg\" "
        "target=\"_blank\"><img src=\"thumb/B_03.jpg\" border=\"0\"></a></td>",
        "    </tr>",
        "</table>",
        "",
        "</body>",
        "</html>",
    };
    const QStringList page = generatePage(s, numberedThumbs(3));
    QCOMPARE(page.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(page[i], expected[i]);
    QCOMPARE(generatePage(s, numberedThumbs(3)), page);
}

void TestPageGenerator::emptySetGivesNoTable()
{
    PageSettings s = defaultSettings();
    QStringList page = generatePage(s, {});
    QCOMPARE(page.size(), 11);
    QCOMPARE(page[8], QString());
    QCOMPARE(page[9], QStringLiteral("</body>"));
    QVERIFY(lineStartingWith(page, "<div").isEmpty());

    s.header = QStringLiteral("Head");
    page = generatePage(s, {});
    QCOMPARE(page.size(), 13);
    QVERIFY(page[9].startsWith(QLatin1String("<div align=\"center\">")));
    QCOMPARE(page[10], QString());
    QCOMPARE(page[11], QStringLiteral("</body>"));
    QVERIFY(lineStartingWith(page, "<table").isEmpty());
}

void TestPageGenerator::rowRule_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("shape");
    QTest::newRow("full rows") << 2 << 4 << "[cc][cc]";
    QTest::newRow("partial last row") << 2 << 3 << "[cc][c]";
    QTest::newRow("zero columns, one row") << 0 << 5 << "[ccccc]";
    QTest::newRow("one column") << 1 << 3 << "[c][c][c]";
    QTest::newRow("one exactly full row") << 5 << 5 << "[ccccc]";
    QTest::newRow("fewer than a row") << 100 << 2 << "[cc]";
    QTest::newRow("single thumbnail") << 3 << 1 << "[c]";
}

void TestPageGenerator::rowRule()
{
    QFETCH(int, columns);
    QFETCH(int, count);
    QFETCH(QString, shape);
    PageSettings s = defaultSettings();
    s.columnCount = columns;
    const QStringList page = generatePage(s, numberedThumbs(count));
    QCOMPARE(rowShape(page), shape);
    // Cells stay in set order, and the table is closed right after its rows.
    QVERIFY(lineStartingWith(page, "        <td").contains(QLatin1String("A_01.jpg")));
    const qsizetype close = page.indexOf(QStringLiteral("</table>"));
    QCOMPARE(page[close - 1], QStringLiteral("    </tr>"));
    QVERIFY(page[close - 2].contains(QStringLiteral("B_%1.jpg").arg(count, 2, 10, QChar('0'))));
}

void TestPageGenerator::headerStyleTags_data()
{
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << false << false << false << "\">Trip</font></div>";
    QTest::newRow("all") << true << true << true << "\"><b><i><u>Trip</u></i></b></font></div>";
    QTest::newRow("italic") << false << true << false << "\"><i>Trip</i></font></div>";
    QTest::newRow("bold and italic")
        << true << true << false << "\"><b><i>Trip</i></b></font></div>";
}

void TestPageGenerator::headerStyleTags()
{
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(QString, text);
    PageSettings s = defaultSettings();
    s.header = QStringLiteral("Trip");
    s.colorFont = QStringLiteral("#123456");
    s.bold = bold;
    s.italic = italic;
    s.underline = underline;
    const QString header = lineStartingWith(generatePage(s, {}), "<div");
    QVERIFY(header.endsWith(QStringLiteral("color=\"#123456") + text));
}

void TestPageGenerator::headerOfBlanksIsKept()
{
    PageSettings s = defaultSettings();
    s.header = QStringLiteral(" ");
    const QString header = lineStartingWith(generatePage(s, {}), "<div");
    QCOMPARE(header, QStringLiteral("<div align=\"center\"> <font face=\"\" size=\"\" color=\"\"> "
                                    "</font></div>"));
}

void TestPageGenerator::alignmentWordReachesHeaderAndTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("word");
    QTest::newRow("left") << 0 << "left";
    QTest::newRow("right") << 2 << "right";
    QTest::newRow("none chosen") << -1 << "";
}

void TestPageGenerator::alignmentWordReachesHeaderAndTable()
{
    QFETCH(int, index);
    QFETCH(QString, word);
    PageSettings s = defaultSettings();
    s.header = QStringLiteral("H");
    s.alignIndex = index;
    const QStringList page = generatePage(s, numberedThumbs(1));
    const QString align = QStringLiteral("align=\"%1\"").arg(word);
    QVERIFY(lineStartingWith(page, "<div").startsWith(QStringLiteral("<div ") + align + u'>'));
    QVERIFY(lineStartingWith(page, "<table").startsWith(QStringLiteral("<table ") + align + u' '));
}

void TestPageGenerator::spinTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<qint64>("number");
    QTest::newRow("whole") << "12" << 0 << qint64(12);
    QTest::newRow("above any range") << "450" << 0 << qint64(450);
    QTest::newRow("negative") << "-7" << 0 << qint64(-7);
    QTest::newRow("fraction truncated") << "12.9" << 0 << qint64(12);
    QTest::newRow("negative fraction toward zero") << "-3.7" << 0 << qint64(-3);
    QTest::newRow("empty") << "" << 0 << qint64(0);
    QTest::newRow("empty counts as minimum") << "" << 5 << qint64(5);
    QTest::newRow("lone sign") << "-" << 3 << qint64(3);
    QTest::newRow("not a number") << "abc" << 1 << qint64(1);
    QTest::newRow("too many digits")
        << "99999999999999999999999" << 0 << qint64(9000000000000000000);
}

void TestPageGenerator::spinTexts()
{
    QFETCH(QString, text);
    QFETCH(int, minimum);
    QFETCH(qint64, number);
    QCOMPARE(spinEditNumber({text, minimum}), number);

    PageSettings s = defaultSettings();
    s.leftMargin = {text, minimum};
    QVERIFY(lineStartingWith(generatePage(s, {}), "<body")
                .contains(QStringLiteral("leftmargin=\"%1\" topmargin=\"0\">").arg(number)));
}

void TestPageGenerator::settingTextsAreWrittenAsTyped()
{
    PageSettings s = defaultSettings();
    s.title = QStringLiteral("50% <b>&\"%1\" %s %d");
    s.header = QStringLiteral("%2 & <i>");
    s.fontHeader = QStringLiteral("Tahoma");
    s.href = QStringLiteral("my%20gal/");
    s.target = QStringLiteral("%s");
    const QStringList page = generatePage(s, numberedThumbs(1));
    QCOMPARE(page[3], QStringLiteral("<title>50% <b>&\"%1\" %s %d</title>"));
    QVERIFY(lineStartingWith(page, "<div").contains(QLatin1String("face=\"Tahoma\"")));
    QVERIFY(lineStartingWith(page, "<div").contains(QLatin1String(">%2 & <i></font>")));
    QVERIFY(lineStartingWith(page, "        <td")
                .contains(QLatin1String("href=\"my%20gal/A_01.jpg\" target=\"%s\"")));
}

void TestPageGenerator::addressFileNamesAreEscaped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("fragment, query, escape") << "a#b 100%?.jpg"
                                             << "a%23b 100%25%3F.jpg";
    QTest::newRow("markup") << "\"><img src=x onerror=alert(1)>.jpg"
                            << "%22%3E%3Cimg src=x onerror=alert(1)%3E.jpg";
    QTest::newRow("ampersand") << "a&b.jpg"
                               << "a%26b.jpg";
    QTest::newRow("control characters") << QString("a\tb\x7F\x01.jpg") << "a%09b%7F%01.jpg";
    // Browsers read "\\" as "/" and drop blanks at the ends of an address.
    QTest::newRow("backslash") << "a\\b.jpg"
                               << "a%5Cb.jpg";
    QTest::newRow("leading blank") << " a.jpg"
                                   << "%20a.jpg";
    QTest::newRow("letters and quotes that are safe") << "Фото 'x' [1].jpg"
                                                      << "Фото 'x' [1].jpg";
}

void TestPageGenerator::addressFileNamesAreEscaped()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    PageSettings s = defaultSettings();
    // The prefixes are the user's own HTML and stay as typed.
    s.href = QStringLiteral("g#?/");
    s.src = QStringLiteral("t&/");
    const QStringList page = generatePage(s, {{name, name}});
    const QString cell = lineStartingWith(page, "        <td");
    QVERIFY2(cell.contains(QStringLiteral("href=\"g#?/") + address + u'"'), qPrintable(cell));
    QVERIFY2(cell.contains(QStringLiteral("src=\"t&/") + address + u'"'), qPrintable(cell));
    // No name opens a tag or an attribute of its own.
    QCOMPARE(cell.count(u'<'), 5);
    QCOMPARE(cell.count(u'"'), 12);
}

void TestPageGenerator::folderTextsGiveRelativeAddresses_data()
{
    QTest::addColumn<QString>("folderText");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("as described") << "\\gal"
                                  << "gal/";
    QTest::newRow("without the separator") << "thumb"
                                           << "thumb/";
    QTest::newRow("fragment") << "trip #3"
                              << "trip %233/";
    QTest::newRow("query") << "\\what?"
                           << "what%3F/";
    QTest::newRow("quote") << "a\" onclick=\"x"
                           << "a%22 onclick=%22x/";
    QTest::newRow("blanks at the ends") << "\\ gal "
                                        << "%20gal%20/";
    QTest::newRow("empty: the project folder itself") << ""
                                                      << "";
    QTest::newRow("the separator alone") << "\\"
                                         << "";
    QTest::newRow("nested") << "\\photos\\big\\"
                            << "photos/big/";
    QTest::newRow("dot") << "\\.\\gal"
                         << "gal/";
}

void TestPageGenerator::folderTextsGiveRelativeAddresses()
{
    QFETCH(QString, folderText);
    QFETCH(QString, prefix);
    QCOMPARE(deriveProjectFolder(QStringLiteral("/www"), folderText).linkPrefix, prefix);
}

void TestPageGenerator::folderSpellingsOfOneFolder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("with and without the separator") << "gal"
                                                    << "\\gal" << true;
    QTest::newRow("trailing separator") << "\\gal"
                                        << "\\gal\\" << true;
    QTest::newRow("dot") << "\\gal"
                         << "\\.\\gal" << true;
    QTest::newRow("the project folder twice") << ""
                                              << "\\" << true;
    QTest::newRow("case counts") << "\\gal"
                                 << "\\Gal" << false;
    QTest::newRow("two folders") << "\\gal"
                                 << "\\thumb" << false;
}

void TestPageGenerator::folderSpellingsOfOneFolder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(sameFolderText(a, b), same);
    // Equal folders switch renaming on, so a picture and its thumbnail
    // never share a file.
    GallerySettings settings;
    settings.resolver()(QStringLiteral("edtGalerFolder.Text"))->set(a);
    settings.resolver()(QStringLiteral("edtThumbsFolder.Text"))->set(b);
    QCOMPARE(settings.naming().renaming, same);
}

void TestPageGenerator::modernPageEscapesAndSizesItsThumbnails()
{
    PageSettings s = defaultSettings();
    s.title = QStringLiteral("</title><script>alert(1)</script> %2 & \"Trip\"");
    s.header = QStringLiteral("<b>Наш</b> год");
    s.href = QStringLiteral("gal/");
    s.src = QStringLiteral("thumb \"x/");
    s.bgColorPage = QStringLiteral("red;}body{display:none");
    QList<ModernPageCell> cells;
    for (int i = 0; i < 14; ++i)
        cells.append({{QStringLiteral("a%1 #?.jpg").arg(i), QStringLiteral("b%1.jpg").arg(i)},
                      QStringLiteral("<img onerror=x>%1").arg(i),
                      QSize(110, 70 + i)});
    const QStringList page = generateModernPages(s, cells, QStringLiteral("ru")).constFirst();
    const QString text = page.join(u'\n');
    QVERIFY(text.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\">")));
    // No setting text adds markup, a script or a style rule of its own.
    QCOMPARE(text.count(QStringLiteral("<script")), 1);
    QCOMPARE(text.count(QStringLiteral("<img")), 15);
    QVERIFY(!text.contains(QStringLiteral("red;}")));
    QVERIFY(text.contains(
        QStringLiteral("<title>&lt;/title&gt;&lt;script&gt;alert(1)&lt;/script&gt; %2 &amp; "
                       "&quot;Trip&quot;</title>")));
    QVERIFY(text.contains(QStringLiteral("<h1>&lt;b&gt;Наш&lt;/b&gt; год</h1>")));
    // Each thumbnail: its link, its copy, its size, its double and its text;
    // those after the first screen load as they come into view.
    const QString cell = lineStartingWith(page, "<a href=\"gal/a13");
    QCOMPARE(cell, QStringLiteral("<a href=\"gal/a13 %23%3F.jpg\" id=\"p14\" "
                                  "data-v=\"view/a13 %23%3F.jpg\" data-c=\"&lt;img "
                                  "onerror=x&gt;13\"><img src=\"thumb &quot;x/b13.jpg\" "
                                  "srcset=\"thumb%20&quot;x/b13@2x.jpg 2x\" width=\"110\" "
                                  "height=\"83\" alt=\"&lt;img onerror=x&gt;13\" "
                                  "loading=\"lazy\" decoding=\"async\"></a>"));
    QVERIFY(!lineStartingWith(page, "<a href=\"gal/a0 ").contains(QStringLiteral("lazy")));
}

void TestPageGenerator::largeSetGoesOnInFurtherPages()
{
    // 2,000 pictures under the default names: the page a visitor loads first
    // stays small, and the further pages link on, numbering on.
    const PageSettings s = defaultSettings();
    QList<ModernPageCell> cells;
    for (int i = 0; i < 2000; ++i) {
        const QString name = QStringLiteral("A_%1.jpg").arg(i + 1, 4, 10, QLatin1Char('0'));
        cells.append({{name, u'B' + name.mid(1)}, name, QSize(150, 113)});
    }
    const QList<QStringList> pages = generateModernPages(s, cells, QStringLiteral("en"));
    QCOMPARE(pages.size(), (2000 + kCellsPerModernPage - 1) / kCellsPerModernPage);
    QVERIFY(pages.constFirst().join(QStringLiteral("\r\n")).toUtf8().size() < 100'000);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const QStringList &page = pages.at(p);
        QVERIFY(page.contains(QStringLiteral("<main id=\"g\" data-n=\"2000\">")));
        const int first = int(p) * kCellsPerModernPage + 1;
        QVERIFY(
            lineStartingWith(page, "<a href=").contains(QStringLiteral("id=\"p%1\"").arg(first)));
        const QString more = lineStartingWith(page, "<p id=\"m\">");
        QCOMPARE(more.isEmpty(), p + 1 == pages.size());
        if (!more.isEmpty())
            QVERIFY(more.contains(u'"' + morePageFileName(int(p) + 2) + u'"'));
    }
    const QList<ModernPageCell> few = cells.mid(0, kCellsPerModernPage);
    QCOMPARE(generateModernPages(s, few, QStringLiteral("en")).size(), 1);
    QCOMPARE(generateModernPages(s, {}, QStringLiteral("en")).size(), 1);
}

void TestPageGenerator::colourTexts_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("text");
    QTest::newRow("black") << 0 << "#000000";
    QTest::newRow("white") << 16777215 << "#FFFFFF";
    QTest::newRow("pure red is the low byte") << 0x0000FF << "#FF0000";
    QTest::newRow("pure blue is the high byte") << 0xFF0000 << "#0000FF";
    QTest::newRow("mixed, upper case") << 0xab3412 << "#1234AB";
    QTest::newRow("top byte ignored") << int(0xFF563412) << "#123456";
}

void TestPageGenerator::colourTexts()
{
    QFETCH(int, panel);
    QFETCH(QString, text);
    QCOMPARE(colourText(panel), text);
    QCOMPARE(panelColour(channelsOfPanel(panel)), panel & 0xFFFFFF);
}

QTEST_APPLESS_MAIN(TestPageGenerator)
#include "tst_page_generator.moc"
