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
                                              "ending in .png, .r16, .asc, .obj or .terravik");
        QTest::newRow("generator") << "--export w.png --generator hills --seed a --size 9x9" << 2
                                   << QByteArray("--generator hills is not a generator");
        QTest::newRow("no seed") << "--export w.png --generator peaks --size 9x9" << 2
                                 << QByteArray("give either --seed TEXT or --clock-seed");
        QTest::newRow("width") << "--export w.png --generator peaks --seed a --size 4097x9" << 2
                               << QByteArray("--size 4097x9: give WxL");
        QTest::newRow("length") << "--export w.png --generator peaks --seed a --size 9x4097" << 2
                                << QByteArray("--size 9x4097: give WxL");
        // The option's value given twice, or empty, among the others' values.
        const auto othersThan = [&](const char* option) {
            return QString(world + "--export w.png ")
                .remove(QRegularExpression(QStringLiteral("--%1 \\S+ ").arg(option)));
        };
        for (const char* option : {"export", "world", "generator", "seed", "size"}) {
            QTest::addRow("two --%s", option)
                << othersThan(option) + QStringLiteral("--%1 x --%1 x").arg(option) << 2
                << "--" + QByteArray(option) + " is given more than once: give it once";
        }
        for (const char* option : {"export", "world", "generator", "size", "filter", "drop"}) {
            QTest::addRow("empty --%s", option)
                << othersThan(option) + "--" + option + " ''" << 2
                << "--" + QByteArray(option) + " needs a value, not an empty text";
        }
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
        const Run help = terravik(QStringLiteral("--help"));
        QVERIFY(help.status == 0 && help.output.contains("--export <file>"));
        QCOMPARE(terravik(QStringLiteral("--version")).output,
                 QByteArray("terravik " TERRAVIK_VERSION "\n"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_cli.moc"
