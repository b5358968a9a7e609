#include "common/prompt_meaning.h"

#include <QTest>

class TestPromptMeaning : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void meaningFollowsTheJapanese_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("clear") << u"全テーブルをクリアします。よろしいですか？"_qs
                               << u"This clears the whole table. Are you sure?"_qs;
        QTest::newRow("delete") << u"選択された12行を削除します。"_qs << u"This deletes the 12 selected rows."_qs;
        QTest::newRow("insert pushing rows out")
            << u"3行挿入します。\n末尾の入力済み2行（511,512行目）は押し出されて失われます。"_qs
            << u"This inserts 3 rows.\n2 filled rows at the end (row 511,512) are pushed out and lost."_qs;
        // A caption holding brackets, a placeholder sign or a prompt's own words is carried whole.
        QTest::newRow("save, odd caption") << u"[a]b %2 [c]*]は保存されていません。保存しますか？"_qs
                                           << u"[a]b %2 [c]*] has not been saved. Save it?"_qs;
        QTest::newRow("send after a warning")
            << u"2件のテキストが切り詰められるか、コントローラから見えなくなります。\nrow 3: 70 bytes\nrow 9\n\n"
               "KOVのバーコードテーブルを書き換えます。よろしいですか？"_qs
            << u"2 texts would be cut short or no longer seen by the controller (listed above).\n"
               "This overwrites the KOV's barcode table. Are you sure?"_qs;
        QTest::newRow("not a prompt") << u"size missmacthed"_qs << QString();
        QTest::newRow("a number before the text is no count") << u"row 5 選択された2行を削除します。"_qs << QString();
    }
    void meaningFollowsTheJapanese()
    {
        QFETCH(QString, prompt);
        QFETCH(QString, meaning);
        QCOMPARE(PromptMeaning(prompt), meaning);
    }
};

QTEST_GUILESS_MAIN(TestPromptMeaning)
#include "test_prompt_meaning.moc"
