#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <optional>

namespace tavrin {

// Reads the binary form of a property list ("bplist00") into canonical values
// (see PlistCodec): whole-second UTC dates, integers clamped to 64 signed
// bits; sets read as arrays; identifiers and nulls, which a settings value
// cannot hold, are left out of their container.
//
// Every offset and count is checked against the data. Refused, with the
// reason: containers nested deeper than `maxDepth` (which also ends a
// container that holds itself), a NUL character in a string or key, a key
// that is not a string, a date outside the years 1 to 9999, and objects
// shared so often that reading them would make more values than the data
// has bytes.
class PlistBinaryReader {
public:
    // `lossy` (when given) is set when some text was no valid UTF-8 or UTF-16
    // and was read with replacement characters.
    static std::optional<QVariant> read(QByteArrayView data, int maxDepth, QString* why = nullptr,
                                        bool* lossy = nullptr);

private:
    PlistBinaryReader(QByteArrayView data, int maxDepth) : data_(data), maxDepth_(maxDepth), budget_(data.size()) {}

    bool trailer();
    // An invalid QVariant stands for a value that is left out.
    std::optional<QVariant> object(quint64 ref, int depth);
    std::optional<QVariant> scalar(quint8 marker, qsizetype at);
    std::optional<QVariant> container(quint8 marker, qsizetype at, int depth);
    std::optional<QString> string(quint64 ref);
    std::optional<QString> stringAt(quint8 marker, qsizetype at);
    // The bytes of the data object marked at `at`; none, with the reason, when it is cut short.
    std::optional<QVariant> dataAt(quint8 marker, qsizetype at);
    // The integer object at `at` (`low`: its marker's size bits), clamped to 64 signed bits; none if damaged.
    std::optional<qint64> integerAt(int low, qsizetype at) const;
    // The real object at `at` (`low`: its marker's size bits); none if damaged.
    std::optional<double> realAt(int low, qsizetype at) const;
    // The length of an object whose marker is at `at`, moving `at` to its
    // first byte after the length.
    std::optional<quint64> length(quint8 marker, qsizetype& at);
    std::optional<quint64> ref(qsizetype at) const;
    // Where object `ref` starts, one more value made; none past the budget or
    // outside the data.
    std::optional<qsizetype> locate(quint64 ref);
    // `size` bytes at `at`, big-endian, when they lie before the offset table.
    std::optional<quint64> number(qsizetype at, int size) const;
    bool fits(qsizetype at, quint64 count, quint64 width) const;
    std::nullopt_t fail(const QString& what);

    QByteArrayView data_;
    int maxDepth_;
    qsizetype budget_;
    int offsetSize_ = 0;
    int refSize_ = 0;
    quint64 objects_ = 0;
    quint64 top_ = 0;
    qsizetype table_ = 0;
    QString error_;
    bool lossy_ = false;
};

} // namespace tavrin
