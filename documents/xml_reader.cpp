#include "documents/xml_reader.h"

#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <string_view>

namespace {

constexpr char XmlNamespace[] = "http://www.w3.org/XML/1998/namespace";
// A workbook's elements have a few; a million would cost seconds and hundreds of megabytes.
constexpr size_t MaxAttributes = 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

// Where the first byte is that is no UTF-8 or no character XML allows; -1 when there is none.
qsizetype firstBadCharacter(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar lead = uchar(bytes[i]);
        if (lead < 0x80) {
            if (!isXmlChar(lead))
                return i;
            ++i;
            continue;
        }
        const int length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > n)
            return i;
        char32_t c = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const uchar next = uchar(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return i;
            c = c << 6 | (next & 0x3F);
        }
        constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};   // shorter is an overlong form
        if (c < Least[length] || !isXmlChar(c))
            return i;
        i += length;
    }
    return -1;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The reference at text[i] ("&amp;", "&#65;", "&#x41;"): its character, i moved
// past it; false when it is none XML knows without a document type.
bool readReference(QByteArrayView text, qsizetype &i, char32_t &c)
{
    const qsizetype end = text.indexOf(';', i);
    if (end < 0)
        return false;
    const QByteArrayView name = text.sliced(i + 1, end - i - 1);
    static constexpr std::pair<std::string_view, char> Named[] = {{"lt", '<'},
                                                                  {"gt", '>'},
                                                                  {"amp", '&'},
                                                                  {"quot", '"'},
                                                                  {"apos", '\''}};
    const auto named = std::find_if(std::begin(Named), std::end(Named), [&](const auto &entry) {
        return std::string_view(name.data(), size_t(name.size())) == entry.first;
    });
    if (named != std::end(Named)) {
        c = char32_t(named->second);
    } else {
        const bool hex = name.startsWith("#x");
        const QByteArrayView digits = name.sliced(std::min<qsizetype>(name.size(), hex ? 2 : 1));
        if (!name.startsWith('#') || digits.isEmpty())
            return false;
        c = 0;
        for (const char d : digits) {
            const int value = d >= '0' && d <= '9'          ? d - '0'
                              : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                              : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                            : -1;
            if (value < 0)
                return false;
            c = c * (hex ? 16 : 10) + char32_t(value);
            if (c > 0x10FFFF)
                return false;
        }
        if (!isXmlChar(c))
            return false;
    }
    i = end + 1;
    return true;
}

enum class Raw { Text, Attribute, CData };

// Raw text as it reads: line ends made "\n", references replaced, and in an
// attribute value every blank made a space.
QByteArray decode(QByteArrayView raw, Raw kind)
{
    const bool attribute = kind == Raw::Attribute;
    if (!raw.contains('\r') && (kind == Raw::CData || !raw.contains('&'))
        && !(attribute && (raw.contains('\n') || raw.contains('\t'))))
        return raw.toByteArray();
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size();) {
        const char c = raw[i];
        char32_t referenced = 0;
        if (c == '&' && kind != Raw::CData && readReference(raw, i, referenced)) {
            appendUtf8(out, referenced);
            continue;
        }
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            ++i;   // "\r\n" is one line end
        out += attribute && isSpace(c) ? ' ' : c == '\r' ? '\n' : c;
        ++i;
    }
    return out;
}

QByteArrayView localPart(QByteArrayView qualifiedName)
{
    const qsizetype colon = qualifiedName.indexOf(':');
    return colon < 0 ? qualifiedName : qualifiedName.sliced(colon + 1);
}

}   // namespace

XmlReader::XmlReader(const QByteArray &document) : m_document(document), m_xml(m_document)
{
    const bool littleEndian = document.startsWith("\xFF\xFE"), bigEndian = document.startsWith("\xFE\xFF");
    if (littleEndian || bigEndian) {
        QStringDecoder decoder(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        const QString text = decoder(QByteArrayView(document).sliced(2));
        if (document.size() % 2 != 0 || decoder.hasError() || !QStringView(text).isValidUtf16()) {
            fail("Encountered incorrectly encoded content.", 0);
            return;
        }
        m_document = text.toUtf8();
        m_xml = m_document;
        m_utf16 = true;
    } else if (document.startsWith("\xEF\xBB\xBF")) {
        m_position = 3;
    }
    const qsizetype bad = firstBadCharacter(m_xml);
    if (bad >= 0)
        fail("Encountered incorrectly encoded content.", bad);
    else if (at("<?xml") && (m_position + 5 == m_xml.size() || isSpace(m_xml[m_position + 5])))
        readDeclaration();
}

XmlReader::Token XmlReader::fail(const QString &why, qsizetype at)
{
    m_error = why;
    m_tokenStart = at;
    return m_token = Invalid;
}

qint64 XmlReader::lineNumber() const
{
    qint64 lines = 1;
    for (qsizetype i = 0; i < m_tokenStart && i < m_xml.size(); ++i)
        if (m_xml[i] == '\n' || (m_xml[i] == '\r' && (i + 1 == m_xml.size() || m_xml[i + 1] != '\n')))
            ++lines;
    return lines;
}

qsizetype XmlReader::skipSpaces()
{
    const qsizetype start = m_position;
    while (m_position < m_xml.size() && isSpace(m_xml[m_position]))
        ++m_position;
    return m_position - start;
}

QByteArrayView XmlReader::readName(bool qualified)
{
    const qsizetype start = m_position;
    auto ncName = [&] {
        const qsizetype from = m_position;
        if (m_position < m_xml.size() && isNameStart(m_xml[m_position]))
            while (++m_position < m_xml.size() && isNameChar(m_xml[m_position])) {}
        return m_position > from;
    };
    if (!ncName())
        return QByteArrayView();
    if (qualified && m_position < m_xml.size() && m_xml[m_position] == ':') {
        ++m_position;
        if (!ncName())
            return QByteArrayView();
    }
    // A name runs to a blank or to the markup after it ("$b" is no name, "b" followed by "$").
    if (m_position < m_xml.size()) {
        const char next = m_xml[m_position];
        if (!isSpace(next) && next != '=' && next != '/' && next != '>' && next != '?')
            return QByteArrayView();
    }
    return m_xml.sliced(start, m_position - start);
}

bool XmlReader::readDeclaration()
{
    m_position += 5;   // "<?xml"
    // Its pseudo-attribute name="value", if it comes next.
    auto pseudo = [&](QByteArrayView name, QByteArrayView &value) {
        const qsizetype start = m_position;
        if (skipSpaces() > 0 && m_xml.sliced(m_position).startsWith(name)) {
            m_position += name.size();
            skipSpaces();
            if (at("=")) {
                ++m_position;
                skipSpaces();
                const char quote = m_position < m_xml.size() ? m_xml[m_position] : 0;
                const qsizetype end = quote == '"' || quote == '\'' ? m_xml.indexOf(quote, m_position + 1) : -1;
                if (end > 0) {
                    value = m_xml.sliced(m_position + 1, end - m_position - 1);
                    m_position = end + 1;
                    return true;
                }
            }
        }
        m_position = start;
        return false;
    };
    QByteArrayView version, encoding, standalone;
    if (!pseudo("version", version))
        return fail("the XML declaration states no version", m_position), false;
    if (version != "1.0")
        return fail("Unsupported XML version.", m_position), false;
    if (pseudo("encoding", encoding)
        && QString::fromLatin1(encoding).compare(m_utf16 ? u"UTF-16" : u"UTF-8", Qt::CaseInsensitive) != 0)
        return fail(QStringLiteral("the encoding %1 is not read").arg(QString::fromLatin1(encoding)), m_position),
               false;
    if (pseudo("standalone", standalone) && standalone != "yes" && standalone != "no")
        return fail("Standalone accepts only yes or no.", m_position), false;
    skipSpaces();
    if (!at("?>"))
        return fail("the XML declaration is not closed", m_position), false;
    m_position += 2;
    return true;
}

bool XmlReader::skipCommentOrInstruction()
{
    const qsizetype start = m_position;
    if (at("<!--")) {
        const qsizetype end = m_xml.indexOf("--", m_position + 4);
        if (end < 0)
            return fail("Premature end of document.", m_xml.size()), false;
        if (end + 2 >= m_xml.size() || m_xml[end + 2] != '>')
            return fail("'--' inside a comment", end), false;
        m_position = end + 3;
        return true;
    }
    m_position += 2;   // "<?"
    const QByteArrayView target = readName(false);
    if (target.isEmpty() || (!at("?>") && skipSpaces() == 0))
        return fail("Invalid processing instruction name.", start), false;
    if (QString::fromLatin1(target).compare(u"xml", Qt::CaseInsensitive) == 0)
        return fail("XML declaration not at start of document.", start), false;
    const qsizetype end = m_xml.indexOf("?>", m_position);
    if (end < 0)
        return fail("Premature end of document.", m_xml.size()), false;
    m_position = end + 2;
    return true;
}

XmlReader::Token XmlReader::readNext()
{
    if (atEnd())
        return m_token;
    if (m_emptyElement) {
        m_emptyElement = false;
        return closeElement();
    }
    for (;;) {
        if (m_open.empty())
            skipSpaces();   // before and after the root element
        m_tokenStart = m_position;
        if (m_position == m_xml.size()) {
            if (m_open.empty() && m_rootSeen)
                return m_token = EndDocument;
            return fail("Premature end of document.", m_position);
        }
        if (at("<!--") || at("<?")) {
            if (!skipCommentOrInstruction())
                return Invalid;
            continue;
        }
        if (m_open.empty()) {
            if (m_rootSeen)
                return fail("Extra content at end of document.", m_position);
            if (at("<!DOCTYPE"))
                return fail("a document type declaration is not read", m_position);
            if (!at("<"))
                return fail("Start tag expected.", m_position);
            m_rootSeen = true;
            return readStartTag();
        }
        if (m_xml[m_position] != '<')
            return readText();
        if (at("</"))
            return readEndTag();
        if (at("<![CDATA[")) {
            const qsizetype end = m_xml.indexOf("]]>", m_position + 9);
            if (end < 0)
                return fail("Premature end of document.", m_xml.size());
            m_text = m_xml.sliced(m_position + 9, end - m_position - 9);
            m_textIsCData = true;
            m_position = end + 3;
            return m_token = Characters;
        }
        return readStartTag();
    }
}

XmlReader::Token XmlReader::readText()
{
    qsizetype end = m_xml.indexOf('<', m_position);
    if (end < 0)
        end = m_xml.size();
    const QByteArrayView raw = m_xml.sliced(m_position, end - m_position);
    const qsizetype cdataEnd = raw.contains(']') ? raw.indexOf("]]>") : -1;
    if (cdataEnd >= 0)
        return fail("Sequence ']]>' not allowed in content.", m_position + cdataEnd);
    if (!checkReferences(raw, m_position))
        return Invalid;
    m_text = raw;
    m_textIsCData = false;
    m_position = end;
    return m_token = Characters;
}

bool XmlReader::checkReferences(QByteArrayView raw, qsizetype offset)
{
    char32_t ignored = 0;
    for (qsizetype i = raw.indexOf('&'); i >= 0; i = raw.indexOf('&', i))
        if (!readReference(raw, i, ignored))
            return fail("Invalid reference.", offset + i), false;
    return true;
}

XmlReader::Token XmlReader::readStartTag()
{
    const qsizetype start = m_position++;
    const QByteArrayView name = readName(true);
    if (name.isEmpty())
        return fail("Invalid XML name.", start);
    m_attributes.clear();
    for (;;) {
        const qsizetype spaces = skipSpaces();
        if (m_position == m_xml.size())
            return fail("Premature end of document.", m_position);
        if (at(">") || at("/>")) {
            m_emptyElement = at("/>");
            m_position += m_emptyElement ? 2 : 1;
            break;
        }
        const qsizetype attributeStart = m_position;
        const QByteArrayView attributeName = spaces > 0 ? readName(true) : QByteArrayView();
        if (attributeName.isEmpty())
            return fail("Expected an attribute or '>'.", attributeStart);
        skipSpaces();
        if (!at("="))
            return fail("Expected '='.", m_position);
        ++m_position;
        skipSpaces();
        const char quote = m_position < m_xml.size() ? m_xml[m_position] : 0;
        if (quote != '"' && quote != '\'')
            return fail("Expected a quoted attribute value.", m_position);
        const qsizetype end = m_xml.indexOf(quote, m_position + 1);
        if (end < 0)
            return fail("Premature end of document.", m_xml.size());
        const QByteArrayView value = m_xml.sliced(m_position + 1, end - m_position - 1);
        if (value.contains('<'))
            return fail("'<' in an attribute value", m_position);
        if (!checkReferences(value, m_position + 1))
            return Invalid;
        m_position = end + 1;
        if (m_attributes.size() == MaxAttributes)
            return fail(QStringLiteral("more than %1 attributes on one element").arg(MaxAttributes), start);
        const qsizetype colon = attributeName.indexOf(':');
        m_attributes.push_back({attributeName, colon < 0 ? QByteArrayView() : attributeName.first(colon),
                                localPart(attributeName), value});
    }
    m_open.push_back(name);
    if (!declareNamespaces(start))
        return Invalid;
    m_name = localPart(name);
    return m_token = StartElement;
}

bool XmlReader::declareNamespaces(qsizetype tagStart)
{
    if (m_attributes.empty() && !m_open.back().contains(':'))
        return true;
    const qsizetype depth = qsizetype(m_open.size());
    for (const Attribute &a : m_attributes) {
        if (a.prefix != "xmlns")
            continue;
        QByteArray uri = decode(a.value, Raw::Attribute);
        if (uri.isEmpty() || a.localName == "xmlns" || (a.localName == "xml") != (uri == XmlNamespace))
            return fail("Illegal namespace declaration.", tagStart), false;
        m_namespaces.push_back({a.localName, depth});
        m_uris[a.localName].push_back(std::move(uri));
    }
    const QByteArrayView name = m_open.back();
    const qsizetype colon = name.indexOf(':');
    if (colon >= 0 && !namespaceOf(name.first(colon)))
        return fail(QStringLiteral("Namespace prefix '%1' not declared").arg(QString::fromLatin1(name.first(colon))),
                    tagStart),
               false;
    if (m_attributes.size() < 2 && (m_attributes.empty() || m_attributes[0].prefix.isEmpty()))
        return true;
    // An attribute twice, by name or by namespace and local name, is a fault.
    std::vector<AttributeKey> &keys = m_attributeKeys;
    keys.clear();
    for (const Attribute &a : m_attributes) {
        if (a.prefix.isEmpty() || a.prefix == "xmlns") {
            keys.emplace_back(QByteArrayView(), a.qualifiedName);
            continue;
        }
        const QByteArray *uri = namespaceOf(a.prefix);
        if (!uri)
            return fail(QStringLiteral("Namespace prefix '%1' not declared").arg(QString::fromLatin1(a.prefix)),
                        tagStart),
                   false;
        keys.emplace_back(*uri, a.localName);
    }
    // A few are compared with each other; a hostile number of them goes through a set.
    bool twice = false;
    if (keys.size() <= 16) {
        for (auto key = keys.begin(); key != keys.end() && !twice; ++key)
            twice = std::find(key + 1, keys.end(), *key) != keys.end();
    } else {
        QSet<AttributeKey> seen;
        seen.reserve(qsizetype(keys.size()));
        for (auto key = keys.begin(); key != keys.end() && !twice; ++key) {
            twice = seen.contains(*key);
            seen.insert(*key);
        }
    }
    if (twice)
        return fail("Attribute redefined.", tagStart), false;
    return true;
}

const QByteArray *XmlReader::namespaceOf(QByteArrayView prefix) const
{
    static const QByteArray xml(XmlNamespace);
    if (prefix == "xml")
        return &xml;
    const auto uris = m_uris.constFind(prefix);
    return uris == m_uris.cend() || uris->empty() ? nullptr : &uris->back();
}

XmlReader::Token XmlReader::readEndTag()
{
    const qsizetype start = m_position;
    m_position += 2;
    if (readName(true) != m_open.back())
        return fail("Opening and ending tag mismatch.", start);
    skipSpaces();
    if (!at(">"))
        return fail("Expected '>'.", m_position);
    ++m_position;
    return closeElement();
}

XmlReader::Token XmlReader::closeElement()
{
    const qsizetype depth = qsizetype(m_open.size());
    while (!m_namespaces.empty() && m_namespaces.back().depth == depth) {
        m_uris[m_namespaces.back().prefix].pop_back();
        m_namespaces.pop_back();
    }
    m_name = localPart(m_open.back());
    m_open.pop_back();
    return m_token = EndElement;
}

QByteArray XmlReader::attribute(QByteArrayView qualifiedName) const
{
    for (const Attribute &a : m_attributes)
        if (a.qualifiedName == qualifiedName)
            return decode(a.value, Raw::Attribute);
    return QByteArray();
}

QByteArray XmlReader::text() const
{
    return decode(m_text, m_textIsCData ? Raw::CData : Raw::Text);
}

QByteArray XmlReader::readElementText()
{
    QByteArray text;
    for (;;) {
        switch (readNext()) {
        case Characters: text += this->text(); break;
        case EndElement: return text;
        case StartElement: fail("Expected character data.", m_tokenStart); return QByteArray();
        default: return QByteArray();
        }
    }
}

bool XmlReader::readNextStartElement()
{
    while (!atEnd()) {
        readNext();
        if (isStartElement())
            return true;
        if (isEndElement())
            return false;
    }
    return false;
}

void XmlReader::skipCurrentElement()
{
    for (int depth = 1; depth > 0 && !atEnd();) {
        readNext();
        depth += isStartElement() ? 1 : isEndElement() ? -1 : 0;
    }
}
