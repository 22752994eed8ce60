#include "packet/docxpacket.h"

#include <memory>

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <zip.h>

#include "packet/packettext.h"
#include "packet/textpacket.h"

namespace packet {

namespace {

constexpr qsizetype chunkBytes = 64 * 1024;
constexpr qsizetype relationshipBytes = 1024 * 1024;

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct EntryCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Entry = std::unique_ptr<zip_file_t, EntryCloser>;

struct ZipError {
    zip_error_t error;
    ZipError() { zip_error_init(&error); }
    ~ZipError() { zip_error_fini(&error); }
    ZipError(const ZipError&) = delete;
    ZipError& operator=(const ZipError&) = delete;
    QString text() { return QString::fromLocal8Bit(zip_error_strerror(&error)); }
};

QString damaged(const QString& why) {
    return QStringLiteral("The Word document is damaged (%1).").arg(why);
}

QString tooLarge(const QString& why) {
    return QStringLiteral("The Word document is too large (%1).").arg(why);
}

// Opens the archive over the source; the source is the archive's from then
// on, or freed here when it is no zip at all.
Archive openArchive(zip_source_t* source, QString* error) {
    ZipError e;
    zip_t* z = zip_open_from_source(source, ZIP_RDONLY, &e.error);
    if (!z) {
        zip_source_free(source);
        // The callers saw a zip's first bytes: whatever libzip finds wrong
        // after them is damage.
        *error = damaged(QStringLiteral("its zip archive cannot be read: %1").arg(e.text()));
    }
    return Archive(z);
}

// Reads an entry in pieces, handing each to `take`; stops with an error when
// more than `limit` bytes come out, whatever the archive said of its size.
template <typename Take>
bool readEntry(zip_t* zip, zip_int64_t index, qsizetype limit, const QString& what, Take take,
               QString* error) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip, index, 0, &st) != 0) {
        *error = damaged(QStringLiteral("its %1 cannot be found").arg(what));
        return false;
    }
    if ((st.valid & ZIP_STAT_SIZE) && st.size > static_cast<zip_uint64_t>(limit)) {
        *error = tooLarge(QStringLiteral("its %1 unpacks to more than %2 MB")
                              .arg(what)
                              .arg(limit / (1024 * 1024)));
        return false;
    }
    Entry entry(zip_fopen_index(zip, index, 0));
    if (!entry) {
        const int code = zip_error_code_zip(zip_get_error(zip));
        *error = code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD
                     ? QStringLiteral(
                           "The Word document is protected by a password; save it "
                           "without one.")
                     : damaged(QStringLiteral("its %1 cannot be unpacked: %2")
                                   .arg(what, QString::fromLocal8Bit(zip_strerror(zip))));
        return false;
    }
    QByteArray chunk(chunkBytes, Qt::Uninitialized);
    qsizetype total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(entry.get(), chunk.data(), chunk.size());
        if (n < 0) {
            *error =
                damaged(QStringLiteral("its %1 cannot be unpacked: %2")
                            .arg(what, QString::fromLocal8Bit(zip_file_strerror(entry.get()))));
            return false;
        }
        if (n == 0) return true;
        total += n;
        if (total > limit) {
            *error = tooLarge(QStringLiteral("its %1 unpacks to more than %2 MB")
                                  .arg(what)
                                  .arg(limit / (1024 * 1024)));
            return false;
        }
        if (!take(QByteArray(chunk.constData(), n), error)) return false;
    }
}

bool isWordNamespace(QStringView uri) {
    return uri == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
           uri == u"http://purl.oclc.org/ooxml/wordprocessingml/main";
}

bool isOn(const QXmlStreamAttributes& attributes) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == u"val")
            return !(a.value() == u"0" || a.value() == u"false" || a.value() == u"off" ||
                     a.value() == u"none");
    }
    return true;
}

QStringView attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == name) return a.value();
    }
    return {};
}

struct Format {
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool sub = false;
    bool sup = false;
    bool operator==(const Format&) const = default;
};

// The document's paragraphs as lines of the field's text form, built as the
// XML comes in, so that only the text is ever held.
class DocumentLines {
public:
    DocumentLines(const PacketLimits& limits) : limits_(limits) {}

    bool feed(const QByteArray& data, QString* error) {
        xml_.addData(data);
        return pump(error);
    }

    bool finish(QString* error) {
        if (!pump(error)) return false;
        if (!xml_.isEndDocument() && !sawDocumentEnd_) {
            *error = damaged(QStringLiteral("its text ends part way"));
            return false;
        }
        return true;
    }

    std::vector<PacketLine> lines;

private:
    bool pump(QString* error) {
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::Invalid) break;
            if (token == QXmlStreamReader::EndDocument) sawDocumentEnd_ = true;
            if (token == QXmlStreamReader::StartElement) start();
            if (token == QXmlStreamReader::EndElement) end();
            if (token == QXmlStreamReader::Characters && inText_ && skipDepth_ == 0) {
                put(xml_.text().toString());
            }
            if (kept_ > limits_.jsonBytes) {
                *error = tooLarge(QStringLiteral("more than %1 MB of text")
                                      .arg(limits_.jsonBytes / (1024 * 1024)));
                return false;
            }
        }
        if (xml_.hasError() && xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            *error = damaged(QStringLiteral("its text cannot be read: %1 at line %2 of its XML")
                                 .arg(xml_.errorString())
                                 .arg(xml_.lineNumber()));
            return false;
        }
        return true;
    }

    void start() {
        if (skipDepth_ > 0) {
            ++skipDepth_;
            return;
        }
        const QStringView name = xml_.name();
        // Word writes some content twice, once for itself and once as a
        // fallback for older readers: read it once.
        if (name == u"Fallback" || (isWordNamespace(xml_.namespaceUri()) &&
                                    (name == u"instrText" || name == u"delText"))) {
            skipDepth_ = 1;
            return;
        }
        if (!isWordNamespace(xml_.namespaceUri())) return;
        const QXmlStreamAttributes attributes = xml_.attributes();
        if (name == u"p") {
            segments_.clear();
            listNumbered_ = false;
        } else if (name == u"numId") {
            listNumbered_ = attribute(attributes, u"val") != u"0";
        } else if (name == u"r") {
            inRun_ = true;
            format_ = {};
        } else if (name == u"rPr") {
            inRunProperties_ = inRun_;
        } else if (inRunProperties_) {
            if (name == u"b") format_.bold = isOn(attributes);
            if (name == u"i") format_.italic = isOn(attributes);
            if (name == u"u") format_.underline = isOn(attributes);
            if (name == u"vertAlign") {
                const QStringView v = attribute(attributes, u"val");
                format_.sup = v == u"superscript";
                format_.sub = v == u"subscript";
            }
        } else if (inRun_) {
            if (name == u"t") inText_ = true;
            if (name == u"tab") put(QStringLiteral(" "));
            if (name == u"noBreakHyphen") put(QStringLiteral("-"));
            if (name == u"br" || name == u"cr") endLine();
        }
    }

    void end() {
        if (skipDepth_ > 0) {
            --skipDepth_;
            return;
        }
        if (!isWordNamespace(xml_.namespaceUri())) return;
        const QStringView name = xml_.name();
        if (name == u"p") endLine();
        if (name == u"r") inRun_ = false;
        if (name == u"rPr") inRunProperties_ = false;
        if (name == u"t") inText_ = false;
    }

    void put(const QString& text) {
        kept_ += text.size();
        if (!segments_.empty() && segments_.back().second == format_)
            segments_.back().first += text;
        else
            segments_.emplace_back(text, format_);
    }

    void endLine() {
        QString line;
        for (const auto& [text, f] : segments_) {
            // Formatting on white space alone is no formatting a reader sees.
            if (text.trimmed().isEmpty()) {
                line += text;
                continue;
            }
            QString s = escapeText(text);
            if (f.sup) s = QStringLiteral("<sup>%1</sup>").arg(s);
            if (f.sub) s = QStringLiteral("<sub>%1</sub>").arg(s);
            if (f.italic) s = QStringLiteral("<i>%1</i>").arg(s);
            if (f.underline) s = QStringLiteral("<u>%1</u>").arg(s);
            if (f.bold) s = QStringLiteral("<b>%1</b>").arg(s);
            line += s;
        }
        // Runs split by the word processor at random leave "</b><b>" behind.
        static const QStringList tags{QStringLiteral("b"), QStringLiteral("u"), QStringLiteral("i"),
                                      QStringLiteral("sub"), QStringLiteral("sup")};
        for (const QString& t : tags)
            line.replace(QStringLiteral("</%1><%1>").arg(t), QString());
        lines.push_back({line, ++lineCount_, listNumbered_});
        listNumbered_ = false;  // the paragraph's next lines are not new items
        segments_.clear();
    }

    const PacketLimits& limits_;
    QXmlStreamReader xml_;
    std::vector<std::pair<QString, Format>> segments_;
    Format format_;
    int skipDepth_ = 0;
    bool inRun_ = false;
    bool inRunProperties_ = false;
    bool inText_ = false;
    bool listNumbered_ = false;
    bool sawDocumentEnd_ = false;
    int lineCount_ = 0;
    qsizetype kept_ = 0;
};

// Where the package keeps its main document: named by the package's
// relationships, word/document.xml when they do not say.
QString mainDocumentName(zip_t* zip, const PacketLimits& limits) {
    QString fallback = QStringLiteral("word/document.xml");
    const zip_int64_t index = zip_name_locate(zip, "_rels/.rels", ZIP_FL_NOCASE);
    if (index < 0) return fallback;
    QByteArray rels;
    QString ignored;
    const bool ok = readEntry(
        zip, index, std::min(relationshipBytes, limits.documentBytes),
        QStringLiteral("relationships"),
        [&rels](const QByteArray& chunk, QString*) {
            rels += chunk;
            return true;
        },
        &ignored);
    if (!ok) return fallback;
    QXmlStreamReader xml(rels);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (!a.value(QStringLiteral("Type")).endsWith(u"/officeDocument")) continue;
        QString target = a.value(QStringLiteral("Target")).toString();
        while (target.startsWith(u'/'))
            target.remove(0, 1);
        return target.isEmpty() ? fallback : target;
    }
    return fallback;
}

PacketRead readArchive(Archive archive, const PacketLimits& limits) {
    PacketRead read;
    zip_t* zip = archive.get();
    const zip_int64_t entries = zip_get_num_entries(zip, 0);
    if (entries > limits.zipEntries) {
        read.error =
            tooLarge(QStringLiteral("more than %1 files in its archive").arg(limits.zipEntries));
        return read;
    }
    const QString name = mainDocumentName(zip, limits);
    const zip_int64_t index = zip_name_locate(zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) {
        read.error = QStringLiteral("The file is a zip archive but not a Word document (.docx).");
        return read;
    }
    DocumentLines document(limits);
    QString error;
    const bool ok = readEntry(
        zip, index, limits.documentBytes, QStringLiteral("text"),
        [&document](const QByteArray& chunk, QString* e) { return document.feed(chunk, e); },
        &error);
    if (!ok || !document.finish(&error)) {
        read.error = error;
        return read;
    }
    return readPacketLines(document.lines, limits);
}

}  // namespace

bool looksLikeZip(const QByteArray& head) {
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
}

bool looksLikeOldWord(const QByteArray& head) {
    return head.startsWith("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1");
}

namespace {

PacketRead notWord(const QByteArray& head) {
    PacketRead read;
    read.error = looksLikeOldWord(head)
                     ? QStringLiteral(
                           "The file is an older Word document (.doc) or a protected "
                           "one; save it in the word processor as .docx.")
                     : QStringLiteral("The file is not a Word document (.docx).");
    return read;
}

}  // namespace

PacketRead readDocxPacket(const QByteArray& bytes, const PacketLimits& limits) {
    if (!looksLikeZip(bytes.left(4))) return notWord(bytes.left(8));
    if (bytes.size() > limits.fileBytes) {
        PacketRead read;
        read.error =
            tooLarge(QStringLiteral("more than %1 MB").arg(limits.fileBytes / (1024 * 1024)));
        return read;
    }
    ZipError e;
    zip_source_t* source = zip_source_buffer_create(bytes.constData(), bytes.size(), 0, &e.error);
    PacketRead read;
    if (!source) {
        read.error = damaged(e.text());
        return read;
    }
    Archive archive = openArchive(source, &read.error);
    if (!archive) return read;
    return readArchive(std::move(archive), limits);
}

PacketRead readDocxPacketFile(const QString& path, const PacketLimits& limits) {
    PacketRead read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = QStringLiteral("The file could not be opened: %1.").arg(file.errorString());
        return read;
    }
    const QByteArray head = file.read(8);
    if (!looksLikeZip(head)) return notWord(head);
    if (file.size() > limits.fileBytes) {
        read.error =
            tooLarge(QStringLiteral("more than %1 MB").arg(limits.fileBytes / (1024 * 1024)));
        return read;
    }
    file.close();
    ZipError e;
    zip_source_t* source =
        zip_source_file_create(QFile::encodeName(path).constData(), 0, -1, &e.error);
    if (!source) {
        read.error = QStringLiteral("The file could not be opened: %1.").arg(e.text());
        return read;
    }
    Archive archive = openArchive(source, &read.error);
    if (!archive) return read;
    read = readArchive(std::move(archive), limits);
    if (read.packet && read.packet->name.isEmpty())
        read.packet->name = QFileInfo(path).completeBaseName();
    return read;
}

}  // namespace packet
