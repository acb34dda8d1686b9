#include "capture/Manifest.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cmath>

namespace kadrel {

namespace {

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\""))
           + QLatin1Char('"');
}

QString seconds(double value)
{
    return QString::number(value, 'f', 6);
}

}  // namespace

QString Manifest::fileName(ManifestKind kind)
{
    switch (kind) {
    case ManifestKind::Csv:
        return QStringLiteral("manifest.csv");
    case ManifestKind::JsonLines:
        return QStringLiteral("manifest.jsonl");
    case ManifestKind::None:
        break;
    }
    return {};
}

Status Manifest::open(const QString& folder, ManifestKind kind, bool withScores)
{
    m_kind = kind;
    m_withScores = withScores;
    m_rowEnds.clear();
    if (kind == ManifestKind::None)
        return {};
    m_file.setFileName(folder + QLatin1Char('/') + fileName(kind));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed();
    if (kind == ManifestKind::Csv) {
        QByteArray header = "file,frame,time,timestamp,keyframe";
        if (withScores)
            header += ",scene_score";
        if (m_file.write(header + '\n') < 0 || !m_file.flush())
            return failed();
    }
    m_headerEnd = m_file.pos();
    return {};
}

QString Manifest::line(const ManifestRow& row) const
{
    const bool stamped = row.timestamp != INT64_MIN;
    if (m_kind == ManifestKind::JsonLines) {
        QJsonObject o{{QStringLiteral("file"), row.file},
                      {QStringLiteral("frame"), row.frame},
                      {QStringLiteral("time"), std::round(row.time * 1e6) / 1e6},
                      {QStringLiteral("timestamp"),
                       stamped ? QJsonValue(qint64(row.timestamp)) : QJsonValue()},
                      {QStringLiteral("keyframe"), row.keyframe}};
        if (m_withScores)
            o.insert(QStringLiteral("scene_score"),
                     row.sceneScore ? QJsonValue(*row.sceneScore) : QJsonValue());
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    QStringList fields{csvField(row.file), QString::number(row.frame), seconds(row.time),
                       stamped ? QString::number(row.timestamp) : QString(),
                       row.keyframe ? QStringLiteral("1") : QStringLiteral("0")};
    if (m_withScores)
        fields << (row.sceneScore ? seconds(*row.sceneScore) : QString());
    return fields.join(QLatin1Char(','));
}

Status Manifest::add(const ManifestRow& row)
{
    if (m_kind == ManifestKind::None)
        return {};
    if (m_file.write((line(row) + QLatin1Char('\n')).toUtf8()) < 0 || !m_file.flush())
        return failed();
    m_rowEnds.push_back(m_file.pos());
    return {};
}

Status Manifest::keepFirst(std::size_t count)
{
    if (m_kind == ManifestKind::None || count >= m_rowEnds.size())
        return {};
    m_rowEnds.resize(count);
    const qint64 end = count == 0 ? m_headerEnd : m_rowEnds.back();
    if (!m_file.resize(end) || !m_file.seek(end))
        return failed();
    return {};
}

Status Manifest::failed() const
{
    return Status::failure(errno != 0 ? errno : EIO,
                           QStringLiteral("%1: %2").arg(m_file.fileName(), m_file.errorString()));
}

}  // namespace kadrel
