#include "goldenworlds.h"

#include <QtTest>

class TestGoldenWorlds : public QObject
{
    Q_OBJECT

private slots:
    void checksum_data()
    {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < GoldenWorlds::worlds.size(); ++i) {
            QTest::newRow(GoldenWorlds::worlds[i].name) << int(i);
        }
    }

    void checksum()
    {
        QFETCH(int, index);
        const GoldenWorlds::World& world = GoldenWorlds::worlds[std::size_t(index)];
        QCOMPARE(GoldenWorlds::checksum(*GoldenWorlds::build(world)), world.checksum);
    }
};

QTEST_APPLESS_MAIN(TestGoldenWorlds)
#include "test_goldenworlds.moc"
