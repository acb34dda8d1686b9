#include "output/FrameFacts.h"

#include <libexif/exif-data.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kadrel {

namespace {

struct ExifDataUnref {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

QString timeText(const FrameFacts& facts)
{
    return QStringLiteral("%1 s (%2)").arg(QString::number(facts.seconds, 'g', 12), facts.clock);
}

QString description(const FrameFacts& facts)
{
    return QStringLiteral("%1, frame %2, %3")
        .arg(facts.source, QString::number(facts.frame), timeText(facts));
}

// An ASCII entry of the IFD holding text and its closing NUL.
void addText(ExifData* exif, ExifIfd ifd, ExifTag tag, const QByteArray& text)
{
    ExifMem* memory = exif_mem_new_default();
    ExifEntry* entry = exif_entry_new_mem(memory);
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(memory, text.size() + 1));
    if (entry->data) {
        std::memcpy(entry->data, text.constData(), text.size() + 1);
        entry->size = static_cast<unsigned int>(text.size() + 1);
        entry->components = entry->size;
        entry->format = EXIF_FORMAT_ASCII;
        entry->tag = tag;
        exif_content_add_entry(exif->ifd[ifd], entry);
    }
    exif_entry_unref(entry);
    exif_mem_unref(memory);
}

}  // namespace

QDateTime recordedAt(const FrameFacts& facts)
{
    QDateTime start = QDateTime::fromString(facts.recorded, Qt::ISODateWithMs);
    if (!start.isValid())
        return {};
    return start.toUTC().addMSecs(std::llround(facts.seconds * 1000.0));
}

std::vector<std::pair<QByteArray, QString>> factTexts(const FrameFacts& facts)
{
    std::vector<std::pair<QByteArray, QString>> texts{
        {"Source", facts.source},
        {"Frame", QString::number(facts.frame)},
        {"Time", timeText(facts)}};
    if (const QDateTime at = recordedAt(facts); at.isValid())
        texts.emplace_back("Creation Time", at.toString(Qt::ISODateWithMs));
    return texts;
}

QByteArray exifBlock(const FrameFacts& facts)
{
    const std::unique_ptr<ExifData, ExifDataUnref> exif(exif_data_new());
    if (!exif)
        return {};
    exif_data_set_byte_order(exif.get(), EXIF_BYTE_ORDER_INTEL);
    addText(exif.get(), EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION, description(facts).toUtf8());
    if (const QDateTime at = recordedAt(facts); at.isValid()) {
        addText(exif.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL,
                at.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1());
        addText(exif.get(), EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL,
                at.toString(QStringLiteral("zzz")).toLatin1());
        addText(exif.get(), EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, "+00:00");
    }
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exif.get(), &bytes, &size);
    QByteArray block(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    std::free(bytes);
    return block;
}

}  // namespace kadrel
