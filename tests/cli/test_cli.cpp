#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// A row of oddPathsAndFullDisksLoseNothing as a script.
const char* const rowScript = R"sh(KEEP="$(cd .. && pwd)/copies"
old() { "$T" --export "$1" --generator peaks --seed old --size 5x5 && cp "$1" "$KEEP/"; }
unchanged() { cmp -s "$1" "$KEEP/$1"; }
fill() { cat /dev/zero > .filler 2>/dev/null; truncate -s "-${1:-0}K" .filler; }
entries() { test "$(ls -A | grep -cvx .filler)" -eq "$1"; }
{ true; %1
} >/dev/null 2>&1 || exit 97
timeout 20 "$T" %2
status=$?
{ true; %3
} >/dev/null 2>&1 || exit 98
exit $status
)sh";

// The window's program run as scripts run it, with no display at all: it hands
// the command line to the headless program, which needs none. Arguments are
// shell words, so that rows can hold empty values and any bytes.
class TestCommandLine : public QObject
{
    Q_OBJECT

    struct Run
    {
        int status = -1;
        QByteArray output;
        QByteArray errors;
    };

    // Runs a shell script in `folder` with $T the window's program, in the C
    // locale so that the system's reasons are worded alike everywhere.
    static Run shell(const QString& script, const QString& folder)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        environment.insert(QStringLiteral("T"), QStringLiteral(TERRAVIK_PROGRAM));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder);
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    Run terravik(const QString& arguments) const
    {
        return shell(QStringLiteral("exec \"$T\" ") + arguments, folder_.path());
    }

    void write(const QString& name, const QByteArray& contents) const
    {
        QFile file(folder_.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    }

    QByteArray read(const QString& name) const
    {
        QFile file(folder_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A failure says why in one line, a success says nothing.
    static void checkMessage(const Run& run, const QByteArray& message)
    {
        if (run.status == 0) {
            QCOMPARE(run.errors, QByteArray());
            return;
        }
        QVERIFY2(run.errors.startsWith("terravik: ") && run.errors.contains(message) &&
                     run.errors.count('\n') == 1 && run.errors.endsWith('\n'),
                 run.errors.constData());
    }

    QTemporaryDir folder_;
    // Why the full-disk cases cannot run here, empty when they can.
    QString noPrivateDisk_;

private slots:
    void initTestCase()
    {
        write(QStringLiteral("bad.terravik"), "{\"format\": 1, \"generator\": ");
        write(QStringLiteral("mean.json"),
              R"({"name": "Mean", "coefficients": [1,1,1,1,1, 1,1,1,1,1, 1,1,1,1,1,
                                                  1,1,1,1,1, 1,1,1,1,1]})");
        write(QStringLiteral("wide.json"), R"({"name": "Wide", "coefficients": [1]})");
        write(QStringLiteral("a-file"), "not a folder");
        write(QStringLiteral("rain.json"),
              R"({"kind": "hydraulic-erosion", "name": "Rain", "droplets": 20000})");
        write(QStringLiteral("scree.json"), R"({"kind": "thermal-erosion", "name": "Scree"})");
        write(QStringLiteral("steep.json"),
              R"({"kind": "thermal-erosion", "name": "Steep", "talusAngle": 95})");
        write(QStringLiteral("region.terravik"),
              R"({"format": 1, "generator": "random", "seed": {"text": "a"}, "width": 20000,
                  "length": 9, "region": {"x": 19990, "y": 0, "width": 10, "length": 9}})");
        write(QStringLiteral("drops.terravik"),
              R"({"format": 1, "generator": "random", "seed": {"text": "a"}, "width": 9,
                  "length": 9, "drops": [{"x": 1, "y": 1, "steps": 3}]})");
        const Run probe =
            shell(QStringLiteral("mkdir probe && unshare -m --propagation private sh -c "
                                 "'mount -t tmpfs -o size=64k tmpfs probe'"),
                  folder_.path());
        if (probe.status != 0) {
            noPrivateDisk_ = QStringLiteral("a small disk of the test's own needs a private "
                                            "mount namespace (unshare -m, as root): %1")
                                 .arg(QString::fromLocal8Bit(probe.errors.trimmed()));
        }
    }

    void failuresHaveTheirStatusAndSayWhy_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        const QString world = QStringLiteral("--generator peaks --seed a --size 9x9 ");
        QTest::newRow("no export") << world << 2 << QByteArray("--export is missing");
        QTest::newRow("format") << world + "--export w.bmp" << 2
                                << QByteArray("w.bmp: unknown export format: give a file name "
                                              "ending in .png, .r16, .asc, .obj, .tif, .exr, "
                                              ".normal.png, .splat.png or .terravik");
        QTest::newRow("generator") << "--export w.png --generator hills --seed a --size 9x9" << 2
                                   << QByteArray("--generator hills is not a generator");
        QTest::newRow("no seed") << "--export w.png --generator peaks --size 9x9" << 2
                                 << QByteArray("give either --seed TEXT or --clock-seed");
        QTest::newRow("width") << "--export w.png --generator peaks --seed a --size 65537x9" << 2
                               << QByteArray("--size 65537x9: give WxL");
        QTest::newRow("length") << "--export w.png --generator peaks --seed a --size 9x4097" << 2
                                << QByteArray("--size 9x4097: a world beyond 4096 x 4096 is built "
                                              "a region at a time: give --region");
        const QString large = QStringLiteral("--generator random --seed a --size 16384x16384 ");
        QTest::newRow("region outside the world")
            << world + "--region 5,0,5,9 --export r.png" << 2
            << QByteArray("--region 5,0,5,9: the region reaches beyond the 9 x 9 world (points 5 "
                          "to 9 along x");
        QTest::newRow("empty region") << world + "--region 0,0,0,5 --export r.png" << 2
                                      << QByteArray("the region is empty (0 x 5 points)");
        QTest::newRow("region too large")
            << large + "--region 0,0,4097,2 --export r.png" << 2
            << QByteArray("the region is 4097 x 2 points; a region has at most 4096 x 4096");
        QTest::newRow("region of three numbers")
            << world + "--region 1,2,3 --export r.png" << 2
            << QByteArray("--region 1,2,3: give X,Y,W,L with whole numbers");
        QTest::newRow("region with a drop")
            << world + "--region 0,0,5,5 --drop 1,1 --export r.png" << 2
            << QByteArray("--drop: drops run over the whole world");
        QTest::newRow("a world file's region and --region")
            << "--world region.terravik --region 0,0,2,2 --export r.png" << 2
            << QByteArray("--region: region.terravik holds a region already");
        QTest::newRow("a world file's drops in a region")
            << "--world drops.terravik --region 0,0,2,2 --export r.png" << 2
            << QByteArray("--region 0,0,2,2: the world's drops run over the whole world");
        QTest::newRow("tiles and a tile size")
            << world + "--tiles 2 --tile-size 5 --export t.png" << 2
            << QByteArray("give either --tiles N or --tile-size S, not both");
        QTest::newRow("a tile without a grid")
            << world + "--tile 0,0 --export t.png" << 2 << QByteArray("--tile needs --tiles N");
        QTest::newRow("a tile beyond the grid")
            << world + "--tiles 3 --tile 3,0 --height-range 0,1 --export t.png" << 2
            << QByteArray("--tile 3,0: the grid has 3 x 3 tiles, I from 0 to 2");
        QTest::newRow("tiles larger than a region")
            << large + "--tiles 4 --export t.png" << 2
            << QByteArray("--tiles 4: tiles of 4097 points a side; a tile has at most 4096: give "
                          "--tiles 5 or more");
        QTest::newRow("more tiles than points") << world + "--tiles 9 --export t.png" << 2
                                                << QByteArray("a side of 9 points holds at most 8");
        QTest::newRow("one 16-bit tile with no shared range")
            << world + "--tiles 2 --tile 1,1 --export t.png" << 2
            << QByteArray("give it with --height-range LOW,HIGH");
        QTest::newRow("a range upside down")
            << world + "--height-range 5,1 --export w.png" << 2
            << QByteArray("--height-range 5,1: give LOW,HIGH with LOW at most HIGH");
        QTest::newRow("tiles as world files")
            << world + "--tiles 2 --export t.terravik" << 2 << QByteArray("not world files");
        QTest::newRow("a range printed and a file written")
            << world + "--print-height-range --export w.png" << 2
            << QByteArray("--print-height-range writes nothing");
        QTest::newRow("a normal map that is no PNG")
            << world + "--export w.png --normal-map n.jpg" << 2
            << QByteArray("--normal-map n.jpg: give a file name ending in .png");
        // The option's value given twice, or empty, among the others' values.
        const auto othersThan = [&](const char* option) {
            return QString(world + "--export w.png ")
                .remove(QRegularExpression(QStringLiteral("--%1 \\S+ ").arg(option)));
        };
        for (const char* option : {"export", "world", "generator", "seed", "size", "threads"}) {
            QTest::addRow("two --%s", option)
                << othersThan(option) + QStringLiteral("--%1 x --%1 x").arg(option) << 2
                << "--" + QByteArray(option) + " is given more than once: give it once";
        }
        for (const char* option :
             {"export", "world", "generator", "size", "filter", "drop", "masks", "threads"}) {
            QTest::addRow("empty --%s", option)
                << othersThan(option) + "--" + option + " ''" << 2
                << "--" + QByteArray(option) + " needs a value, not an empty text";
        }
        QTest::newRow("no threads") << world + "--export w.png --threads 0" << 2
                                    << QByteArray("--threads 0: give a whole number from 1 to");
        QTest::newRow("masks of nothing")
            << "--export w.terravik --generator peaks --seed a --size 9x0 --masks m" << 2
            << QByteArray("w.terravik: the world is empty (9 x 0 points)");
        QTest::newRow("an erosion setting off its range")
            << world + "--export w.png --filter steep.json" << 3
            << QByteArray("steep.json: \"talusAngle\" must be a number from 0 to 89.9");
        QTest::newRow("world and size") << "--export w.png --world bad.terravik --size 9x9" << 2
                                        << QByteArray("leave out --generator");
        QTest::newRow("empty world") << "--export w.png --generator peaks --seed a --size 0x5" << 2
                                     << QByteArray("w.png: the world is empty (0 x 5 points)");
        QTest::newRow("drop not a number") << world + "--export w.png --drop 1,north" << 2
                                           << QByteArray("--drop 1,north: give the start as X,Y");
        QTest::newRow("drop off the surface, as typed")
            << "--export w.png --generator peaks --seed a --size 64x64 --drop 63.00001,1" << 2
            << QByteArray("--drop 63.00001,1: the entered coordinates are not within the 64 x 64 "
                          "map");
        QTest::newRow("missing world") << "--export w.png --world none.terravik" << 3
                                       << QByteArray("none.terravik: cannot open: No such file");
        QTest::newRow("bad world") << "--export w.png --world bad.terravik" << 3
                                   << QByteArray("bad.terravik: not valid JSON");
        QTest::newRow("bad filter")
            << world + "--export w.png --filter wide.json" << 3
            << QByteArray("wide.json: \"coefficients\" must hold 25 numbers, not 1");
        QTest::newRow("write") << world + "--export a-file/w.png" << 4
                               << QByteArray("a-file/w.png: cannot write: Not a directory");
    }

    void failuresHaveTheirStatusAndSayWhy()
    {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        const Run run = terravik(arguments);
        QCOMPARE(run.status, status);
        checkMessage(run, message);
    }

    // Each row's script runs in a folder of its own, or on a 256 KiB disk of
    // its own: setup, then terravik (stopped after 20 s, should it wait for
    // ever), then `kept` checks what is left. Helpers: `old NAME` writes a
    // small world or export and keeps a copy, `unchanged NAME` compares with
    // it, `fill [K]` fills the disk but K KiB, `entries N` counts the files.
    void oddPathsAndFullDisksLoseNothing_data()
    {
        QTest::addColumn<bool>("smallDisk");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("kept");
        const QString world = QStringLiteral("--generator peaks --seed a --size 9x9 ");
        QTest::newRow("a FIFO as output")
            << false << "mkfifo f.png" << world + "--export f.png" << 4
            << QByteArray("f.png: cannot write: it is a FIFO, not a regular "
                          "file")
            << "test -p f.png";
        QTest::newRow("a link to a device as output")
            << false << "ln -s /dev/null n.obj" << world + "--export n.obj" << 4
            << QByteArray("n.obj: cannot write: it is a link to /dev/null, a character device, "
                          "not a regular file")
            << "test -L n.obj && test -c /dev/null";
        QTest::newRow("a link to nothing as output")
            << false << "ln -s gone.asc l.asc" << world + "--export l.asc" << 4
            << QByteArray("/gone.asc, which does not exist") << "test -L l.asc && entries 1";
        QTest::newRow("a folder as output")
            << false << "mkdir d.r16" << world + "--export d.r16" << 4
            << QByteArray("d.r16: cannot write: it is a folder, not a "
                          "regular file")
            << "test -d d.r16 && entries 1";
        QTest::newRow("a link to a world file is written through")
            << false << "old real.terravik && ln -s real.terravik l.terravik"
            << "--export l.terravik --generator chain --seed new --size 5x5" << 0 << QByteArray()
            << "test -L l.terravik && grep -q '\"new\"' real.terravik && entries 2";
        QTest::newRow("a FIFO as world")
            << false << "mkfifo f.terravik"
            << "--world f.terravik --export w.png" << 3
            << QByteArray("f.terravik: cannot open: it is a FIFO, not a regular "
                          "file")
            << "test -p f.terravik && entries 1";
        QTest::newRow("a FIFO as filter")
            << false << "mkfifo f.json" << world + "--filter f.json --export w.png" << 3
            << QByteArray("f.json: cannot open: it is a FIFO") << "entries 1";
        QTest::newRow("a device as filter")
            << false << "" << world + "--filter /dev/zero --export w.png" << 3
            << QByteArray("/dev/zero: cannot open: it is a character device") << "entries 0";
        QTest::newRow("--export's value looks like --seed")
            << false << ""
            << "--export --seed=EVIL.terravik --generator "
               "peaks --size 3x3"
            << 2
            << QByteArray("give either --seed TEXT or "
                          "--clock-seed")
            << "entries 0";
        QTest::newRow("the seed is --seed's value alone")
            << false << ""
            << "--seed good --generator peaks --size 3x3 --export --seed=EVIL.terravik" << 0
            << QByteArray() << "grep -q '\"text\": \"good\"' ./--seed=EVIL.terravik && entries 1";
        QTest::newRow("a name that is not UTF-8")
            << false << "" << world + "--export \"$(printf 'w\\377.png')\"" << 0 << QByteArray()
            << "test -s \"$(printf 'w\\377.png')\" && entries 1";
        QTest::newRow("a missing world whose name is not UTF-8")
            << false << ""
            << "--world \"$(printf 'n\\377.terravik')\" --export w.png" << 3
            << QByteArray("n\xff.terravik: cannot open: No such file or directory") << "entries 0";
        QTest::newRow("10,001 drops in a world file")
            << false << ""
            << world + "--export w.terravik $(for i in $(seq 10001); do echo --drop 1,1; done)" << 4
            << QByteArray("w.terravik: cannot write: \"drops\" holds more than 10000 drops "
                          "(Terravik would refuse to open the file)")
            << "entries 0";
        QTest::newRow("no terravik-cli beside terravik")
            << false << "mkdir alone && cp \"$T\" alone && T=alone/terravik"
            << world + "--export w.png" << 1 << QByteArray("cannot start the command line program")
            << "entries 1";
        QTest::newRow("a world file on a full disk")
            << true << "old w.terravik && fill" << world + "--export w.terravik" << 4
            << QByteArray("w.terravik: cannot write: No space left on device")
            << "unchanged w.terravik && entries 1";
        QTest::newRow("a world file cut short")
            << true << "old w.terravik && fill 40"
            << "--export w.terravik --generator peaks --size 9x9 --seed \"$(head -c 100000 "
               "/dev/zero | tr '\\0' s)\""
            << 4 << QByteArray("w.terravik: cannot write: No space left on device")
            << "unchanged w.terravik && entries 1";
        QTest::newRow("a PNG on a full disk")
            << true << "old w.png && fill" << world + "--export w.png" << 4
            << QByteArray("w.png: cannot write: No space left on device")
            << "unchanged w.png && entries 1";
        QTest::newRow("an OBJ cut short")
            << true << "old w.obj && fill 40"
            << "--generator peaks --seed a --size 99x99 --export w.obj" << 4
            << QByteArray("w.obj: cannot write: No space left on device")
            << "unchanged w.obj && entries 1";
        QTest::newRow("a file that cannot be replaced")
            << true << "old w.png && mount --bind w.png w.png" << world + "--export w.png" << 4
            << QByteArray("w.png: cannot write: Device or resource busy")
            << "unchanged w.png && entries 1";
    }

    void oddPathsAndFullDisksLoseNothing()
    {
        QFETCH(bool, smallDisk);
        QFETCH(QString, setup);
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        QFETCH(QString, kept);
        if (smallDisk && !noPrivateDisk_.isEmpty()) {
            QSKIP(qPrintable(noPrivateDisk_));
        }
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("copies")));
        QFile script(folder.filePath(QStringLiteral("row.sh")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString::fromLatin1(rowScript).arg(setup, arguments, kept).toUtf8());
        script.close();
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("work")));
        const Run run =
            shell(smallDisk ? QStringLiteral("unshare -m --propagation private sh -c 'mount -t "
                                             "tmpfs -o size=256k tmpfs work && cd work && "
                                             ". ../row.sh'")
                            : QStringLiteral("cd work && . ../row.sh"),
                  folder.path());
        // QTemporaryDir cannot remove a name that is not UTF-8.
        shell(QStringLiteral("rm -rf work"), folder.path());
        QCOMPARE(run.status, status);
        checkMessage(run, message);
    }

    // The rows of an ESRI grid, from the north down, as words.
    QList<QByteArrayList> gridRows(const QString& name) const
    {
        QList<QByteArrayList> rows;
        for (const QByteArray& line : read(name).split('\n').mid(6)) {
            if (!line.isEmpty()) {
                rows << line.split(' ');
            }
        }
        return rows;
    }

    QImage image(const QString& name) const { return QImage::fromData(read(name), "png"); }

    // Tiles share their edge rows and columns, and each holds the whole
    // world's window bit for bit: heights (printed exactly), 16-bit values on
    // one range, normal maps whose edges see across the tiles; a tile made by
    // a job of its own is the same file.
    void tilesShareTheirEdgesBitForBit()
    {
        const QString world = QStringLiteral("--generator peaks --seed=Terravik --size 61x47 "
                                             "--filter mean.json --filter mean.json ");
        QCOMPARE(terravik(world + "--export w.asc --normal-map wn.png").status, 0);
        QCOMPARE(terravik(world + "--tiles 3 --export t.asc --normal-map n.png").status, 0);
        QCOMPARE(terravik(world + "--tiles 3 --export p.png").status, 0);
        const QJsonObject index =
            QJsonDocument::fromJson(read(QStringLiteral("p.tiles.json"))).object();
        QCOMPARE(index.value(QStringLiteral("columns")).toInt(), 3);
        const QList<QByteArrayList> whole = gridRows(QStringLiteral("w.asc"));
        const QImage wholeNormals = image(QStringLiteral("wn.png"));
        const QString range = QStringLiteral("%1,%2").arg(
            index.value(QStringLiteral("heightRange")).toObject().value("lowest").toString(),
            index.value(QStringLiteral("heightRange")).toObject().value("highest").toString());
        QCOMPARE(terravik(world + "--print-height-range").output, range.toLatin1() + '\n');
        QCOMPARE(index.value(QStringLiteral("tiles")).toArray().size(), 9);
        for (const QJsonValue entry : index.value(QStringLiteral("tiles")).toArray()) {
            const QJsonObject tile = entry.toObject();
            const int i = tile.value(QStringLiteral("column")).toInt();
            const int j = tile.value(QStringLiteral("row")).toInt();
            const int x0 = tile.value(QStringLiteral("x")).toInt();
            const int y0 = tile.value(QStringLiteral("y")).toInt();
            const QString name = QStringLiteral("_x%1_y%2").arg(i).arg(j);
            QCOMPARE(tile.value(QStringLiteral("heights")).toString(), "p" + name + ".png");
            const QList<QByteArrayList> heights = gridRows("t" + name + ".asc");
            const QImage normals = image("n" + name + ".png");
            const QImage values = image("p" + name + ".png");
            QCOMPARE(values.text(QStringLiteral("Minimum height")) + ',' +
                         values.text(QStringLiteral("Maximum height")),
                     range);
            const int width = tile.value(QStringLiteral("width")).toInt();
            const int length = tile.value(QStringLiteral("length")).toInt();
            QCOMPARE(heights.size(), length);
            for (int y = 0; y < length; ++y) {
                for (int x = 0; x < width; ++x) {
                    QCOMPARE(heights[length - 1 - y][x], whole[46 - y0 - y][x0 + x]);
                    QCOMPARE(normals.pixel(x, y), wholeNormals.pixel(x0 + x, y0 + y));
                }
            }
            // The edges it shares with its neighbours to the east and north.
            const QString east = QStringLiteral("_x%1_y%2").arg(i + 1).arg(j);
            if (i < 2) {
                const QList<QByteArrayList> next = gridRows("t" + east + ".asc");
                const QImage nextValues = image("p" + east + ".png");
                for (int y = 0; y < length; ++y) {
                    QCOMPARE(heights[y].last(), next[y].first());
                    QCOMPARE(values.pixel(width - 1, y), nextValues.pixel(0, y));
                }
            }
            const QString north = QStringLiteral("_x%1_y%2").arg(i).arg(j + 1);
            if (j < 2) {
                QCOMPARE(heights.first(), gridRows("t" + north + ".asc").last());
                const QImage nextValues = image("p" + north + ".png");
                for (int x = 0; x < width; ++x) {
                    QCOMPARE(values.pixel(x, length - 1), nextValues.pixel(x, 0));
                }
            }
        }
        QCOMPARE(
            terravik(world + "--tiles 3 --tile 1,2 --height-range " + range + " --export q.png")
                .status,
            0);
        QCOMPARE(read(QStringLiteral("q_x1_y2.png")), read(QStringLiteral("p_x1_y2.png")));
        QCOMPARE(read(QStringLiteral("q.tiles.json")).replace("q_x", "p_x"),
                 read(QStringLiteral("p.tiles.json")));
    }

    // A world file records its region; built from it, the region is that
    // window of the whole world.
    void regionsAreWrittenAndRebuilt()
    {
        const QString world = QStringLiteral("--generator chain --seed=Terravik --size 80x60 "
                                             "--filter mean.json ");
        QCOMPARE(terravik(world + "--export whole.asc").status, 0);
        QCOMPARE(terravik(world + "--region 70,50,10,10 --export r.terravik").status, 0);
        QVERIFY(read(QStringLiteral("r.terravik")).contains("\"region\""));
        QCOMPARE(terravik(QStringLiteral("--world r.terravik --export r.asc")).status, 0);
        const QList<QByteArray> lines = read(QStringLiteral("r.asc")).split('\n');
        QCOMPARE(lines.mid(0, 4),
                 QList<QByteArray>({"ncols 10", "nrows 10", "xllcenter 70", "yllcenter 50"}));
        const QList<QByteArrayList> whole = gridRows(QStringLiteral("whole.asc"));
        const QList<QByteArrayList> region = gridRows(QStringLiteral("r.asc"));
        for (int row = 0; row < 10; ++row) {
            QCOMPARE(region[row], whole[row].mid(70));
        }
    }

    // A job that has run for a second says on standard error what it does, and at its end
    // what it wrote, unless --quiet; faketime makes the second pass in ten microseconds (and
    // the sanitizer build lets its library come first).
    void longJobsTellTheirProgress()
    {
        const QString job = QStringLiteral(
            "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" faketime -f "
            "'+0 x100000' \"$T\" --generator peaks --seed a --size 99x99 --export w.png");
        const Run told = shell(job, folder_.path());
        QVERIFY2(told.status == 0 && told.errors.endsWith("terravik: writing w.png (99%)\n"
                                                          "terravik: wrote w.png (100%)\n"),
                 told.errors.constData());
        const Run quiet = shell(job + " --quiet", folder_.path());
        QVERIFY2(quiet.status == 0 && quiet.errors.isEmpty(), quiet.errors.constData());
    }

    // A world written by the command line and rebuilt from that file gives the
    // same bytes, and filter files come after the world's own filters; help and
    // version need no display either.
    void worldsAreWrittenAndRebuiltWithoutADisplay()
    {
        const QString make = QStringLiteral("--generator chain --seed=Terravik --size 60x40 "
                                            "--filter mean.json --drop 20,20 --drop 41.5,3 ");
        QCOMPARE(terravik(make + "--export a.obj").status, 0);
        QCOMPARE(terravik(make + "--export a.terravik").status, 0);
        QCOMPARE(terravik("--world a.terravik --export b.obj").status, 0);
        QVERIFY(read(QStringLiteral("a.obj")).count("\nl ") == 2);
        QCOMPARE(read(QStringLiteral("b.obj")), read(QStringLiteral("a.obj")));
        QVERIFY(read(QStringLiteral("a.terravik")).contains("\"text\": \"Terravik\""));
        write(QStringLiteral("edge.json"), R"({"name": "Edge", "coefficients": [0,0,0,0,0,
            0,-1,-1,-1,0, 0,-1,8,-1,0, 0,-1,-1,-1,0, 0,0,0,0,0]})");
        QCOMPARE(terravik("--world a.terravik --filter edge.json --export c.terravik").status, 0);
        const QByteArray both = read(QStringLiteral("c.terravik"));
        QVERIFY(both.indexOf("\"Mean\"") >= 0 &&
                both.indexOf("\"Mean\"") < both.indexOf("\"Edge\""));
        // A seed is its bytes, also those that are no text in the locale.
        QCOMPARE(terravik("--export s.terravik --generator peaks --size 3x3 --seed "
                          "\"$(printf 'a\\377\\200')\"")
                     .status,
                 0);
        QVERIFY(read(QStringLiteral("s.terravik")).contains("\"base64\": \"Yf+A\""));
        // Erosion gives the same world, and the same masks, on any number of threads.
        const QString eroded = QStringLiteral("--generator chain --seed=rain --size 300x200 "
                                              "--filter rain.json --filter scree.json ");
        for (const char* threads : {"1", "3"}) {
            QCOMPARE(terravik(eroded + "--threads " + threads + " --export e" + threads +
                              ".png --masks m" + threads)
                         .status,
                     0);
        }
        QCOMPARE(read(QStringLiteral("e1.png")), read(QStringLiteral("e3.png")));
        for (const char* mask : {"erosion", "deposition", "flow"}) {
            const QByteArray one = read(QStringLiteral("m1-%1.png").arg(mask));
            QVERIFY2(one.size() > 1000, mask);
            QCOMPARE(one, read(QStringLiteral("m3-%1.png").arg(mask)));
        }
        QVERIFY(read(QStringLiteral("m1-erosion.png")) != read(QStringLiteral("m1-flow.png")));
        const Run help = terravik(QStringLiteral("--help"));
        QVERIFY(help.status == 0 && help.output.contains("--export <file>"));
        QCOMPARE(terravik(QStringLiteral("--version")).output,
                 QByteArray("terravik " TERRAVIK_VERSION "\n"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_cli.moc"
