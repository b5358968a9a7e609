// The workbook's XML reader against QXmlStreamReader: what it takes, Qt takes
// too and reads as the same elements, attributes and texts; what Qt takes, it
// takes too, but for what it refuses on purpose (a document type, names that
// are not ASCII, an encoding other than UTF-8 or UTF-16, more than 1024
// attributes on an element, and characters XML does not allow, some of which
// Qt lets through).
#include "documents/xml_reader.h"
#include "fuzz_check.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <QXmlStreamReader>

namespace {

// UTF-8 as UTF-16, a leading U+FEFF kept: it is a character of the text.
QString utf16(QByteArrayView utf8)
{
    return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)(utf8);
}

struct Event
{
    enum Kind { Start, End, Text } kind;
    QString nameOrText;
    QList<std::pair<QString, QString>> attributes;   // of a start, as Qt reads them
    bool operator==(const Event &) const = default;
};

// The elements and the texts between them, runs of text joined.
QList<Event> qtEvents(const QByteArray &bytes, bool &ok)
{
    QList<Event> events;
    QString text;
    QXmlStreamReader xml(bytes);
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters() && depth > 0)
            text += xml.text();
        if (!xml.isStartElement() && !xml.isEndElement())
            continue;
        if (!text.isEmpty())
            events.append({Event::Text, text, {}});
        text.clear();
        depth += xml.isStartElement() ? 1 : -1;
        Event event{xml.isStartElement() ? Event::Start : Event::End, xml.name().toString(), {}};
        for (const QXmlStreamAttribute &a : xml.attributes())
            event.attributes.append({a.qualifiedName().toString(), a.value().toString()});
        events.append(event);
    }
    ok = !xml.hasError();
    return events;
}

// The same from XmlReader, its attributes looked up by the names Qt found.
QList<Event> ownEvents(const QByteArray &bytes, const QList<Event> &qt, bool &ok, QString &error)
{
    QList<Event> events;
    QByteArray text;
    XmlReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters())
            text += xml.text();
        if (!xml.isStartElement() && !xml.isEndElement())
            continue;
        if (!text.isEmpty())
            events.append({Event::Text, utf16(text), {}});
        text.clear();
        Event event{xml.isStartElement() ? Event::Start : Event::End, utf16(xml.name()), {}};
        if (xml.isStartElement() && events.size() < qt.size())
            for (const auto &[name, value] : qt[events.size()].attributes)
                event.attributes.append({name, utf16(xml.attribute(name.toUtf8()))});
        events.append(event);
    }
    ok = !xml.hasError();
    error = xml.errorString();
    return events;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    bool qtOk = false, ownOk = false;
    QString error;
    const QList<Event> qt = qtEvents(bytes, qtOk);
    const QList<Event> own = ownEvents(bytes, qt, ownOk, error);
    if (ownOk)
        FUZZ_CHECK(qtOk && own == qt);
    // What it refuses on purpose, Qt may take; Qt also takes names such as "$b".
    static const QRegularExpression xmlName("^([A-Za-z_][-.\\w]*:)?[A-Za-z_][-.\\w]*$");
    auto oddName = [](const QString &name) { return !xmlName.match(name).hasMatch() || name.contains(u'\u00B7'); };
    const bool qtTookOddNames = std::any_of(qt.begin(), qt.end(), [&](const Event &e) {
        return (e.kind == Event::Start && oddName(e.nameOrText))
               || std::any_of(e.attributes.begin(), e.attributes.end(),
                              [&](const auto &a) { return oddName(a.first); });
    });
    if (qtOk)
        FUZZ_CHECK(
            ownOk || error.startsWith(u"a document type") || error.startsWith(u"the encoding")
            || error == u"Encountered incorrectly encoded content." || error == u"Invalid processing instruction name."
            || error.startsWith(u"more than 1024 attributes")
            || (qtTookOddNames && (error == u"Invalid XML name." || error.startsWith(u"Expected an attribute"))));
    return 0;
}
