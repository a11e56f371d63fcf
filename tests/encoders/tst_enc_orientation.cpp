// A picture's own orientation as ffprobe lists the side data of a decoded
// picture: the display matrix read from its escaped rows, to a turn and a
// mirror. The first two rows are copied from Debian's ffprobe 5.1 on clips
// whose H.264 stream carries the display-orientation message.

#include "encoders/core/OwnOrientation.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<encoder::Orientation>)

namespace {

// ffprobe's compact line for a picture with the matrix's first two rows.
QByteArray listingOf(qint64 a, qint64 b, qint64 c, qint64 d)
{
    const auto row = [](int offset, qint64 first, qint64 second, qint64 third) {
        return QByteArray("\\n0000000") + QByteArray::number(offset) + ":" +
               QByteArray::number(first).rightJustified(13) + QByteArray::number(second).rightJustified(12) +
               QByteArray::number(third).rightJustified(12);
    };
    return "frame|side_data|displaymatrix=" + row(0, a, b, 0) + row(1, c, d, 0) + row(2, 0, 0, 1073741824) +
           "\\n\nside_data|\n\n";
}

} // namespace

class TestOwnOrientation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheMatrix_data()
    {
        using encoder::Orientation;
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<std::optional<Orientation>>("orientation");
        QTest::newRow("turned a quarter counterclockwise")
            << QByteArray("frame|side_data|displaymatrix=\\n00000000:            0      -65536           0\\n00000001:"
                          "        65536           0           0\\n00000002:            0           0  1073741824\\n"
                          "\nside_data|\n\n")
            << std::optional(Orientation{270, false});
        QTest::newRow("turned a quarter and mirrored")
            << QByteArray("frame|side_data|displaymatrix=\\n00000000:            0       65536           0\\n00000001:"
                          "        65536           0           0\\n00000002:            0           0  1073741824\\n"
                          "\nside_data|\n\n")
            << std::optional(Orientation{90, true});
        QTest::newRow("upright") << listingOf(65536, 0, 0, 65536) << std::optional(Orientation{0, false});
        QTest::newRow("turned a quarter clockwise")
            << listingOf(0, 65536, -65536, 0) << std::optional(Orientation{90, false});
        QTest::newRow("upside down") << listingOf(-65536, 0, 0, -65536) << std::optional(Orientation{180, false});
        QTest::newRow("mirrored") << listingOf(-65536, 0, 0, 65536) << std::optional(Orientation{0, true});
        QTest::newRow("upside down, mirrored")
            << listingOf(65536, 0, 0, -65536) << std::optional(Orientation{180, true});
        QTest::newRow("scaled twice") << listingOf(0, -131072, 131072, 0) << std::optional(Orientation{270, false});
        QTest::newRow("a few degrees off a quarter")
            << listingOf(3000, -65467, 65467, 3000) << std::optional(Orientation{270, false});
        QTest::newRow("turns nothing") << listingOf(0, 0, 0, 0) << std::optional(Orientation{0, false});
        QTest::newRow("after other side data") << "frame|side_data|side_data_type=H.26[45] User Data Unregistered "
                                                  "SEI message|" +
                                                      listingOf(0, -65536, 65536, 0).mid(16)
                                               << std::optional(Orientation{270, false});

        const std::optional<Orientation> none;
        QTest::newRow("a picture without a matrix") << QByteArray("frame|side_data|\n\n") << none;
        QTest::newRow("no picture") << QByteArray() << none;
        QTest::newRow("rows cut short")
            << QByteArray("frame|side_data|displaymatrix=\\n00000000:            0      -65536           0\\n") << none;
        QTest::newRow("not numbers")
            << QByteArray("frame|side_data|displaymatrix=\\n00000000:   a  b  c\\n00000001:  d  e  f\\n00000002: g h i")
            << none;
    }

    void readsTheMatrix()
    {
        QFETCH(QByteArray, listing);
        QFETCH(std::optional<encoder::Orientation>, orientation);
        const std::optional<encoder::Orientation> read =
            encoder::readOwnOrientation(std::string_view(listing.constData(), size_t(listing.size())));
        QCOMPARE(read.has_value(), orientation.has_value());
        if (read) {
            QCOMPARE(read->clockwise, orientation->clockwise);
            QCOMPARE(read->mirrored, orientation->mirrored);
        }
    }
};

QTEST_GUILESS_MAIN(TestOwnOrientation)
#include "tst_enc_orientation.moc"
