#include "app/clear_project_question.h"
#include "app/form_main.h"
#include "app/translations.h"
#include "modal_dialogs.h"
#include "window_controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every text a widget shows: its own, its hint and title, and the texts of
// its tabs and list items. File views are left out: they show the disk.
QStringList shownTexts(const QWidget *widget)
{
    QStringList texts{widget->toolTip(), widget->windowTitle()};
    for (const char *property : {"text", "title", "placeholderText"})
        texts << widget->property(property).toString();
    if (const auto *tabs = qobject_cast<const QTabWidget *>(widget))
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    if (const auto *list = qobject_cast<const QComboBox *>(widget))
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    return texts;
}

// The delete question as the window asks it, answered No: its text, its Yes
// button's, then every button's, without their shortcut marks.
QStringList deleteQuestionTexts()
{
    QStringList texts;
    answerNextModal<QMessageBox>([&texts](QMessageBox *box) {
        texts << box->text() << box->button(QMessageBox::Yes)->text().remove(u'&');
        for (const QAbstractButton *button : box->buttons())
            texts << button->text().remove(u'&');
        box->button(QMessageBox::No)->click();
    });
    askToClearProject(nullptr, {});
    return texts;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void controlsSpeakTheLocale_data();
    void controlsSpeakTheLocale();
    void englishWindowHasNoRussian();
    void russianQuestionsHaveRussianButtons();

private:
    std::unique_ptr<TFormMain> windowIn(const QString &locale);

    QTemporaryDir m_dir;
};

void TestTranslations::cleanup()
{
    installTranslations(QLocale::c());
}

std::unique_ptr<TFormMain> TestTranslations::windowIn(const QString &locale)
{
    installTranslations(QLocale(locale));
    auto window = std::make_unique<TFormMain>(m_dir.path());
    window->show();
    return window;
}

void TestTranslations::controlsSpeakTheLocale_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("described");
    QTest::addColumn<QString>("english");
    auto row = [](const char *name, const char *property, const QString &described,
                  const QString &english) {
        QTest::newRow(name) << QString::fromLatin1(name) << QByteArray(property) << described
                            << english;
    };
    row("btnMiddle", "toolTip", QStringLiteral("Resore"), QStringLiteral("Normal view"));
    row("btnSizeIm", "toolTip", QStringLiteral("Selecy crop"),
        QStringLiteral("Scale the picture to the frame"));
    row("edtThumbsFolder", "toolTip", QStringLiteral("Папка для сохранения миниатюр"),
        QStringLiteral("Thumbnails folder"));
    row("edtGalerFolder", "toolTip", QStringLiteral("Thumbs folder"),
        QStringLiteral("Pictures folder"));
    row("lblCountThubs", "text", QStringLiteral("Миниатюр: 0"), QStringLiteral("Thumbnails: 0"));
    row("grbCode", "title", QStringLiteral("Cod HTML"), QStringLiteral("HTML code"));
    row("btnStart", "text", QStringLiteral("Start"), QStringLiteral("Start"));
}

// Russian and "C" show the texts as the program writes them; any other
// language shows the English catalogue's.
void TestTranslations::controlsSpeakTheLocale()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, described);
    QFETCH(QString, english);
    for (const char *locale : {"C", "ru_RU", "en_US", "de_DE"}) {
        const auto window = windowIn(QString::fromLatin1(locale));
        const QWidget *widget = control<QWidget>(window.get(), name.toLatin1().constData());
        const bool speaksEnglish = qstrcmp(locale, "C") != 0 && qstrcmp(locale, "ru_RU") != 0;
        QCOMPARE(widget->property(property.constData()).toString(),
                 speaksEnglish ? english : described);
    }
}

void TestTranslations::englishWindowHasNoRussian()
{
    const auto window = windowIn(QStringLiteral("en_US"));
    const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    QStringList russian;
    for (const QWidget *widget : window->findChildren<QWidget *>())
        for (const QString &text : shownTexts(widget))
            if (text.contains(cyrillic))
                russian << widget->objectName() + QStringLiteral(": ") + text;
    for (const QString &text : deleteQuestionTexts())
        if (text.contains(cyrillic))
            russian << QStringLiteral("delete question: ") + text;
    QVERIFY2(russian.isEmpty(), qPrintable(russian.join(u'\n')));
}

void TestTranslations::russianQuestionsHaveRussianButtons()
{
    installTranslations(QLocale(QStringLiteral("ru_RU")));
    const QStringList texts = deleteQuestionTexts();
    QVERIFY(texts.value(0).startsWith(QStringLiteral("Удалить проект?")));
    QCOMPARE(texts.value(1), QStringLiteral("Да"));
    QVERIFY(texts.contains(QStringLiteral("Нет")));
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
