#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <cstring>
#include <utility>
#include <vector>

// A strict reader of an XML document held in memory, a token at a time, for
// the large parts of a workbook: over 15 MB of markup QXmlStreamReader takes a
// second, this a tenth of it, and it works on the UTF-8 bytes, so a part is not
// held a second time in UTF-16. Like QXmlStreamReader it refuses what is not
// well-formed XML 1.0 with namespaces; it also refuses what no workbook holds:
// a document type declaration, names that are not ASCII, an encoding other
// than UTF-8 or UTF-16 (with its byte order mark), more than 1024 attributes
// on one element. Names are local names (no
// prefix); texts and attribute values are UTF-8, references replaced and line
// ends made "\n". Comments and processing instructions are skipped.
class XmlReader
{
public:
    enum Token { NoToken, StartElement, EndElement, Characters, EndDocument, Invalid };

    explicit XmlReader(const QByteArray &document);

    Token readNext();
    bool atEnd() const { return m_token == EndDocument || m_token == Invalid; }
    bool isStartElement() const { return m_token == StartElement; }
    bool isEndElement() const { return m_token == EndElement; }
    bool isCharacters() const { return m_token == Characters; }
    bool hasError() const { return m_token == Invalid; }
    const QString &errorString() const { return m_error; }
    // The line of the token at hand, or of the fault.
    qint64 lineNumber() const;

    // The element at hand (start or end).
    QByteArrayView name() const { return m_name; }
    // The value of the start element's attribute of that name; empty when it has none.
    QByteArray attribute(QByteArrayView qualifiedName) const;
    // The text of a Characters token.
    QByteArray text() const;

    // As QXmlStreamReader's: the text of the element started to its end (a child
    // element is a fault), the next start element inside it (false at its end),
    // and reading on past its end.
    QByteArray readElementText();
    bool readNextStartElement();
    void skipCurrentElement();

private:
    struct Attribute
    {
        QByteArrayView qualifiedName, prefix, localName, value;
    };
    struct Namespace   // declared on the element at that depth
    {
        QByteArrayView prefix;
        qsizetype depth;
    };

    Token fail(const QString &why, qsizetype at);
    Token fail(const char *why, qsizetype at) { return fail(QString::fromLatin1(why), at); }
    qsizetype skipSpaces();
    // True when the bytes at the reader's place start with text.
    template <size_t N>
    bool at(const char (&text)[N]) const
    {
        return m_xml.size() - m_position >= qsizetype(N - 1)
               && std::memcmp(m_xml.data() + m_position, text, N - 1) == 0;
    }
    QByteArrayView readName(bool qualified);
    bool readDeclaration();
    bool skipCommentOrInstruction();
    Token readStartTag();
    Token readEndTag();
    Token readText();
    Token closeElement();
    bool checkReferences(QByteArrayView raw, qsizetype offset);
    bool declareNamespaces(qsizetype tagStart);
    const QByteArray *namespaceOf(QByteArrayView prefix) const;

    QByteArray m_document;   // what m_xml reads, held
    QByteArrayView m_xml;
    qsizetype m_position = 0;
    qsizetype m_tokenStart = 0;
    Token m_token = NoToken;
    QString m_error;
    QByteArrayView m_name;
    QByteArrayView m_text;
    bool m_textIsCData = false;   // taken as it stands, but for line ends
    bool m_utf16 = false;   // read from UTF-16, so its declaration says so
    bool m_rootSeen = false;
    bool m_emptyElement = false;   // <a/>: its end comes next
    std::vector<QByteArrayView> m_open;   // qualified names of the elements open
    std::vector<Attribute> m_attributes;
    std::vector<Namespace> m_namespaces;
    QHash<QByteArrayView, std::vector<QByteArray>> m_uris;   // each prefix's, the innermost last
    using AttributeKey = std::pair<QByteArrayView, QByteArrayView>;   // namespace (none unprefixed), name
    std::vector<AttributeKey> m_attributeKeys;
};
