// Checks the generated pictures, icon and font as the program sees them: through the resources
// that pelmora_assets links in (no Q_INIT_RESOURCE here on purpose). The formats are read from
// the bytes, because Qt's readers accept far more than the window is allowed to ship.

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRawFont>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// Encoded in both QR codes; the same address as the site link in links/addresses.h.
const QString siteAddress = QStringLiteral("https://www.vastrel.example/");

QByteArray readResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint16 bigEndian16(const QByteArray& bytes, qsizetype at) {
    return quint16((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}

quint32 littleEndian(const QByteArray& bytes, qsizetype at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

struct JpegLayout {
    bool jfifFirst = false; // APP0 "JFIF\0" straight after the start-of-image marker
    int frameMarker = 0;    // 0xC0 baseline, 0xC2 progressive, ...
    int width = 0;
    int height = 0;
};

// Walks the marker segments up to the first start-of-frame.
std::optional<JpegLayout> jpegLayout(const QByteArray& bytes) {
    if (bytes.size() < 4 || quint8(bytes[0]) != 0xFF || quint8(bytes[1]) != 0xD8)
        return std::nullopt;
    JpegLayout layout;
    qsizetype at = 2;
    bool first = true;
    while (at + 4 <= bytes.size()) {
        if (quint8(bytes[at]) != 0xFF)
            return std::nullopt;
        const int marker = quint8(bytes[at + 1]);
        const int length = bigEndian16(bytes, at + 2);
        if (length < 2 || at + 2 + length > bytes.size())
            return std::nullopt;
        const qsizetype body = at + 4;
        if (first)
            layout.jfifFirst = marker == 0xE0 && bytes.mid(body, 5) == QByteArray("JFIF\0", 5);
        first = false;
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (length < 7)
                return std::nullopt;
            layout.frameMarker = marker;
            layout.height = bigEndian16(bytes, body + 1);
            layout.width = bigEndian16(bytes, body + 3);
            return layout;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

struct IconEntry {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0; // from the image's own header, which is what a reader goes by
    bool png = false;
};

std::optional<QList<IconEntry>> iconEntries(const QByteArray& bytes) {
    if (bytes.size() < 6 || littleEndian(bytes, 0, 2) != 0 || littleEndian(bytes, 2, 2) != 1)
        return std::nullopt;
    const int count = int(littleEndian(bytes, 4, 2));
    if (bytes.size() < 6 + 16 * count)
        return std::nullopt;
    QList<IconEntry> entries;
    for (int i = 0; i < count; ++i) {
        const qsizetype dir = 6 + 16 * i;
        const quint32 size = littleEndian(bytes, dir + 8, 4);
        const quint32 offset = littleEndian(bytes, dir + 12, 4);
        if (offset > quint32(bytes.size()) || size > quint32(bytes.size()) - offset || size < 40)
            return std::nullopt;
        const QByteArray image = bytes.mid(offset, size);
        IconEntry entry;
        entry.width = quint8(bytes[dir]) == 0 ? 256 : quint8(bytes[dir]);
        entry.height = quint8(bytes[dir + 1]) == 0 ? 256 : quint8(bytes[dir + 1]);
        if (image.startsWith("\x89PNG\r\n\x1a\n")) {
            // IHDR: bit depth per channel and colour type (6 = RGBA, 3 = palette).
            entry.png = true;
            const int depth = quint8(image[24]);
            const int colourType = quint8(image[25]);
            entry.bitsPerPixel = colourType == 6 ? depth * 4 : colourType == 2 ? depth * 3 : depth;
        } else {
            // BITMAPINFOHEADER; its height counts the colour rows and the mask rows.
            if (littleEndian(image, 0, 4) != 40 || int(littleEndian(image, 4, 4)) != entry.width ||
                int(littleEndian(image, 8, 4)) != 2 * entry.height)
                return std::nullopt;
            entry.bitsPerPixel = int(littleEndian(image, 14, 2));
        }
        entries.append(entry);
    }
    return entries;
}

} // namespace

class AssetsTest : public QObject {
    Q_OBJECT

  private slots:
    void jpegs_data();
    void jpegs();
    void qrCodesDecode_data();
    void qrCodesDecode();
    void iconFile();
    void iconPngs_data();
    void iconPngs();
    void fontCoversWindowTexts();
};

void AssetsTest::jpegs_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("banner") << ":/assets/banner.jpg" << QSize(354, 78);
    QTest::newRow("qr-small") << ":/assets/qr-small.jpg" << QSize(129, 129);
    QTest::newRow("qr-large") << ":/assets/qr-large.jpg" << QSize(258, 258);
}

void AssetsTest::jpegs() {
    QFETCH(QString, path);
    QFETCH(QSize, size);

    const QByteArray bytes = readResource(path);
    QVERIFY2(!bytes.isEmpty(), qPrintable(path));
    const auto layout = jpegLayout(bytes);
    QVERIFY2(layout, "not a readable JPEG marker sequence");
    QVERIFY2(layout->jfifFirst, "no JFIF APP0 header right after SOI");
    QCOMPARE(layout->frameMarker, 0xC0); // baseline; 0xC2 would be progressive
    QCOMPARE(QSize(layout->width, layout->height), size);

    const QImage image(path);
    QCOMPARE(image.size(), size);
}

void AssetsTest::qrCodesDecode_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("small") << ":/assets/qr-small.jpg";
    QTest::newRow("large") << ":/assets/qr-large.jpg";
}

void AssetsTest::qrCodesDecode() {
    QFETCH(QString, path);
    const QString zbarimg = QStandardPaths::findExecutable("zbarimg");
    if (zbarimg.isEmpty())
        QSKIP("zbarimg (Debian package zbar-tools) is not installed");

    // zbarimg reads files, not resources.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString copy = dir.filePath("qr.jpg");
    QVERIFY(QFile::copy(path, copy));

    QProcess zbar;
    zbar.start(zbarimg, {"--quiet", "--raw", copy});
    QVERIFY(zbar.waitForFinished(30000));
    QCOMPARE(zbar.exitStatus(), QProcess::NormalExit);
    QCOMPARE(zbar.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), siteAddress);
}

void AssetsTest::iconFile() {
    const QByteArray bytes = readResource(":/assets/pelmora.ico");
    const auto entries = iconEntries(bytes);
    QVERIFY2(entries, "not a well-formed icon file");

    struct Expected {
        int size;
        int bitsPerPixel;
    };
    const Expected expected[] = {{24, 8}, {128, 32}, {48, 32}, {24, 32}};
    QCOMPARE(entries->size(), qsizetype(std::size(expected)));
    for (qsizetype i = 0; i < entries->size(); ++i) {
        const IconEntry& entry = entries->at(i);
        const QByteArray where = "image " + QByteArray::number(i);
        QVERIFY2(entry.width == expected[i].size && entry.height == expected[i].size, where);
        QVERIFY2(entry.bitsPerPixel == expected[i].bitsPerPixel, where);
    }

    // And Qt reads all four, which is how the window gets its icon.
    QImageReader reader(":/assets/pelmora.ico");
    QCOMPARE(reader.imageCount(), 4);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QCOMPARE(image.size(), QSize(expected[i].size, expected[i].size));
        // The tile has rounded corners: transparent in every image, the 8-bit one included.
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).alpha(), 255);
    }
}

void AssetsTest::iconPngs_data() {
    QTest::addColumn<int>("size");
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("%d", size) << size;
}

void AssetsTest::iconPngs() {
    QFETCH(int, size);
    const QImage image(QStringLiteral(":/assets/icon-%1.png").arg(size));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // Rounded corners; at 16 px the corner pixel keeps a trace of anti-aliasing.
    QVERIFY(image.pixelColor(0, 0).alpha() < 16);
    QCOMPARE(image.pixelColor(size / 2, size / 2).alpha(), 255);
}

void AssetsTest::fontCoversWindowTexts() {
    QFile charsFile(PELMORA_CHARS_FILE);
    QVERIFY2(charsFile.open(QIODevice::ReadOnly), PELMORA_CHARS_FILE);
    QString chars = QString::fromUtf8(charsFile.readAll());
    chars.remove(u'\n');
    QVERIFY(chars.size() > 200);

    const int id = QFontDatabase::addApplicationFont(":/fonts/PelmoraSong.otf");
    QVERIFY2(id != -1, "the bundled font does not register");
    QVERIFY(QFontDatabase::applicationFontFamilies(id).contains("Pelmora Song"));
    // Counted as a Latin face, Qt loads each size once for digits and Chinese alike.
    QVERIFY(QFontDatabase::writingSystems("Pelmora Song").contains(QFontDatabase::Latin));

    const QRawFont font(readResource(":/fonts/PelmoraSong.otf"), 12);
    QVERIFY(font.isValid());
    QString missing;
    for (const char32_t c : chars.toUcs4())
        if (!font.supportsCharacter(c))
            missing += QString::fromUcs4(&c, 1);
    QVERIFY2(missing.isEmpty(), qPrintable("not in the font: " + missing));
    // A subset, not the whole face: anything else a user pastes falls back to the system's fonts.
    QVERIFY(!font.supportsCharacter(U'龍'));
}

QTEST_MAIN(AssetsTest)
#include "assets_test.moc"
