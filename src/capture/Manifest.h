#pragma once
// The list of a bulk run's files, beside them in the output folder: "manifest.csv" or
// "manifest.jsonl", one row per file written, with its frame number, its time (n x T), the
// picture's own time stamp in the stream, whether it is a keyframe and, for a run that looks
// for scene changes, the scene score.
//
// Rows are added as the writer reports files on the disk, each flushed at once, so the list of
// a run that is cancelled or killed holds exactly the files it wrote. When a file fails, the
// writer removes it and those after it; keepFirst() then cuts the list to the files kept.

#include "common/Status.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace kadrel {

enum class ManifestKind { None, Csv, JsonLines };

struct ManifestRow {
    QString file;  // the file's name in the output folder
    std::int32_t frame = 0;
    double time = 0.0;
    std::int64_t timestamp = 0;  // INT64_MIN: the stream gave none
    bool keyframe = false;
    std::optional<double> sceneScore;
};

class Manifest {
public:
    // "manifest.csv" or "manifest.jsonl"; empty for None.
    static QString fileName(ManifestKind kind);

    // Starts the list in folder, replacing an older one; with None, nothing is written.
    // withScores: the run looks for scene changes, so the rows have a score column.
    Status open(const QString& folder, ManifestKind kind, bool withScores);
    Status add(const ManifestRow& row);
    // Keeps the first count rows only.
    Status keepFirst(std::size_t count);
    std::size_t rows() const { return m_rowEnds.size(); }

private:
    QString line(const ManifestRow& row) const;
    Status failed() const;

    ManifestKind m_kind = ManifestKind::None;
    bool m_withScores = false;
    QFile m_file;
    qint64 m_headerEnd = 0;
    std::vector<qint64> m_rowEnds;  // the file's size after each row
};

}  // namespace kadrel
