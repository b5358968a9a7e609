#include "common/codepage.h"
#include "common/zered_lang.h"
#include "default_locale.h"
#include "log_capture.h"

#include <QFile>
#include <QLocale>
#include <QTest>

namespace {

QByteArray TableBytes(const QString &name)
{
    QFile file(u":/locale/"_qs + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestZeredLang : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Q_INIT_RESOURCE(locale_tables);
    }

    void englishTableIsAsciiWithCrLfLines()
    {
        const QByteArray bytes = TableBytes(u"STRINGTABLEEN"_qs);
        QCOMPARE(bytes.size(), 6121);
        QCOMPARE(bytes.count("\r\n"), 103);
        QCOMPARE(bytes.count('\n'), 103);
        QCOMPARE(bytes.count('\r'), 103);
        QVERIFY(bytes.endsWith("\r\n"));
        QVERIFY(bytes.startsWith(";\r\nDumpSplitter.Hint=resize dump pane.\r\n"));
        for (char c : bytes)
            QVERIFY2(uchar(c) < 0x80, "a byte outside ASCII");
        QCOMPARE(TZeredLang(u"StringTableEN"_qs, QString()).Table().size(), 103);
    }

    void japaneseTableIsShiftJisWithCrLfLines()
    {
        const QByteArray bytes = TableBytes(u"STRINGTABLEJA"_qs);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(DecodesCleanly(bytes));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QVERIFY(bytes.endsWith("\r\n"));
        QVERIFY(bytes.startsWith(";"));
        QVERIFY(bytes.contains(EncodeCp932(u"FileMenu.Caption=ファイル(&F)\r\n"_qs)));
    }

    void tableFollowsTheLanguage_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("fileMenu");
        QTest::addColumn<QString>("hintMemo");
        QTest::addColumn<QStringList>("log");
        const QString none = u"(none)"_qs;
        QTest::newRow("Japanese") << QLocale(QLocale::Japanese, QLocale::Japan) << u"JA"_qs << u"ファイル(&F)"_qs
                                  << u"簡単な説明を表示します。"_qs << QStringList();
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedKingdom) << u"EN"_qs << none
                                 << u"display hint."_qs << QStringList();
        QTest::newRow("untranslated C") << QLocale::c() << u"EN"_qs << none << u"display hint."_qs << QStringList();
        QTest::newRow("German: no table") << QLocale(QLocale::German, QLocale::Germany) << u"DE"_qs << none << none
                                          << QStringList{u"TZeredLang; Resource StringTableDE not found"_qs};
    }
    void tableFollowsTheLanguage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, code);
        QFETCH(QString, fileMenu);
        QFETCH(QString, hintMemo);
        QFETCH(QStringList, log);
        const DefaultLocale pinned(locale);
        LogCapture capture;
        const TZeredLang lang(u"StringTable"_qs, u"??"_qs);
        QCOMPARE(lang.LanguageCode(), code);
        QCOMPARE(lang.Lookup(u"FileMenu.Caption"_qs, u"(none)"_qs), fileMenu);
        QCOMPARE(lang.Lookup(u"HintMemo.Hint"_qs, u"(none)"_qs), hintMemo);
        QCOMPARE(capture.messages(), log);
        for (const LogCapture::Line &line : capture.lines)
            QCOMPARE(line.colour, zered::clMagenta);
        QCOMPARE(lang.Table().isEmpty(), !log.isEmpty());
        QCOMPARE(lang.LookupFormat(u"untitled"_qs, {3}),
                 code == u"JA" ? u"名称未設定3"_qs : u"untitled"_qs);
    }

    void otherSelectorLoadsTheBaseNameInAnyCase_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("selector");
        QTest::addColumn<QString>("convStr");
        QTest::newRow("upper") << u"STRINGTABLEJA"_qs << QString() << u"変換文字列"_qs;
        QTest::newRow("mixed, other selector") << u"StringTableJa"_qs << u"JA"_qs << u"変換文字列"_qs;
        QTest::newRow("base alone has no table") << u"StringTable"_qs << u"?"_qs << u"conv str"_qs;
    }
    void otherSelectorLoadsTheBaseNameInAnyCase()
    {
        QFETCH(QString, baseName);
        QFETCH(QString, selector);
        QFETCH(QString, convStr);
        LogCapture capture;
        const TZeredLang lang(baseName, selector);
        QVERIFY(lang.LanguageCode().isEmpty());
        QCOMPARE(lang.Lookup(u"conv str"_qs, u"conv str"_qs), convStr);
    }

    void lookupRules_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString ja = u"StringTableJA"_qs, cases = u"LocaleCases"_qs;
        QTest::newRow("conv str") << ja << u"conv str"_qs << u"変換文字列"_qs;
        QTest::newRow("bar code") << ja << u"bar code"_qs << u"バーコード"_qs;
        QTest::newRow("untitled") << ja << u"untitled"_qs << u"名称未設定%d"_qs;
        QTest::newRow("row hint") << ja << u"TextGrid.RowHint0"_qs << u"列の区切りをドラッグすると列幅を変更できます。"_qs;
        QTest::newRow("column 1 hint") << ja << u"TextGrid.ColHint1"_qs
                                       << u"変換文字列(60バイト); 波括弧「{」は改行に置き換えられます。"_qs;
        QTest::newRow("column 2 hint") << ja << u"TextGrid.ColHint2"_qs << u"バーコード(68バイト);"_qs;
        QTest::newRow("exit caption") << ja << u"FileExit1.Caption"_qs << u"終了(&X)"_qs;
        QTest::newRow("find hint") << ja << u"SearchFind1.Hint"_qs << u"検索|指定された文字列を検索する"_qs;
        QTest::newRow("empty hint") << ja << u"HeadNoLabel.Hint"_qs << QString();
        QTest::newRow("vertical tile hint") << ja << u"WindowTileVertical1.Hint"_qs << u"垂直に並べる(&V)"_qs;
        QTest::newRow("first occurrence wins") << cases << u"FileExit1.Caption"_qs << u"first"_qs;
        QTest::newRow("key in another case") << cases << u"VIEWLABEL.Hint"_qs << u"lower-case property word"_qs;
        QTest::newRow("empty value is a value") << cases << u"EmptyLabel.Hint"_qs << QString();
        QTest::newRow("value after the first =, untouched") << cases << u"Value.Caption"_qs << u" lead=equals="_qs;
        QTest::newRow("#13#10 stays in a lookup") << cases << u"Multi.Hint"_qs << u"line one#13#10line two"_qs;
        QTest::newRow("line without =") << cases << u"NoEquals"_qs << u"(none)"_qs;
        QTest::newRow("commented out") << cases << u"Commented.Caption"_qs << u"(none)"_qs;
        QTest::newRow("comment name") << cases << u";Commented.Caption"_qs << u"disabled"_qs;
        QTest::newRow("missing") << cases << u"Missing.Caption"_qs << u"(none)"_qs;
        QTest::newRow("line ended by LF") << cases << u"LoneLf.Caption"_qs << u"lf"_qs;
        QTest::newRow("line ended by CR") << cases << u"LoneCr.Caption"_qs << u"cr"_qs;
        QTest::newRow("last line without break") << cases << u"Last.Caption"_qs << u"no break at the end"_qs;
    }
    void lookupRules()
    {
        QFETCH(QString, table);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const TZeredLang lang(table, QString());
        QCOMPARE(lang.Lookup(key, u"(none)"_qs), value);
    }

    void formatUsesOnlyMatchingArguments_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<FormatArg>>("args");
        QTest::addColumn<QString>("result");
        using Args = QList<FormatArg>;
        QTest::newRow("no conversion ignores arguments") << u"untitled"_qs << Args{7} << u"untitled"_qs;
        QTest::newRow("number") << u"名称未設定%d"_qs << Args{12} << u"名称未設定12"_qs;
        QTest::newRow("text") << u"open port '%s'"_qs << Args{u"COM3"_qs} << u"open port 'COM3'"_qs;
        QTest::newRow("%s given a number stays") << u"a %s b"_qs << Args{5} << u"a %s b"_qs;
        QTest::newRow("%d given a text stays") << u"a %d b"_qs << Args{u"x"_qs} << u"a %d b"_qs;
        QTest::newRow("more conversions than arguments") << u"%d%d"_qs << Args{1} << u"1%d"_qs;
        QTest::newRow("no arguments") << u"%s and %d"_qs << Args{} << u"%s and %d"_qs;
        QTest::newRow("percent sign") << u"100%% of %d"_qs << Args{4} << u"100% of 4"_qs;
        QTest::newRow("width, flags, precision")
            << u"[%5d][%-4d][%03d][%.2s][%6s][%-3s]"_qs
            << Args{7, 8, 9, u"abc"_qs, u"xy"_qs, u"z"_qs} << u"[    7][8   ][009][ab][    xy][z  ]"_qs;
        QTest::newRow("hex and length modifier") << u"%x %lX %ld"_qs << Args{255, 255, -3} << u"ff FF -3"_qs;
        QTest::newRow("star width is not fed") << u"%*d"_qs << Args{3, 4} << u"%*d"_qs;
        QTest::newRow("unknown conversion stays") << u"%y %f %d"_qs << Args{2} << u"%y %f 2"_qs;
        QTest::newRow("cut off at the end") << u"rate 50%"_qs << Args{1} << u"rate 50%"_qs;
        QTest::newRow("length without conversion") << u"%l"_qs << Args{1} << u"%l"_qs;
        QTest::newRow("huge width is bounded") << u"%99999999999d|"_qs << Args{1}
                                               << QString(9998, u' ') + u"1|"_qs;
    }
    void formatUsesOnlyMatchingArguments()
    {
        QFETCH(QString, format);
        QFETCH(QList<FormatArg>, args);
        QFETCH(QString, result);
        // The formatter takes a braced list; feed it the row's arguments.
        QString formatted;
        switch (args.size()) {
        case 0: formatted = FormatWithArgs(format, {}); break;
        case 1: formatted = FormatWithArgs(format, {args[0]}); break;
        case 2: formatted = FormatWithArgs(format, {args[0], args[1]}); break;
        case 3: formatted = FormatWithArgs(format, {args[0], args[1], args[2]}); break;
        default: formatted = FormatWithArgs(format, {args[0], args[1], args[2], args[3], args[4], args[5]}); break;
        }
        QCOMPARE(formatted, result);
    }

    void lookupFormatFormatsTheKeyWithoutALine()
    {
        const TZeredLang lang(u"LocaleCases"_qs, QString());
        QCOMPARE(lang.LookupFormat(u"untitled"_qs, {5}), u"doc 5"_qs);
        QCOMPARE(lang.LookupFormat(u"%d files"_qs, {2}), u"2 files"_qs);
    }
};

QTEST_GUILESS_MAIN(TestZeredLang)
#include "test_zered_lang.moc"
