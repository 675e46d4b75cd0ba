#include "dialogs/channelmask.h"

#include <QTest>

#include <optional>

class tst_ChannelMask : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void toggled_data();
    void toggled();
    void format_data();
    void format();
    void clampedKeepsOnlyChannels();
};

void tst_ChannelMask::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("value");

    QTest::newRow("eight digits") << "3EFFFDFF" << true << 0x3EFFFDFFu;
    QTest::newRow("all ones") << "FFFFFFFF" << true << 0xFFFFFFFFu;
    QTest::newRow("lower case") << "3efffdff" << true << 0x3EFFFDFFu;
    QTest::newRow("mixed case, blanks") << " 3effFDFF " << true << 0x3EFFFDFFu;
    QTest::newRow("tab and line feed") << "\t1F\n" << true << 0x1Fu;
    QTest::newRow("prefix 0x") << "0x1234" << true << 0x1234u;
    QTest::newRow("prefix 0X") << "0X1234" << true << 0x1234u;
    QTest::newRow("prefix after blank") << "  0x3 " << true << 0x3u;
    QTest::newRow("single digit") << "3" << true << 0x3u;
    QTest::newRow("zero") << "0" << true << 0u;
    QTest::newRow("digit shifted in") << "00000001F" << true << 0x1Fu;
    QTest::newRow("leading zeros beyond 32 bits") << "0000000000FF" << true << 0xFFu;

    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("blanks only") << "   " << false << 0u;
    QTest::newRow("prefix only") << "0x" << false << 0u;
    QTest::newRow("double prefix") << "0x0x12" << false << 0u;
    QTest::newRow("prefix typed key by key") << "00000000x" << false << 0u;
    QTest::newRow("not a digit") << "12G4" << false << 0u;
    QTest::newRow("nine significant digits") << "3EFFFDFFF" << false << 0u;
    QTest::newRow("blank inside") << "3E FF" << false << 0u;
    QTest::newRow("plus sign") << "+12" << false << 0u;
    QTest::newRow("minus sign") << "-1" << false << 0u;
    QTest::newRow("non-latin digit") << QStringLiteral("1\u0661") << false << 0u;
    QTest::newRow("full-width letter") << QStringLiteral("\uFF21") << false << 0u;
}

void tst_ChannelMask::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(quint32, value);

    const std::optional<quint32> parsed = ChannelMask::parse(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void tst_ChannelMask::toggled_data()
{
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<int>("bit");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("bit 0 on") << 0u << 0 << 0x1u;
    QTest::newRow("bit 0 off") << 0x1u << 0 << 0u;
    QTest::newRow("bit 8") << 0u << 8 << 0x100u;
    QTest::newRow("bit 10") << 0u << 10 << 0x400u;
    QTest::newRow("bit 29 off") << 0x3EFFFDFFu << 29 << 0x1EFFFDFFu;
    QTest::newRow("bit 9 refused") << 0u << 9 << 0u;
    QTest::newRow("bit 24 refused") << 0x3u << 24 << 0x3u;
    QTest::newRow("bit 30 refused") << 0u << 30 << 0u;
    QTest::newRow("bit 31 refused") << 0u << 31 << 0u;
    QTest::newRow("negative bit") << 0x5u << -1 << 0x5u;
    QTest::newRow("bit 32") << 0x5u << 32 << 0x5u;
}

void tst_ChannelMask::toggled()
{
    QFETCH(quint32, mask);
    QFETCH(int, bit);
    QFETCH(quint32, expected);

    QCOMPARE(ChannelMask::toggled(mask, bit), expected);
}

void tst_ChannelMask::format_data()
{
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0u << "00000000";
    QTest::newRow("short") << 0x3u << "00000003";
    QTest::newRow("upper case") << 0x3EFFFDFFu << "3EFFFDFF";
    QTest::newRow("all bits") << 0xFFFFFFFFu << "FFFFFFFF";
}

void tst_ChannelMask::format()
{
    QFETCH(quint32, mask);
    QFETCH(QString, text);

    QCOMPARE(ChannelMask::format(mask), text);
}

void tst_ChannelMask::clampedKeepsOnlyChannels()
{
    // Every bit on its own: only the usable channels survive.
    for (int bit = 0; bit < 32; ++bit) {
        const bool channel = bit <= 29 && bit != 9 && bit != 24;
        QCOMPARE(ChannelMask::isAllowed(bit), channel);
        QCOMPARE(ChannelMask::clamped(1u << bit) != 0, channel);
    }
}

QTEST_APPLESS_MAIN(tst_ChannelMask)
#include "tst_channelmask.moc"
