#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <optional>

namespace tavrin {

// Reads the XML form of a property list into canonical values (see
// PlistCodec): whole-second UTC dates, integers clamped to 64 signed bits.
//
// As lenient as the files of common writers need — any prolog, comments,
// processing instructions, a document type, attributes, CDATA, character
// references, raw control characters in text — and strict about the rest:
// text that is cut short or malformed, containers nested deeper than
// `maxDepth`, a NUL character in a string or key, or a number, date or data
// block that does not read as one is refused, with the line it fails on.
// Never recurses deeper than `maxDepth` and never reads past `xml`.
class PlistXmlReader {
public:
    // `lossy` (when given) is set when some text was no valid UTF-8 and was
    // read with replacement characters.
    static std::optional<QVariant> read(QByteArrayView xml, int maxDepth, QString* why = nullptr,
                                        bool* lossy = nullptr);

private:
    // A tag as it stands in `xml_`: nothing is copied out of the text but
    // the values themselves.
    struct Tag {
        QByteArrayView name;
        bool closing = false;
        bool empty = false; // <name/>
    };

    PlistXmlReader(QByteArrayView xml, int maxDepth) : xml_(xml), maxDepth_(maxDepth) {}

    std::optional<QVariant> document();
    std::optional<QVariant> value(int depth);
    std::optional<QVariant> container(const Tag& tag, int depth);
    std::optional<QVariant> scalar(const Tag& tag);
    // The element's text: a view into `xml_` when it holds no markup, else
    // into `scratch_` (valid until the next call).
    std::optional<QByteArrayView> text(const Tag& tag);
    QString string(QByteArrayView utf8);
    bool entity(QByteArray& out);
    std::optional<Tag> tag();
    bool closingTag(QByteArrayView name);
    bool skipMarkup();
    bool skipPast(QByteArrayView end, const char* what);
    bool skipDoctype();
    void skipSpace();
    bool at(QByteArrayView s) const { return xml_.sliced(pos_).startsWith(s); }
    bool atEnd() const { return pos_ >= xml_.size(); }
    std::nullopt_t fail(const QString& what);

    QByteArrayView xml_;
    qsizetype pos_ = 0;
    int maxDepth_;
    QString error_;
    bool lossy_ = false;
    QByteArray scratch_;
};

} // namespace tavrin
