#include "transfer/knownhosts.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <curl/curl.h>

using namespace KnownHosts;

// Keys made with ssh-keygen; the hashed lines are ssh-keygen -H of "[news.example.org]:2222 ssh-ed25519 A"
// and "news.example.org ecdsa-sha2-nistp256 E".
static const QByteArray A = "AAAAC3NzaC1lZDI1NTE5AAAAINY7dbIftNox02EJUW9lt+UMdkHxwAxwsjenfLWHEgET";
static const QByteArray B = "AAAAC3NzaC1lZDI1NTE5AAAAICSlbol1j9v0JAhCHcxjTyPY+mYzIPEPe5zEVsCgZgP6";
static const QByteArray E = "AAAAE2VjZHNhLXNoYTItbmlzdHAyNTYAAAAIbmlzdHAyNTYAAABBBP/Ftxn6/q/MqJ2IqasziTQrLdZ1Jf+fDYJT1EHn"
                            "+iqNuQQ09gX6W+BscxJ3ItG8M63/k15H2MttMaiyekvbV3Y=";
static const QByteArray E2 = "AAAAE2VjZHNhLXNoYTItbmlzdHAyNTYAAAAIbmlzdHAyNTYAAABBBH9rfclbUFYEEd2cJh3SSHzdqfX1QqY2/Ym1LBScxzLd"
                          "1qqxOMOkF7Y4AgtCgcjblLKST/0hTJbsTvfeul1FeEw=";
static const QByteArray HashedA = "|1|8avmOOaeat8hqimWXXExdV56bEI=|SwFGiJUzpabHh90yHRGyjVcnmX4= ssh-ed25519 " + A;
static const QByteArray HashedE = "|1|EADweFAOU58PkypNLgGb0QJ1KzM=|LDhzUTHEf0jjTw9ebd7YCSQHZ4U= ecdsa-sha2-nistp256 " + E;

// ssh-keygen -t rsa -b 1024, and ssh-keygen -H of "news.example.org ssh-rsa R" and "news.example.org ssh-ed25519 A".
static const QByteArray R = "AAAAB3NzaC1yc2EAAAADAQABAAAAgQDAifxqQBqBJiwI0n4/zim97WzlFhHAUK4h6vrLARN8Y26CFj6R3YOwS+iZMX8rPtYA"
                            "Zc/A0xbzpAKXsFsHFiKocnKBSxAclzJfhA2ieVDg0ifI870SAZjOMs3imyPzM8BV+/yg72iwXNu81PgZWqfhs0qov2ej74"
                            "KMGNj0vFCR5w==";
static const QByteArray HashedR = "|1|er1ZaTylc/jP6kquiySRDahOQjU=|bkH5zToBo+uRu9WbR9ChN6XAEs8= ssh-rsa " + R;
static const QByteArray HashedA22 = "|1|0q+xswO4IHyOc4cV6hJ7dfprScY=|BEwXg7xFUF+TTrGL6zwWBJMkSk4= ssh-ed25519 " + A;

static const QString Ed = QStringLiteral("ssh-ed25519");
static const QString Ec = QStringLiteral("ecdsa-sha2-nistp256");

class TestKnownHosts : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void offered_data();
    void offered();
    void keyTypes_data();
    void keyTypes();
    void append_data();
    void append();
};

void TestKnownHosts::check_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("status");

    const QByteArray scanned = "[news.example.org]:2222 ssh-ed25519 " + A;
    QTest::newRow("keyscan line") << scanned << "news.example.org" << 2222 << Ed << A << int(Match);
    QTest::newRow("key changed") << scanned << "news.example.org" << 2222 << Ed << B << int(Mismatch);
    QTest::newRow("other port") << scanned << "news.example.org" << 2223 << Ed << B << int(Unknown);
    QTest::newRow("portless line is port 22") << "news.example.org ssh-ed25519 " + A << "news.example.org" << 2222 << Ed
                                              << A << int(Unknown);
    QTest::newRow("port 22 has no brackets") << "news.example.org ssh-ed25519 " + A << "news.example.org" << 22 << Ed
                                             << A << int(Match);
    QTest::newRow("only other types known") << "news.example.org ecdsa-sha2-nistp256 " + E << "news.example.org" << 22
                                            << Ed << A << int(Unknown);
    QTest::newRow("names ignore case") << "News.Example.ORG ssh-ed25519 " + A << "news.EXAMPLE.org" << 22 << Ed << A
                                       << int(Match);
    QTest::newRow("second of a name list") << "mirror.example.org,192.0.2.7 ssh-ed25519 " + B << "192.0.2.7" << 22 << Ed
                                           << A << int(Mismatch);
    QTest::newRow("wildcards") << "*.example.org,news?.example.net ssh-ed25519 " + A << "news1.example.net" << 22 << Ed
                               << A << int(Match);
    QTest::newRow("wildcard needs its dot") << "*.example.org ssh-ed25519 " + A << "example.org" << 22 << Ed << B
                                            << int(Unknown);
    QTest::newRow("negation wins") << "*.example.org,!www.example.org ssh-ed25519 " + A << "www.example.org" << 22 << Ed
                                   << B << int(Unknown);
    QTest::newRow("IPv6 with port") << "[::1]:2222 ssh-ed25519 " + A << "::1" << 2222 << Ed << A << int(Match);
    QTest::newRow("hashed with port") << HashedA << "news.example.org" << 2222 << Ed << A << int(Match);
    QTest::newRow("hashed, key changed") << HashedA << "NEWS.example.org" << 2222 << Ed << B << int(Mismatch);
    QTest::newRow("hashed, other port") << HashedA << "news.example.org" << 22 << Ed << B << int(Unknown);
    QTest::newRow("hashed ECDSA on 22") << HashedE << "news.example.org" << 22 << Ec << E << int(Match);
    QTest::newRow("one line with the key is enough") << "news.example.org ssh-ed25519 " + B + "\nnews.example.org ssh-ed25519 " + A
                                                     << "news.example.org" << 22 << Ed << B << int(Match);
    QTest::newRow("revoked key") << "news.example.org ssh-ed25519 " + B + "\n@revoked * ssh-ed25519 " + B
                                 << "news.example.org" << 22 << Ed << B << int(Revoked);
    QTest::newRow("revoked elsewhere") << "@revoked other.example.org ssh-ed25519 " + B << "news.example.org" << 22 << Ed
                                       << B << int(Unknown);
    QTest::newRow("CA key vouches for no plain key") << "@cert-authority *.example.org ssh-ed25519 " + A
                                                     << "news.example.org" << 22 << Ed << B << int(Unknown);
    QTest::newRow("comments, blanks, tabs, CRLF, trailing comment")
        << "# ssh-keyscan news.example.org\r\n\r\n   \n\tnews.example.org\tssh-ed25519  " + A + "  editor@desk\r\n"
        << "news.example.org" << 22 << Ed << A << int(Match);
    // Each line, read as a key, would be a changed one.
    QTest::newRow("malformed lines prove nothing")
        << "news.example.org ecdsa-sha2-nistp256\nnews.example.org ecdsa-sha2-nistp256 !!!!\n"
           "news.example.org ecdsa-sha2-nistp256 " + A + "\n@unknown-marker news.example.org ecdsa-sha2-nistp256 " + E2
        << "news.example.org" << 22 << Ec << E << int(Unknown);
}

void TestKnownHosts::check()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, type);
    QFETCH(QByteArray, key);
    QFETCH(int, status);
    QCOMPARE(int(KnownHosts::check(parse(file), host, port, type, QByteArray::fromBase64(key))), status);
}

// Offered strongest first, whatever the file's order: a type the server lacks costs a handshake.
void TestKnownHosts::offered_data()
{
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("RSA, ECDSA, Ed25519") << "news.example.org ssh-rsa " + R + "\nnews.example.org " + Ec.toLatin1() + " "
                                                + E + "\nnews.example.org ssh-ed25519 " + A + "\n";
    QTest::newRow("the same, hashed") << HashedR + "\n" + HashedE + "\n" + HashedA22 + "\n";
}

void TestKnownHosts::offered()
{
    QFETCH(QByteArray, file);
    QStringList types;
    for (const Entry &entry : keysToOffer(parse(file), "news.example.org", 22))
        types << entry.keyType;
    QCOMPARE(types, (QStringList{Ed, Ec, "ssh-rsa"}));
}

void TestKnownHosts::keyTypes_data()
{
    QTest::addColumn<int>("curlType");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fingerprint"); // as ssh-keygen -lf prints it

    QTest::newRow("Ed25519") << int(CURLKHTYPE_ED25519) << A << Ed << "SHA256:IGJsfxcywlER9eEiMrzvf3OABUjPnR6IuW540piQXXQ";
    QTest::newRow("ECDSA P-256") << int(CURLKHTYPE_ECDSA) << E << Ec << "SHA256:AngrCRdJaC7JPpOmTb7V2KeZe6kYufacsatSFs9YVM4";
    QTest::newRow("ECDSA claimed for an Ed25519 blob") << int(CURLKHTYPE_ECDSA) << A << QString() << QString();
    QTest::newRow("RSA") << int(CURLKHTYPE_RSA) << QByteArray() << "ssh-rsa" << QString();
    QTest::newRow("DSS") << int(CURLKHTYPE_DSS) << QByteArray() << "ssh-dss" << QString();
    QTest::newRow("RSA1 has no SSH-2 name, nor has an unknown type") << int(CURLKHTYPE_RSA1) << QByteArray() << QString() << QString();
}

void TestKnownHosts::keyTypes()
{
    QFETCH(int, curlType);
    QFETCH(QByteArray, key);
    QFETCH(QString, name);
    QFETCH(QString, fingerprint);
    const QByteArray blob = QByteArray::fromBase64(key);
    QCOMPARE(keyTypeName(curlType, blob), name);
    if (!name.isEmpty())
        QCOMPARE(curlKeyType(name), curlType);
    if (!fingerprint.isEmpty())
        QCOMPARE(KnownHosts::fingerprint(blob), fingerprint);
}

void TestKnownHosts::append_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("after");

    const QByteArray other = "other.example.org ssh-ed25519 " + B;
    QTest::newRow("no file yet, port 22") << false << QByteArray() << 22 << "news.example.org ssh-ed25519 " + A + "\n";
    QTest::newRow("empty file, own port") << true << QByteArray() << 2222
                                          << "[news.example.org]:2222 ssh-ed25519 " + A + "\n";
    QTest::newRow("kept lines") << true << other + "\n" << 2222
                                << other + "\n[news.example.org]:2222 ssh-ed25519 " + A + "\n";
    QTest::newRow("last line without its end") << true << other << 2222
                                               << other + "\n[news.example.org]:2222 ssh-ed25519 " + A + "\n";
    // The file a link points to is read, and left as it was.
    QTest::newRow("a symbolic link") << true << other + "\n" << 22 << other + "\nnews.example.org ssh-ed25519 " + A + "\n";
}

void TestKnownHosts::append()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(int, port);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("known_hosts");
    const bool linked = QTest::currentDataTag() == QLatin1String("a symbolic link");
    const QString target = linked ? dir.filePath("shared_hosts") : path;
    if (linked)
        QVERIFY(QFile::link(target, path));
    if (exists) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(before), before.size());
    }

    QString error;
    QVERIFY(KnownHosts::append(path, line("News.Example.org", port, Ed, QByteArray::fromBase64(A)), &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after);
    QVERIFY(!QFileInfo(path).isSymLink());
    QFile original(target);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), linked ? before : after);

    // OpenSSH finds the line under the name ssh looks up for that port.
    QProcess keygen;
    keygen.start("ssh-keygen", {"-F", port == 22 ? "news.example.org" : QString("[news.example.org]:%1").arg(port), "-f", path});
    QVERIFY(keygen.waitForFinished(10000));
    QCOMPARE(keygen.exitCode(), 0);
    QVERIFY(keygen.readAllStandardOutput().contains(A));

    QVERIFY(!KnownHosts::append(dir.filePath("missing/known_hosts"), "x", &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestKnownHosts)
#include "tst_knownhosts.moc"
