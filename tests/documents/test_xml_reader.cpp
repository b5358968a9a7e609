#include "documents/xml_reader.h"

#include <QTest>

namespace {

// The tokens of a document as one line: "<name attribute=value>", texts, "</name>";
// the error and its line at the end, if any.
QByteArray trace(const QByteArray &document, const QByteArray &attribute)
{
    QByteArray out;
    XmlReader xml(document);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement())
            out += '<' + xml.name().toByteArray()
                   + (xml.attribute(attribute).isEmpty() ? "" : ' ' + attribute + '=' + xml.attribute(attribute)) + '>';
        else if (xml.isEndElement())
            out += "</" + xml.name().toByteArray() + '>';
        else if (xml.isCharacters())
            out += xml.text();
    }
    if (xml.hasError())
        out += " ! " + xml.errorString().toUtf8() + " (line " + QByteArray::number(xml.lineNumber()) + ')';
    return out;
}

}   // namespace

class TestXmlReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("attribute");
        QTest::addColumn<QByteArray>("tokens");
        QTest::newRow("references") << QByteArray("<a b='&lt;&#x41;&#66;'>&amp;&quot;&apos;&gt;&#x65E5;</a>")
                                    << QByteArray("b") << QByteArray("<a b=<AB>&\"'>\xE6\x97\xA5</a>");
        QTest::newRow("CDATA as it stands")
            << QByteArray("<a><![CDATA[<b>&amp;]]>x</a>") << QByteArray() << QByteArray("<a><b>&amp;x</a>");
        QTest::newRow("line ends; blanks in attributes") << QByteArray("<a b=\"1\r\n2\t3&#10;\">l\r\nm\rn</a>")
                                                         << QByteArray("b") << QByteArray("<a b=1 2 3\n>l\nm\nn</a>");
        QTest::newRow("prefixes left off names")
            << QByteArray("<x:a xmlns:x='u' xmlns:y='v' x:r='1' y:r='2'><x:b/></x:a>") << QByteArray("y:r")
            << QByteArray("<a y:r=2><b></b></a>");
        QTest::newRow("comments and instructions skipped")
            << QByteArray("<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n<!-- c --><?pi "
                          "x?><a><!--d-->t<?q?>u</a><!--e-->\n")
            << QByteArray() << QByteArray("<a>tu</a>");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF<a>\xEF\xBB\xBFx</a>") << QByteArray()
                                         << QByteArray("<a>\xEF\xBB\xBFx</a>");
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE<\0a\0>\0\xE5\x65<\0/\0a\0>\0", 18) << QByteArray()
                                << QByteArray("<a>\xE6\x97\xA5</a>");
    }
    void reads()
    {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, attribute);
        QTEST(trace(document, attribute), "tokens");
    }

    // What is no well-formed XML, or no workbook part, stops the reader with the line it is on.
    void refuses_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("tag mismatch") << QByteArray("<a>\n<b></a>")
                                      << QByteArray("Opening and ending tag mismatch. (line 2)");
        QTest::newRow("cut short") << QByteArray("<a><b>x") << QByteArray("Premature end of document. (line 1)");
        QTest::newRow("second root") << QByteArray("<a/>\n<a/>")
                                     << QByteArray("Extra content at end of document. (line 2)");
        QTest::newRow("text outside") << QByteArray("x<a/>") << QByteArray("Start tag expected. (line 1)");
        QTest::newRow("prefix not declared")
            << QByteArray("<a><p:b/></a>") << QByteArray("Namespace prefix 'p' not declared (line 1)");
        QTest::newRow("attribute twice by namespace") << QByteArray("<a xmlns:p='u' xmlns:q='u' p:b='1' q:b='2'/>")
                                                      << QByteArray("Attribute redefined. (line 1)");
        QTest::newRow("attribute twice") << QByteArray("<a b='1' b='2'/>")
                                         << QByteArray("Attribute redefined. (line 1)");
        QTest::newRow("undeclared entity") << QByteArray("<a>&nbsp;</a>") << QByteArray("Invalid reference. (line 1)");
        QTest::newRow("reference to no character")
            << QByteArray("<a>&#0;</a>") << QByteArray("Invalid reference. (line 1)");
        QTest::newRow("]]> in text") << QByteArray("<a>x]]>y</a>")
                                     << QByteArray("Sequence ']]>' not allowed in content. (line 1)");
        QTest::newRow("'<' in a value") << QByteArray("<a b='<'/>") << QByteArray("'<' in an attribute value (line 1)");
        QTest::newRow("no blank between attributes")
            << QByteArray("<a b='1'c='2'/>") << QByteArray("Expected an attribute or '>'. (line 1)");
        QTest::newRow("no name") << QByteArray("<a><$b/></a>") << QByteArray("Invalid XML name. (line 1)");
        QTest::newRow("-- in a comment") << QByteArray("<a><!-- x -- y --></a>")
                                         << QByteArray("'--' inside a comment (line 1)");
        QTest::newRow("declaration not at the start")
            << QByteArray(" <?xml version='1.0'?><a/>")
            << QByteArray("XML declaration not at start of document. (line 1)");
        QTest::newRow("version") << QByteArray("<?xml version='2.0'?><a/>")
                                 << QByteArray("Unsupported XML version. (line 1)");
        QTest::newRow("other encoding") << QByteArray("<?xml version='1.0' encoding='ISO-8859-1'?><a/>")
                                        << QByteArray("the encoding ISO-8859-1 is not read (line 1)");
        QTest::newRow("document type") << QByteArray("<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>")
                                       << QByteArray("a document type declaration is not read (line 1)");
        QTest::newRow("no UTF-8") << QByteArray("<a>\n\xC3(</a>")
                                  << QByteArray("Encountered incorrectly encoded content. (line 2)");
        QTest::newRow("overlong form") << QByteArray("<a>\xC0\xBC</a>")
                                       << QByteArray("Encountered incorrectly encoded content. (line 1)");
        QTest::newRow("control character")
            << QByteArray("<a>\x01</a>") << QByteArray("Encountered incorrectly encoded content. (line 1)");
        QTest::newRow("U+FFFF") << QByteArray("<a>\xEF\xBF\xBF</a>")
                                << QByteArray("Encountered incorrectly encoded content. (line 1)");
        QByteArray attributes;
        for (int i = 0; i <= 1024; ++i)
            attributes += " b" + QByteArray::number(i) + "=''";
        QTest::newRow("1025 attributes") << "<a" + attributes + "/>"
                                         << QByteArray("more than 1024 attributes on one element (line 1)");
        QTest::newRow("empty") << QByteArray() << QByteArray("Premature end of document. (line 1)");
    }
    void refuses()
    {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, error);
        const QByteArray tokens = trace(document, QByteArray());
        QCOMPARE(tokens.mid(tokens.indexOf(" ! ") + 3), error);
    }

    void readsTheTextOfAnElement()
    {
        XmlReader xml("<a><t>x&amp;<!-- -->y<![CDATA[z]]></t><t><u/></t></a>");
        QVERIFY(xml.readNextStartElement() && xml.readNextStartElement());
        QCOMPARE(xml.readElementText(), QByteArray("x&yz"));
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.readElementText(), QByteArray());
        QCOMPARE(xml.errorString(), "Expected character data.");
    }
};

QTEST_GUILESS_MAIN(TestXmlReader)
#include "test_xml_reader.moc"
