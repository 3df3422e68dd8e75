#include "html/html_colouring.h"

#include <QSet>
#include <QString>
#include <QVarLengthArray>

namespace {

const QSet<QString> &tagWords()
{
    static const QSet<QString> words{
        "doctype",  "a",        "address", "applet",    "area",       "b",        "base",
        "basefont", "bgsound",  "big",     "blink",     "blockquote", "body",     "br",
        "caption",  "center",   "cite",    "code",      "col",        "colgroup", "comment",
        "dfn",      "dir",      "li",      "div",       "dl",         "dt",       "dd",
        "em",       "embed",    "font",    "form",      "frame",      "frameset", "h",
        "align",    "h1",       "h2",      "h3",        "h4",         "h5",       "h6",
        "head",     "hr",       "html",    "i",         "iframe",     "img",      "input",
        "isindex",  "kbd",      "link",    "listing",   "map",        "marquee",  "menu",
        "meta",     "multicol", "nextid",  "nobr",      "noframes",   "noscript", "object",
        "ol",       "option",   "p",       "plaintext", "pre",        "s",        "samp",
        "script",   "select",   "small",   "sound",     "spacer",     "span",     "strike",
        "strong",   "style",    "sub",     "sup",       "table",      "tbody",    "td",
        "textarea", "tfoot",    "th",      "thead",     "title",      "tr",       "tt",
        "u",        "ul",       "var",     "wbr",       "xmp"};
    return words;
}

// The character entity names of HTML 4.01, in lower case: names are compared
// without regard to case.
const QSet<QString> &entityNames()
{
    static const QSet<QString> names = [] {
        const char *const list[] = {
            // Latin-1
            "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect", "uml", "copy",
            "ordf", "laquo", "not", "shy", "reg", "macr", "deg", "plusmn", "sup2", "sup3", "acute",
            "micro", "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14", "frac12",
            "frac34", "iquest", "agrave", "aacute", "acirc", "atilde", "auml", "aring", "aelig",
            "ccedil", "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml",
            "eth", "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "times", "oslash",
            "ugrave", "uacute", "ucirc", "uuml", "yacute", "thorn", "szlig", "divide", "yuml",
            // Symbols and Greek letters
            "fnof", "alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota",
            "kappa", "lambda", "mu", "nu", "xi", "omicron", "pi", "rho", "sigma", "sigmaf", "tau",
            "upsilon", "phi", "chi", "psi", "omega", "thetasym", "upsih", "piv", "bull", "hellip",
            "prime", "oline", "frasl", "weierp", "image", "real", "trade", "alefsym", "larr",
            "uarr", "rarr", "darr", "harr", "crarr", "forall", "part", "exist", "empty", "nabla",
            "isin", "notin", "ni", "prod", "sum", "minus", "lowast", "radic", "prop", "infin",
            "ang", "and", "or", "cap", "cup", "int", "there4", "sim", "cong", "asymp", "ne",
            "equiv", "le", "ge", "sub", "sup", "nsub", "sube", "supe", "oplus", "otimes", "perp",
            "sdot", "lceil", "rceil", "lfloor", "rfloor", "lang", "rang", "loz", "spades", "clubs",
            "hearts", "diams",
            // Markup-significant and internationalisation
            "quot", "amp", "lt", "gt", "oelig", "scaron", "circ", "tilde", "ensp", "emsp", "thinsp",
            "zwnj", "zwj", "lrm", "rlm", "ndash", "mdash", "lsquo", "rsquo", "sbquo", "ldquo",
            "rdquo", "bdquo", "dagger", "permil", "lsaquo", "rsaquo", "euro"};
        QSet<QString> set;
        for (const char *name : list)
            set.insert(QString::fromLatin1(name));
        return set;
    }();
    return names;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool endsRunToken(QChar c)
{
    return isBlank(c) || c == u'<' || c == u'=' || c == u'>';
}

// Latin letters and the Cyrillic letters of the page's code page.
bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= 0x0410 && u <= 0x044F);
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isName(QStringView token)
{
    if (token.isEmpty() || !(isLetter(token[0]) || token[0] == u'_'))
        return false;
    for (const QChar c : token) {
        if (!(isLetter(c) || isDigit(c) || c == u'_'))
            return false;
    }
    return true;
}

bool isSymbol(QStringView token)
{
    static const QString symbols = QStringLiteral("#%'()*+,-./:;<=>@[\\]^{}~");
    return token.size() == 1 && symbols.contains(token[0]);
}

bool isNumber(QStringView token)
{
    if (token.startsWith(u'$')) {
        const QStringView digits = token.mid(1);
        if (digits.isEmpty())
            return false;
        for (const QChar c : digits) {
            if (!isDigit(c) && !(c.toLower() >= u'a' && c.toLower() <= u'f'))
                return false;
        }
        return true;
    }
    const QStringView body = token.startsWith(u'-') ? token.mid(1) : token;
    int digits = 0;
    int points = 0;
    for (const QChar c : body) {
        if (isDigit(c))
            ++digits;
        else if (c == u'.')
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

QChar nextNonBlank(QStringView line, qsizetype from)
{
    while (from < line.size() && isBlank(line[from]))
        ++from;
    return from < line.size() ? line[from] : QChar();
}

qsizetype tokenEnd(QStringView line, qsizetype start)
{
    const QChar c = line[start];
    if (c == u'<' || c == u'=' || c == u'>')
        return start + 1;
    if (c == u'/' && start > 0 && line[start - 1] == u'<')
        return start + 1;
    if (c == u'"') {
        const qsizetype close = line.indexOf(u'"', start + 1);
        return close < 0 ? line.size() : close + 1;
    }
    qsizetype end = start;
    while (end < line.size() && !endsRunToken(line[end]))
        ++end;
    return end;
}

struct TagState
{
    bool insideTag = false;
    bool afterEquals = false;
};

HtmlTokenKind classifyToken(QStringView line, qsizetype start, qsizetype end, TagState &state)
{
    const QStringView token = line.mid(start, end - start);
    const bool afterEquals = state.afterEquals;
    state.afterEquals = token == u"=";
    if (!state.insideTag) {
        if (token != u"<")
            return HtmlTokenKind::Plain;
        state.insideTag = true;
        return HtmlTokenKind::Tag;
    }
    if (token == u">") {
        state.insideTag = false;
        return HtmlTokenKind::Tag;
    }
    if (token == u"/" && start > 0 && line[start - 1] == u'<')
        return HtmlTokenKind::Tag;
    if (isName(token) && nextNonBlank(line, end) == u'=')
        return HtmlTokenKind::Attribute;
    if (afterEquals)
        return HtmlTokenKind::Value;
    if (tagWords().contains(token.toString().toLower()))
        return HtmlTokenKind::Tag;
    if (isSymbol(token))
        return HtmlTokenKind::Symbol;
    if (isNumber(token))
        return HtmlTokenKind::Number;
    return HtmlTokenKind::Plain;
}

template <typename Kinds>
void markEntities(QStringView line, qsizetype start, qsizetype end, Kinds &kinds)
{
    qsizetype amp = line.indexOf(u'&', start);
    while (amp >= 0 && amp < end) {
        const qsizetype semicolon = line.indexOf(u';', amp + 1);
        if (semicolon < 0 || semicolon >= end)
            return;
        const QStringView name = line.mid(amp + 1, semicolon - amp - 1);
        if (!name.isEmpty() && entityNames().contains(name.toString().toLower())) {
            std::fill(kinds.begin() + amp, kinds.begin() + semicolon + 1, HtmlTokenKind::Entity);
            amp = line.indexOf(u'&', semicolon + 1);
        } else {
            amp = line.indexOf(u'&', amp + 1);
        }
    }
}

// The tag state the next line starts with: quotes are not considered here,
// so that a line's state never depends on how later lines are tokenized.
bool insideTagAfter(QStringView line, bool insideTagAtStart)
{
    bool inside = insideTagAtStart;
    for (const QChar c : line) {
        if (c == u'<')
            inside = true;
        else if (c == u'>')
            inside = false;
    }
    return inside;
}

} // namespace

LineColouring colourHtmlLine(QStringView line, bool insideTagAtStart)
{
    QVarLengthArray<HtmlTokenKind, 256> kinds(line.size(), HtmlTokenKind::Plain);
    TagState state{insideTagAtStart, false};
    qsizetype pos = 0;
    while (pos < line.size()) {
        if (isBlank(line[pos])) {
            ++pos;
            continue;
        }
        const qsizetype end = tokenEnd(line, pos);
        const HtmlTokenKind kind = classifyToken(line, pos, end, state);
        std::fill(kinds.begin() + pos, kinds.begin() + end, kind);
        markEntities(line, pos, end, kinds);
        pos = end;
    }

    LineColouring result;
    for (qsizetype i = 0; i < kinds.size();) {
        qsizetype j = i + 1;
        while (j < kinds.size() && kinds[j] == kinds[i])
            ++j;
        if (kinds[i] != HtmlTokenKind::Plain)
            result.runs.append({int(i), int(j - i), kinds[i]});
        i = j;
    }
    result.insideTagAtEnd = insideTagAfter(line, insideTagAtStart);
    return result;
}
