#include "html/html_colouring.h"

#include <QTest>

namespace {

// One letter per character: P plain, T tag, A attribute, V value, S symbol,
// N number, E entity.
QString kindLetters(const QString &line, bool insideTagAtStart)
{
    QString letters(line.size(), u'P');
    const LineColouring colouring = colourHtmlLine(line, insideTagAtStart);
    int previousEnd = 0;
    for (const ColouredRun &run : colouring.runs) {
        if (run.start < previousEnd || run.length <= 0 || run.start + run.length > line.size())
            return QStringLiteral("bad run at %1").arg(run.start);
        previousEnd = run.start + run.length;
        const char letter = "PTAVSNE"[int(run.kind)];
        for (int i = run.start; i < run.start + run.length; ++i)
            letters[i] = QLatin1Char(letter);
    }
    return letters;
}

} // namespace

class TestHtmlColouring : public QObject
{
    Q_OBJECT
private slots:
    void tokenKinds_data();
    void tokenKinds();
    void tagStateAtLineEnd_data();
    void tagStateAtLineEnd();
    void tagOpenedOnEarlierLine();
    void longLinesAreColouredWhole();
};

void TestHtmlColouring::tokenKinds_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("insideTag");
    QTest::addColumn<QString>("letters");

    QTest::newRow("cell tag with text around")
        << "x <td align=\"center\"> y" << false << "PPTTTPAAAAASVVVVVVVVTPP";
    QTest::newRow("closing tag") << "</td>" << false << "TTTTT";
    QTest::newRow("unknown tag name stays plain") << "<foo>" << false << "TPPPT";
    QTest::newRow("tag words ignore case") << "<TaBlE>" << false << "TTTTTTT";
    QTest::newRow("unquoted value") << "<img border=0>" << false << "TTTTPAAAAAASVT";
    QTest::newRow("blanks around equals") << "<p a = b>" << false << "TTPAPSPVT";
    QTest::newRow("name with minus stays plain")
        << "<meta http-equiv=\"a\">" << false << "TTTTTPPPPPPPPPPPSVVVT";
    QTest::newRow("numbers and symbols")
        << "<x 12 -3.5 $1F 1.2.3 # ## $>" << false << "TPPNNPNNNNPNNNPPPPPPPSPPPPPT";
    QTest::newRow("cyrillic attribute name") << "<p имя=1>" << false << "TTPAAASVT";
    QTest::newRow("name beginning with a digit") << "<p 1a=2>" << false << "TTPPPSVT";
    QTest::newRow("unclosed quote runs to the end")
        << "<a title=\"x > y" << false << "TTPAAAAASVVVVVV";
    QTest::newRow("text outside tags is plain") << "a = 1 > b" << false << "PPPPPPPPP";
    QTest::newRow("comment opener starts a tag") << "<!-- x -->" << false << "TPPPPPPPPT";
    QTest::newRow("entities") << "&nbsp; &NBSP; &foo; &#160;" << false
                              << "EEEEEEPEEEEEEPPPPPPPPPPPPP";
    QTest::newRow("entity inside a word") << "a&amp;b&copy" << false << "PEEEEEPPPPPP";
    QTest::newRow("entity after a false start") << "&x&lt;" << false << "PPEEEE";
    QTest::newRow("entity in a value") << "<a t=\"&quot;\">" << false << "TTPASVEEEEEEVT";
    QTest::newRow("line starting inside a tag")
        << "align=\"center\">text" << true << "AAAAASVVVVVVVVTPPPP";
    QTest::newRow("same line outside a tag") << "align=\"center\">" << false << "PPPPPPPPPPPPPPP";
}

void TestHtmlColouring::tokenKinds()
{
    QFETCH(QString, line);
    QFETCH(bool, insideTag);
    QFETCH(QString, letters);
    QCOMPARE(kindLetters(line, insideTag), letters);
}

void TestHtmlColouring::tagStateAtLineEnd_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("insideAtStart");
    QTest::addColumn<bool>("insideAtEnd");
    QTest::newRow("opened") << "<td" << false << true;
    QTest::newRow("closed") << "<td>" << false << false;
    QTest::newRow("closed from before") << "a=1>" << true << false;
    QTest::newRow("carried through") << "a=1" << true << true;
    QTest::newRow("empty line keeps state") << "" << true << true;
    QTest::newRow("quotes are not considered") << "<a b=\">\"" << false << false;
    QTest::newRow("quoted opener") << "x \"<\" y" << false << true;
}

void TestHtmlColouring::tagStateAtLineEnd()
{
    QFETCH(QString, line);
    QFETCH(bool, insideAtStart);
    QFETCH(bool, insideAtEnd);
    QCOMPARE(colourHtmlLine(line, insideAtStart).insideTagAtEnd, insideAtEnd);
}

void TestHtmlColouring::tagOpenedOnEarlierLine()
{
    const QStringList lines = {"<td", "", "valign=\"bottom\" width=5>", "bgcolor=1"};
    bool inside = false;
    QStringList letters;
    for (const QString &line : lines) {
        letters << kindLetters(line, inside);
        inside = colourHtmlLine(line, inside).insideTagAtEnd;
    }
    QCOMPARE(letters[2], QStringLiteral("AAAAAASVVVVVVVVPAAAAASVT"));
    QCOMPARE(letters[3], QStringLiteral("PPPPPPPPP"));
}

void TestHtmlColouring::longLinesAreColouredWhole()
{
    const QString line = QString(3000, u'x') + QStringLiteral("<b>");
    const LineColouring colouring = colourHtmlLine(line, false);
    QCOMPARE(colouring.runs.size(), 1);
    QCOMPARE(colouring.runs[0], (ColouredRun{3000, 3, HtmlTokenKind::Tag}));
}

QTEST_APPLESS_MAIN(TestHtmlColouring)
#include "tst_html_colouring.moc"
