#include "html/modern_page.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The thumbnails shown at once, before any scrolling; the others load as
// they come into view.
constexpr int kFirstScreen = 12;

// Text as HTML content or inside a quoted attribute.
QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A colour text as CSS takes it: "#RRGGBB" or a colour's name; anything else
// is left to the page's own colour.
QString cssColour(const QString &text, const QString &fallback)
{
    static const QRegularExpression colour(
        QStringLiteral("^(#[0-9A-Fa-f]{3}|#[0-9A-Fa-f]{6}|[A-Za-z]{3,20})$"));
    const QString trimmed = text.trimmed();
    return colour.match(trimmed).hasMatch() ? trimmed : fallback;
}

// A font list as CSS takes it: names and commas only.
QString cssFonts(const QString &text)
{
    static const QRegularExpression fonts(QStringLiteral("^[A-Za-z0-9 ,'-]{1,120}$"));
    const QString trimmed = text.trimmed();
    return fonts.match(trimmed).hasMatch() ? trimmed + QStringLiteral(", sans-serif")
                                           : QStringLiteral("system-ui, sans-serif");
}

// The header's size: the HTML font sizes 1 to 7, or +n and -n from 3.
QString cssHeaderSize(const QString &text)
{
    static const char *const sizes[] = {"0.63em", "0.82em", "1em", "1.13em", "1.5em", "2em", "3em"};
    const QString trimmed = text.trimmed();
    bool ok = false;
    int size = trimmed.toInt(&ok);
    if (!ok)
        return QStringLiteral("1.6em");
    if (trimmed.startsWith(u'+') || trimmed.startsWith(u'-'))
        size += 3;
    return QLatin1String(sizes[std::clamp(size, 1, 7) - 1]);
}

QString pixels(qint64 number)
{
    return QString::number(std::clamp<qint64>(number, 0, 1000)) + QStringLiteral("px");
}

QString styleSheet(const PageSettings &s, int boxWidth)
{
    const QString align = alignmentWord(s.alignIndex);
    const QString justify = align == u"left"    ? QStringLiteral("start")
                            : align == u"right" ? QStringLiteral("end")
                                                : QStringLiteral("center");
    const qint64 pad = std::clamp<qint64>(spinEditNumber(s.cellPad), 0, 100);
    const qint64 border = std::clamp<qint64>(spinEditNumber(s.border), 0, 20);
    const qint64 gap = std::clamp<qint64>(spinEditNumber(s.cellSpac), 0, 100) + 4;
    const qint64 tile = boxWidth + 2 * (pad + border);
    const qint64 columns = std::max(1, s.columnCount);
    const QString text = cssColour(s.textColorPage, QStringLiteral("#000"));
    return QStringLiteral("*{box-sizing:border-box}"
                          "body{margin:0;padding:%1 %2;background:%3;color:%4;"
                          "font-family:system-ui,sans-serif}"
                          "h1{margin:.4em 0;text-align:%5;font-family:%6;font-size:%7;color:%8;"
                          "font-weight:%9;font-style:%10;text-decoration:%11}")
               .arg(pixels(spinEditNumber(s.topMargin)), pixels(spinEditNumber(s.leftMargin)),
                    cssColour(s.bgColorPage, QStringLiteral("#fff")), text)
               .arg(align.isEmpty() ? QStringLiteral("center") : align, cssFonts(s.fontHeader),
                    cssHeaderSize(s.fontSize), cssColour(s.colorFont, text),
                    s.bold ? QStringLiteral("bold") : QStringLiteral("normal"),
                    s.italic ? QStringLiteral("italic") : QStringLiteral("normal"),
                    s.underline ? QStringLiteral("underline") : QStringLiteral("none")) +
           QStringLiteral(
               "#g{display:grid;grid-template-columns:repeat(auto-fill,minmax(min(%1,100%),1fr));"
               "gap:%2;max-width:calc(%3 * %1 + %4 * %2 + 16px);margin:0 auto;"
               "justify-content:%5;justify-items:center;align-items:end;padding:8px}"
               "#g a{display:block;padding:%6;border:%7 solid %8;background:%9;"
               "max-width:100%}")
               .arg(pixels(tile), pixels(gap), QString::number(columns),
                    QString::number(columns - 1), justify, pixels(pad), pixels(border),
                    cssColour(s.bordColor, QStringLiteral("transparent")),
                    cssColour(s.bgColor, QStringLiteral("transparent"))) +
           QStringLiteral("#g img{display:block;max-width:100%;height:auto;border:%1 solid "
                          "currentColor}")
               .arg(pixels(std::clamp<qint64>(spinEditNumber(s.borderImg), 0, 20))) +
           QStringLiteral(
               "#v{position:fixed;inset:0;z-index:9;background:#000;display:flex;"
               "align-items:center;justify-content:center;touch-action:pan-y}"
               "#v[hidden]{display:none}"
               "#v figure{margin:0;display:flex;flex-direction:column;align-items:center}"
               "#vi{max-width:100vw;max-height:calc(100vh - 3.2em);object-fit:contain}"
               "#v figcaption{color:#fff;font:1rem/1.6 system-ui,sans-serif;padding:.3em;"
               "text-align:center}"
               "#v figcaption a{color:#9cf;margin-left:.8em}"
               "#v button{position:absolute;width:3rem;height:3rem;border:0;border-radius:50%;"
               "background:#222;color:#fff;font-size:1.8rem;line-height:1;cursor:pointer}"
               "#vp{left:.5rem;top:calc(50% - 1.5rem)}#vq{right:.5rem;top:calc(50% - 1.5rem)}"
               "#vx{right:.5rem;top:.5rem}body.vo{overflow:hidden}"
               "#m{text-align:center;padding:1em}#m a{color:inherit}");
}

// The viewer: the hash names the picture on show, so that Back closes it and
// a shared link opens it; previous and next replace the hash. The thumbnails
// of further pages are fetched into the grid as its end scrolls into view,
// and when the viewer steps or is sent past those already there; when that
// fails, the link to the next page stays for the visitor.
const char kScript[] =
    "(function(){var d=document,G=d.getElementById('g'),L=[].slice.call(G.querySelectorAll('a')),"
    "N=G.getAttribute('data-n'),M=d.getElementById('m'),V=d.getElementById('v'),"
    "I=d.getElementById('vi'),C=d.getElementById('vc'),P=d.getElementById('vn'),"
    "F=d.getElementById('vf'),cur=-1,pushed=false,busy=null,ahead=new Image(),seen=null;"
    "if(!L.length)return;"
    "function hook(a){a.addEventListener('click',function(e){if(e.button||e.ctrlKey||"
    "e.metaKey||e.shiftKey||e.altKey)return;e.preventDefault();pushed=true;location.hash=a.id})}"
    "function more(){if(busy)return busy;if(!M)return Promise.resolve(false);"
    "var m=M.querySelector('a');busy=fetch(m.href).then(function(r){if(!r.ok)throw r;"
    "return r.text()}).then(function(t){var o=new DOMParser().parseFromString(t,'text/html');"
    "o.querySelectorAll('#g a').forEach(function(a){a=d.importNode(a,true);G.appendChild(a);"
    "hook(a);L.push(a)});"
    "var n=o.querySelector('#m a');if(n)m.href=n.href;else{M.remove();M=null}"
    "busy=null;return true},function(){busy=null;if(seen)seen.disconnect();return false});"
    "return busy}"
    "function at(h){for(var i=0;i<L.length;i++)if(L[i].id===h)return i;return -1}"
    "function show(){var h=location.hash.slice(1),n=at(h);if(n<0&&M&&/^p\\d+$/.test(h)){"
    "more().then(function(ok){if(ok)show()});return}if(n<0){V.hidden=true;"
    "d.body.classList.remove('vo');if(cur>=0)L[cur].focus();cur=-1;return}"
    "cur=n;var a=L[n];I.src=a.getAttribute('data-v');I.alt=a.getAttribute('data-c');"
    "C.textContent=a.getAttribute('data-c');P.textContent=a.id.slice(1)+' / '+N;"
    "F.href=a.getAttribute('href');V.hidden=false;d.body.classList.add('vo');"
    "if(n+1<L.length)ahead.src=L[n+1].getAttribute('data-v');else if(M)more();"
    "d.getElementById('vx').focus()}"
    "function go(n){location.replace('#'+L[(n+L.length)%L.length].id)}"
    "function step(k){var n=cur+k;if(n<0&&M)return;if(n>=L.length&&M)more().then(function(){"
    "go(n)});else go(n)}"
    "function close(){if(pushed){pushed=false;history.back()}else{history.replaceState(null,'',"
    "location.pathname+location.search);show()}}"
    "L.forEach(hook);window.addEventListener('hashchange',show);"
    "d.getElementById('vp').onclick=function(){step(-1)};"
    "d.getElementById('vq').onclick=function(){step(1)};"
    "d.getElementById('vx').onclick=close;"
    "d.addEventListener('keydown',function(e){if(cur<0)return;if(e.key==='ArrowRight')step(1);"
    "else if(e.key==='ArrowLeft')step(-1);else if(e.key==='Escape')close()});"
    "var x0=null;V.addEventListener('touchstart',function(e){x0=e.touches[0].clientX},"
    "{passive:true});V.addEventListener('touchend',function(e){if(x0===null)return;"
    "var dx=e.changedTouches[0].clientX-x0;x0=null;if(Math.abs(dx)>40)step(dx<0?1:-1)});"
    "if(M&&window.IntersectionObserver){seen=new IntersectionObserver(function(e){"
    "if(e[0].isIntersecting)more().then(function(ok){if(ok&&M){seen.unobserve(M);"
    "seen.observe(M)}})},{rootMargin:'800px'});seen.observe(M)}"
    "show()})();";

// An address inside srcset, where blanks and commas would end it.
QString srcsetAddress(QString address)
{
    return address.replace(u' ', QStringLiteral("%20")).replace(u',', QStringLiteral("%2C"));
}

// Joined, never used as a format: a "%3F" of an address stays as it is.
QString cellLine(const PageSettings &s, const ModernPageCell &cell, int place)
{
    const QString picture = escapeAddressFileName(cell.names.pictureName);
    const QString caption = escaped(cell.caption);
    QString line = QStringLiteral("<a href=\"") + escaped(s.href) + picture +
                   QStringLiteral("\" id=\"p") + QString::number(place + 1) +
                   QStringLiteral("\" data-v=\"") + QLatin1String(kScreenCopyFolderName) + u'/' +
                   picture + QStringLiteral("\" data-c=\"") + caption + QStringLiteral("\">");
    line += QStringLiteral("<img src=\"") + escaped(s.src) +
            escapeAddressFileName(cell.names.thumbName) + QStringLiteral("\" srcset=\"") +
            srcsetAddress(escaped(s.src) +
                          escapeAddressFileName(thumbnail2xName(cell.names.thumbName))) +
            QStringLiteral(" 2x\" width=\"") + QString::number(cell.thumbSize.width()) +
            QStringLiteral("\" height=\"") + QString::number(cell.thumbSize.height()) +
            QStringLiteral("\" alt=\"") + caption + u'"';
    if (place >= kFirstScreen)
        line += QStringLiteral(" loading=\"lazy\"");
    return line + QStringLiteral(" decoding=\"async\"></a>");
}

} // namespace

QString thumbnail2xName(const QString &thumbName)
{
    const qsizetype dot = thumbName.lastIndexOf(u'.');
    return dot < 0 ? thumbName + QStringLiteral("@2x")
                   : thumbName.left(dot) + QStringLiteral("@2x") + thumbName.mid(dot);
}

QString morePageFileName(int number)
{
    return QStringLiteral("~thumbs-") + QString::number(number) + QStringLiteral(".html");
}

QList<QStringList> generateModernPages(const PageSettings &settings,
                                       const QList<ModernPageCell> &cells, const QString &language)
{
    int boxWidth = 0;
    for (const ModernPageCell &cell : cells)
        boxWidth = std::max(boxWidth, cell.thumbSize.width());
    const QString title = escaped(settings.title);
    const QString heading = settings.header.isEmpty() ? title : escaped(settings.header);
    const QString description = settings.title + QStringLiteral(": ") +
                                QString::number(cells.size()) + QStringLiteral(" pictures");
    const QStringList head{QStringLiteral("<!DOCTYPE html>"),
                           QStringLiteral("<html lang=\"") + escaped(language) +
                               QStringLiteral("\">"),
                           QStringLiteral("<head>"),
                           QStringLiteral("<meta charset=\"utf-8\">"),
                           QStringLiteral("<meta name=\"viewport\" content=\"width=device-width, "
                                          "initial-scale=1\">"),
                           QStringLiteral("<title>") + title + QStringLiteral("</title>"),
                           QStringLiteral("<meta name=\"description\" content=\"") +
                               escaped(description) + u'"' + u'>',
                           QStringLiteral("<link rel=\"icon\" href=\"data:,\">"),
                           QStringLiteral("<style>") + styleSheet(settings, std::max(boxWidth, 1)) +
                               QStringLiteral("</style>"),
                           QStringLiteral("</head>"),
                           QStringLiteral("<body>"),
                           QStringLiteral("<h1>") + heading + QStringLiteral("</h1>"),
                           QStringLiteral("<main id=\"g\" data-n=\"") +
                               QString::number(cells.size()) + QStringLiteral("\">")};
    const QStringList tail{
        QStringLiteral("<div id=\"v\" role=\"dialog\" aria-modal=\"true\" aria-label=\"Picture\" "
                       "hidden><figure><img id=\"vi\" alt=\"\"><figcaption><span id=\"vc\">"
                       "</span> <span id=\"vn\"></span><a id=\"vf\" href=\"#\">Full size</a>"
                       "</figcaption></figure>"
                       "<button id=\"vp\" type=\"button\" aria-label=\"Previous\">&#8249;"
                       "</button><button id=\"vq\" type=\"button\" aria-label=\"Next\">"
                       "&#8250;</button><button id=\"vx\" type=\"button\" "
                       "aria-label=\"Close\">&#215;</button></div>"),
        QStringLiteral("<script>") + QLatin1String(kScript) + QStringLiteral("</script>"),
        QStringLiteral("</body>"), QStringLiteral("</html>")};
    QList<QStringList> pages;
    for (int first = 0; first == 0 || first < cells.size(); first += kCellsPerModernPage) {
        QStringList page = head;
        const int end = std::min<int>(first + kCellsPerModernPage, cells.size());
        for (int i = first; i < end; ++i)
            page << cellLine(settings, cells.at(i), i);
        page << QStringLiteral("</main>");
        if (end < cells.size())
            page << QStringLiteral("<p id=\"m\"><a href=\"") +
                        morePageFileName(int(pages.size()) + 2) +
                        QStringLiteral("\">More pictures</a></p>");
        pages << page + tail;
    }
    return pages;
}
