#include "packet/packettext.h"

#include <array>
#include <utility>

namespace packet {

namespace {

// The named entities that turn up in packets: the markup ones, the spaces
// and the typographic marks word processors put in. Others stay as written.
struct NamedEntity {
    const char* name;
    char16_t character;
};
constexpr std::array<NamedEntity, 22> namedEntities{{
    {"amp", u'&'},         {"lt", u'<'},          {"gt", u'>'},          {"quot", u'"'},
    {"apos", u'\''},       {"nbsp", u'\u00a0'},   {"ndash", u'\u2013'},  {"mdash", u'\u2014'},
    {"lsquo", u'\u2018'},  {"rsquo", u'\u2019'},  {"ldquo", u'\u201c'},  {"rdquo", u'\u201d'},
    {"hellip", u'\u2026'}, {"shy", u'\u00ad'},    {"eacute", u'\u00e9'}, {"egrave", u'\u00e8'},
    {"aacute", u'\u00e1'}, {"oacute", u'\u00f3'}, {"uuml", u'\u00fc'},   {"ouml", u'\u00f6'},
    {"auml", u'\u00e4'},   {"ccedil", u'\u00e7'},
}};

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

}  // namespace

QString decodeEntity(const QString& text, qsizetype at, qsizetype* length) {
    *length = 0;
    if (at >= text.size() || text[at] != u'&') return {};
    // An entity is short; looking no further keeps a stray '&' cheap.
    const qsizetype end = text.indexOf(u';', at + 1);
    if (end < 0 || end - at > 12 || end == at + 1) return {};
    const QStringView body = QStringView(text).mid(at + 1, end - at - 1);
    if (body.startsWith(u'#')) {
        bool ok = false;
        uint code = 0;
        if (body.size() > 1 && (body[1] == u'x' || body[1] == u'X'))
            code = body.mid(2).toUInt(&ok, 16);
        else
            code = body.mid(1).toUInt(&ok, 10);
        // Nothing that is not a character: no NUL, no surrogate halves, no
        // code past Unicode's end.
        if (!ok || code == 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return {};
        *length = end - at + 1;
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    for (const NamedEntity& e : namedEntities) {
        if (body == QLatin1StringView(e.name)) {
            *length = end - at + 1;
            return QString(QChar(e.character));
        }
    }
    return {};
}

qsizetype tagLength(const QString& text, qsizetype at) {
    if (at >= text.size() || text[at] != u'<') return 0;
    qsizetype i = at + 1;
    if (i < text.size() && text[i] == u'/') ++i;
    if (i >= text.size() || !isAsciiLetter(text[i])) return 0;
    const qsizetype close = text.indexOf(u'>', i);
    if (close < 0) return 0;
    // A '<' before the '>' means this one was a lone '<' in the text.
    const qsizetype nextOpen = text.indexOf(u'<', i);
    if (nextOpen >= 0 && nextOpen < close) return 0;
    return close - at + 1;
}

bool tagSeparatesWords(QStringView tag) {
    qsizetype i = 1;
    if (i < tag.size() && tag[i] == u'/') ++i;
    qsizetype j = i;
    while (j < tag.size() && isAsciiLetter(tag[j]))
        ++j;
    const QStringView name = tag.mid(i, j - i);
    return name.compare(u"br", Qt::CaseInsensitive) == 0 ||
           name.compare(u"p", Qt::CaseInsensitive) == 0 ||
           name.compare(u"div", Qt::CaseInsensitive) == 0;
}

QString plainText(const QString& formatted) {
    QString out;
    out.reserve(formatted.size());
    for (qsizetype i = 0; i < formatted.size();) {
        if (const qsizetype tag = tagLength(formatted, i)) {
            if (tagSeparatesWords(QStringView(formatted).mid(i, tag))) out += u' ';
            i += tag;
            continue;
        }
        qsizetype length = 0;
        const QString decoded = decodeEntity(formatted, i, &length);
        if (length > 0) {
            out += decoded;
            i += length;
            continue;
        }
        out += formatted[i];
        ++i;
    }
    return out;
}

QString escapeText(const QString& plain) {
    QString out;
    out.reserve(plain.size());
    for (const QChar c : plain) {
        if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else
            out += c;
    }
    return out;
}

}  // namespace packet
